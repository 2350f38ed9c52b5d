#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "EndToEndFixture.h"
#include "packagewriter/writePackage.h"
#include "support/FolderTree.h"
#include "support/Noise.h"
#include "support/PngFile.h"
#include "support/RunBinary.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
namespace pw = packagewriter;

namespace {

using e2e::atlasFile;
using e2e::rgbPixels;

// "Pack_A": a 600 x 300 RGBA32 atlas, one of an unlisted code, a 3 x 1 RGB24
// one and one with a zero side, which fails; "Pack_B": one RGBA32 atlas.
pw::Package galleryPlan() {
    pw::Package plan;
    pw::SubGroup packA {.name = "Pack_A", .compressionFlags = 3};
    packA.files = {atlasFile("img/a", 0, noise(600 * 300 * 4, 1)), atlasFile("img/b", 1, noise(16, 2)),
                   atlasFile("img\\deep/c", 2, rgbPixels), atlasFile("img/d", 3, noise(64, 3))};
    pw::SubGroup packB {.name = "Pack_B", .firstTextureIndex = 4};
    packB.files = {atlasFile("ui/u", 0, e2e::rgbaPixels)};
    plan.subGroups = {packA, packB};
    plan.textures = {{.width = 600, .height = 300, .format = 0},
                     {.width = 2, .height = 2, .format = 77},
                     {.width = 3, .height = 1, .format = 2},
                     {.width = 0, .height = 4, .format = 0},
                     {.width = 2, .height = 2, .format = 0}};
    plan.groups = {{.name = "G1", .slots = {{0, 1, 0}}}, {.name = "G2", .slots = {{1, 2, 0}}}};
    return plan;
}

std::set<std::string> namesBelow(const fs::path& root) {
    std::set<std::string> names;
    for (const auto& [name, bytes] : filesBelow(root)) {
        names.insert(name);
    }
    return names;
}

class Gallery : public testing::Test {
protected:
    TempFolder folder;
    fs::path in = folder.path() / "in";
    fs::path indexPath = in / "index.json";

    fs::path write(const std::string& name, const pw::Package& plan) {
        const fs::path path = in / name;
        e2e::writeInputs(path, plan, indexPath);
        return path;
    }
    BinaryRun run(std::vector<std::string> arguments) { return runBinary(folder.path(), arguments, ""); }
};

TEST_F(Gallery, WritesThePageAndAThumbnailPerWrittenAtlasBesideTheSameOutput) {
    const fs::path package = write("pack.rsb", galleryPlan());
    const fs::path plainOut = folder.path() / "plain";
    const fs::path galleryOut = folder.path() / "gallery";
    const BinaryRun plain = run({package.string(), "-f", indexPath.string(), "--skip-unknown", "-o", plainOut.string()});
    const BinaryRun withGallery = run({package.string(), "-f", indexPath.string(), "--skip-unknown", "--jobs", "2",
                                       "--gallery", "-o", galleryOut.string()});
    EXPECT_EQ(withGallery.status, plain.status) << withGallery.err;
    EXPECT_EQ(withGallery.status, 1) << "img/d fails";
    EXPECT_EQ(withGallery.out.substr(withGallery.out.find("Now OutPut")),
              plain.out.substr(plain.out.find("Now OutPut")));

    std::set<std::string> expected = namesBelow(plainOut);
    expected.insert({"Gallery.html", "Gallery/img/a.png", "Gallery/img/deep/c.png", "Gallery/ui/u.png"});
    EXPECT_EQ(namesBelow(galleryOut), expected);
    EXPECT_EQ(readFileText(galleryOut / "Information.json"), readFileText(plainOut / "Information.json"));
    EXPECT_EQ(readFileText(galleryOut / "OutPut/img/a.png"), readFileText(plainOut / "OutPut/img/a.png"));

    const PngFile large = PngFile::read((galleryOut / "Gallery/img/a.png").string());
    EXPECT_EQ(large.width, 256U);
    EXPECT_EQ(large.height, 128U);
    EXPECT_EQ(PngFile::read((galleryOut / "Gallery/img/deep/c.png").string()).rgba,
              PngFile::read((galleryOut / "OutPut/img/deep/c.png").string()).rgba)
        << "a small atlas is its own thumbnail";

    const std::string page = readFileText(galleryOut / "Gallery.html");
    for (const char* part : {"<span class=\"group-name\">G1</span>", "<span class=\"subgroup-name\">Pack_A</span>",
                             "<span class=\"subgroup-name\">Pack_B</span>", ">DeCode Failed<", ">Skipped<",
                             "format code 77 is not in the index file", "href=\"OutPut/img/deep/c.png\"",
                             "src=\"Gallery/img/a.png\" width=\"256\" height=\"128\"", "600 × 300 · RGBA32",
                             "5 atlases: 3 written, 1 failed, 1 skipped in 2 packets"}) {
        EXPECT_NE(page.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(page.find(">Not reached<"), std::string::npos);
}

TEST_F(Gallery, ShowsOnlyTheSelectedAtlasesAndEachPackageHasItsOwn) {
    const fs::path a = write("a.rsb", galleryPlan());
    const fs::path b = write("b.rsb", galleryPlan());
    const fs::path out = folder.path() / "out";
    const BinaryRun result = run({a.string(), b.string(), "-f", indexPath.string(), "--gallery", "--only", "ui/*",
                                  "-o", out.string()});
    EXPECT_EQ(result.status, 0) << result.out;
    for (const char* name : {"~a.rsb", "~b.rsb"}) {
        EXPECT_EQ(namesBelow(out / name),
                  (std::set<std::string> {"Information.json", "OutPut/ui/u.png", "Gallery.html", "Gallery/ui/u.png"}))
            << name;
        const std::string page = readFileText(out / name / "Gallery.html");
        EXPECT_NE(page.find("1 atlas: 1 written in 1 packet"), std::string::npos) << name;
        EXPECT_NE(page.find("Gallery of " + std::string(name)), std::string::npos) << name;
        EXPECT_EQ(page.find("img/a"), std::string::npos) << name;
    }
}

// img/a alone costs 720000 bytes extracted and 720000 of pixels; its
// thumbnail 256 x 128 x 4 more; Information.json is charged first. A budget
// of those alone passes without the gallery and ends the run with it, which
// still writes the page.
TEST_F(Gallery, ThumbnailsCountAgainstTheBudgetAndAnEarlyEndStillWritesThePage) {
    const fs::path package = write("pack.rsb", galleryPlan());
    const fs::path probe = folder.path() / "probe";
    ASSERT_EQ(run({package.string(), "-f", indexPath.string(), "--only", "img/a", "-o", probe.string()}).status, 0);
    const std::uintmax_t description = fs::file_size(probe / "Information.json");
    const std::vector<std::string> common = {package.string(), "-f", indexPath.string(), "--only", "img/a",
                                             "--max-output", std::to_string(1440000 + description)};
    std::vector<std::string> plain = common;
    plain.insert(plain.end(), {"-o", (folder.path() / "plain").string()});
    EXPECT_EQ(run(plain).status, 0);
    std::vector<std::string> withGallery = common;
    withGallery.insert(withGallery.end(), {"--gallery", "-o", (folder.path() / "gallery").string()});
    const BinaryRun result = run(withGallery);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("Output Budget : Exceeded"), std::string::npos) << result.out;
    EXPECT_FALSE(fs::exists(folder.path() / "gallery/OutPut/img/a.png"));
    const std::string page = readFileText(folder.path() / "gallery/Gallery.html");
    EXPECT_NE(page.find(">Not reached<"), std::string::npos);
    EXPECT_NE(page.find("The run ended early: Output Budget : Exceeded Decoding the atlas img/a"), std::string::npos);
}

TEST_F(Gallery, ASecondRunReplacesThePageAndThumbnails) {
    const fs::path package = write("pack.rsb", galleryPlan());
    const fs::path out = folder.path() / "out";
    ASSERT_EQ(run({package.string(), "-f", indexPath.string(), "--skip-unknown", "--gallery", "-o", out.string()}).status, 1);
    const std::string first = readFileText(out / "Gallery.html");
    const std::string thumbnail = readFileText(out / "Gallery/img/a.png");
    { std::ofstream(out / "Gallery/img/a.png") << "stale"; }
    { std::ofstream(out / "Gallery.html") << "stale"; }
    ASSERT_EQ(run({package.string(), "-f", indexPath.string(), "--skip-unknown", "--gallery", "-o", out.string()}).status, 1);
    EXPECT_EQ(readFileText(out / "Gallery.html"), first);
    EXPECT_EQ(readFileText(out / "Gallery/img/a.png"), thumbnail);
}

} // namespace
