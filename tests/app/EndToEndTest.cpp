#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <fstream>
#include <string>
#include <vector>

#include "support/PngFile.h"
#include "EndToEndFixture.h"
#include "packagewriter/writePackage.h"
#include "support/RunBinary.h"
#include "support/FolderTree.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
namespace pw = packagewriter;

namespace {


std::vector<std::uint8_t> bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> out;
    for (int v : values) {
        out.push_back(static_cast<std::uint8_t>(v));
    }
    return out;
}

using e2e::atlasFile;
using e2e::rgbaPixels;
using e2e::rgbPixels;
using e2e::textBytes;

// One atlas-bearing packet named "Pack_A" (listed by two groups), and one
// packet of resources only.
pw::Package samplePlan(std::uint32_t flags) {
    pw::Package plan;
    pw::SubGroup atlases {.name = "Pack_A", .compressionFlags = flags, .firstTextureIndex = 1};
    atlases.files = {{.path = "data/x.txt", .data = textBytes("resource bytes")},
                     atlasFile("img/a", 0, rgbaPixels, 2, 2),
                     atlasFile("img/b", 1, rgbaPixels, 2, 2),
                     atlasFile("img/c", 2, {}, 3, 2),
                     atlasFile("img\\deep/d", 3, std::vector<std::uint8_t>(8, 0), 5, 3),
                     atlasFile("img/e", 4, rgbPixels, 3, 1)};
    pw::SubGroup plain {.name = "Sounds", .compressionFlags = flags};
    plain.files = {{.path = "snd/s.txt", .data = textBytes("sound")}};
    plan.subGroups = {atlases, plain};
    plan.textures = {{.width = 99, .height = 99, .format = 0},
                     {.width = 2, .height = 2, .format = 0},
                     {.width = 2, .height = 2, .format = 77},
                     {.width = 3, .height = 2, .format = 9},
                     {.width = 5, .height = 3, .format = 147},
                     {.width = 3, .height = 1, .format = 2}};
    plan.groups = {{.name = "G1", .slots = {{0, 1, 0}, {1, 2, 0}}}, {.name = "G2", .slots = {{0, 3, 0}}}};
    return plan;
}

std::string packetLines() {
    return "\n"
           "\tNow UnPack This PGSR Because it's Included Atlas Resource : Pack_A\n"
           "\n"
           "\t\timg/a\n"
           "\t\t\tWidth : 2 , Height : 2 , \tTextureFormat : RGBA32\n"
           "\t\tDeCode Finish\n"
           "\n"
           "\t\timg/b\n"
           "\t\t\t\a UnKnown TextureFormat Index : 77\n"
           "\t\t\t  pass this atlas ? input 1 to continue, or input 0 to exit\n"
           "\n"
           "\t\timg/c\n"
           "\t\t\tWidth : 3 , Height : 2 , \tTextureFormat : UnKnown\n"
           "\t\tDeCode Finish\n"
           "\n"
           "\t\timg\\deep/d\n"
           "\t\t\tWidth : 5 , Height : 3 , \tTextureFormat : RGB_ETC1\n"
           "\t\t\tWarning : 8 bytes of atlas data missing, read as zero\n"
           "\t\tDeCode Finish\n"
           "\n"
           "\t\timg/e\n"
           "\t\t\tWidth : 3 , Height : 1 , \tTextureFormat : RGB24\n"
           "\t\tDeCode Finish\n";
}

class EndToEnd : public testing::Test {
protected:
    TempFolder folder;
    fs::path packagePath;
    fs::path indexPath;
    fs::path out;

    void write(const pw::Package& plan) {
        packagePath = folder.path() / "in" / "pack.rsb";
        indexPath = folder.path() / "in" / "index.json";
        out = folder.path() / "in" / "~pack.rsb";
        e2e::writeInputs(packagePath, plan, indexPath);
    }

    BinaryRun run(const std::vector<std::string>& extra, const std::string& input) {
        std::vector<std::string> arguments = {packagePath.string(), "-f", indexPath.string()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return runBinary(folder.path(), arguments, input);
    }

    std::string head() const { return e2e::transcriptHead(packagePath, indexPath); }

    // Everything in the test's folder outside the package's own folder.
    std::vector<std::string> strayFiles() const {
        std::vector<std::string> stray;
        for (const auto& entry : fs::recursive_directory_iterator(folder.path())) {
            const fs::path relative = fs::relative(entry.path(), folder.path());
            if (*relative.begin() != "in") {
                stray.push_back(relative.string());
            }
        }
        for (const auto& entry : fs::directory_iterator(folder.path() / "in")) {
            const std::string name = entry.path().filename().string();
            if (name != "pack.rsb" && name != "index.json" && name != "~pack.rsb") {
                stray.push_back(name);
            }
        }
        return stray;
    }
};

TEST_F(EndToEnd, WholeTranscriptAndOutputFiles) {
    write(samplePlan(3));
    const BinaryRun result = run({"--skip-unknown"}, "");
    EXPECT_EQ(result.out, head() + packetLines() + packetLines() + "Finish : OutPut Atlas Resource\nFinish!\n");
    EXPECT_EQ(result.status, 0) << result.err;

    EXPECT_TRUE(fs::is_regular_file(out / "Information.json"));
    EXPECT_EQ(readFileText(out / "Temp/data/x.txt"), "resource bytes");
    EXPECT_EQ(readFileText(out / "Temp/img/b"), std::string(rgbaPixels.begin(), rgbaPixels.end()))
        << "a skipped atlas keeps its extracted file";
    EXPECT_FALSE(fs::exists(out / "Temp/img/a")) << "a decoded atlas's extracted file is removed";
    EXPECT_FALSE(fs::exists(out / "Temp/snd")) << "packets without atlases are not extracted";
    EXPECT_FALSE(fs::exists(out / "OutPut/img/b.png"));

    const PngFile a = PngFile::read((out / "OutPut/img/a.png").string());
    ASSERT_TRUE(a.valid);
    EXPECT_EQ(a.width, 2U);
    EXPECT_EQ(a.rgba, rgbaPixels);
    const PngFile c = PngFile::read((out / "OutPut/img/c.png").string());
    ASSERT_TRUE(c.valid);
    EXPECT_EQ(c.width, 3U);
    EXPECT_EQ(c.rgba, std::vector<std::uint8_t>(3 * 2 * 4, 0)) << "a name without a decoder gives a blank image";
    const PngFile d = PngFile::read((out / "OutPut/img/deep/d.png").string());
    ASSERT_TRUE(d.valid);
    EXPECT_EQ(d.width, 8U) << "ETC atlases are decoded at their padded size";
    EXPECT_EQ(d.height, 4U);
    const PngFile e = PngFile::read((out / "OutPut/img/e.png").string());
    ASSERT_TRUE(e.valid);
    EXPECT_EQ(e.rgba, bytes({200, 100, 50, 255, 0, 255, 0, 255, 7, 8, 9, 255}));
    EXPECT_TRUE(strayFiles().empty());
}

class EveryCompressionFlag : public EndToEnd, public testing::WithParamInterface<std::uint32_t> {};

TEST_P(EveryCompressionFlag, GivesTheSameFiles) {
    write(samplePlan(GetParam()));
    const BinaryRun result = run({"--skip-unknown"}, "");
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(readFileText(out / "Temp/data/x.txt"), "resource bytes");
    EXPECT_EQ(PngFile::read((out / "OutPut/img/a.png").string()).rgba, rgbaPixels);
    EXPECT_EQ(PngFile::read((out / "OutPut/img/e.png").string()).rgba,
              bytes({200, 100, 50, 255, 0, 255, 0, 255, 7, 8, 9, 255}));
}

INSTANTIATE_TEST_SUITE_P(Flags, EveryCompressionFlag, testing::Values(0U, 1U, 2U, 3U));

TEST_F(EndToEnd, SeveralJobsGiveTheSameConsoleAndFilesAsOne) {
    pw::Package plan = samplePlan(3);
    // The same atlas path twice in one packet, each decoded from its own data,
    // and an atlas whose texture has no width, whose decoding fails.
    plan.subGroups[0].files.push_back(atlasFile("img/a", 0, rgbaPixels, 2, 2));
    plan.textures.push_back({.width = 0, .height = 2, .format = 0});
    plan.subGroups[0].files.push_back(atlasFile("img/none", 5, rgbaPixels, 2, 2));
    for (int copy = 0; copy < 6; ++copy) {
        plan.subGroups[0].files.push_back(atlasFile("img/more" + std::to_string(copy), 4, rgbPixels, 3, 1));
    }
    write(plan);
    const BinaryRun one = run({"--skip-unknown", "--jobs", "1", "-o", (folder.path() / "in" / "one").string()}, "");
    const BinaryRun three = run({"--skip-unknown", "--jobs", "3", "-o", (folder.path() / "in" / "three").string()}, "");
    EXPECT_EQ(one.status, 1) << "the atlas without a width cannot be decoded";
    EXPECT_NE(one.out.find("\t\tDeCode Failed : "), std::string::npos);
    EXPECT_EQ(three.status, one.status);
    EXPECT_EQ(three.out, one.out);
    const auto filesOne = filesBelow(folder.path() / "in" / "one");
    EXPECT_EQ(filesBelow(folder.path() / "in" / "three"), filesOne);
    EXPECT_EQ(filesOne.count("OutPut/img/more5.png"), 1U);
}

struct PromptCase {
    const char* name;
    std::string input;
    bool skips;
};

class UnlistedFormatPrompt : public EndToEnd, public testing::WithParamInterface<PromptCase> {};

TEST_P(UnlistedFormatPrompt, SkipsOnAnyIntegerButZero) {
    write(samplePlan(0));
    const BinaryRun result = run({}, GetParam().input);
    const std::string untilPrompt = head() + packetLines().substr(0, packetLines().find("\n\t\timg/c"));
    ASSERT_TRUE(result.out.starts_with(untilPrompt)) << result.out;
    if (GetParam().skips) {
        EXPECT_EQ(result.status, 0) << result.out;
        EXPECT_TRUE(fs::exists(out / "OutPut/img/c.png"));
        EXPECT_TRUE(result.out.ends_with("Finish!\n"));
    } else {
        EXPECT_EQ(result.out, untilPrompt + "Now Exit\n");
        EXPECT_EQ(result.status, 1);
        EXPECT_FALSE(fs::exists(out / "OutPut/img/c.png")) << "nothing after the answer 0 is written";
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, UnlistedFormatPrompt,
                         testing::Values(PromptCase {"Zero", "0\n", false}, PromptCase {"One", "1\n1\n", true},
                                         PromptCase {"Five", "5\n5\n", true},
                                         PromptCase {"MinusOne", "-1\n-1\n", true},
                                         PromptCase {"WordThenOne", "x\n1\nx\n1\n", true},
                                         PromptCase {"EndOfInput", "", false}),
                         [](const testing::TestParamInfo<PromptCase>& row) { return row.param.name; });

struct DamagedPacket {
    const char* name;
    std::function<void(pw::Package&)> damage;
    const char* reasonPart;
};

class DamagedPackets : public EndToEnd, public testing::WithParamInterface<DamagedPacket> {};

TEST_P(DamagedPackets, EndAsFormatErrorsWithinTheOutputFolder) {
    pw::Package plan = samplePlan(1);
    GetParam().damage(plan);
    write(plan);
    const BinaryRun result = run({"--skip-unknown"}, "");
    EXPECT_EQ(result.status, 1) << result.out;
    const std::size_t at = result.out.find("ResourcePackage : Format Error\n\t");
    ASSERT_NE(at, std::string::npos) << result.out;
    EXPECT_NE(result.out.find(GetParam().reasonPart, at), std::string::npos) << result.out;
    EXPECT_TRUE(result.out.ends_with("\nNow Exit\n"));
    EXPECT_TRUE(strayFiles().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Damage, DamagedPackets,
    testing::Values(
        DamagedPacket {"BadZlibStream",
                       [](pw::Package& plan) { plan.subGroups[0].overrides.atlasBlock = std::vector<std::uint8_t>(40, 0x55); },
                       "Pack_A"},
        DamagedPacket {"FileOutsideItsBlock",
                       [](pw::Package& plan) { plan.subGroups[0].files[1].offset = 1000; }, "img/a"},
        DamagedPacket {"ParentFolderInPath",
                       [](pw::Package& plan) { plan.subGroups[0].files[0].path = "../../escaped.txt"; }, ".."},
        DamagedPacket {"LeadingSeparator",
                       [](pw::Package& plan) { plan.subGroups[0].files[0].path = "/tmp/escaped.txt"; }, "/tmp"},
        DamagedPacket {"TextureBeyondTheList",
                       [](pw::Package& plan) { plan.subGroups[0].files[1].atlasIndex = 40; }, "texture"}),
    [](const testing::TestParamInfo<DamagedPacket>& row) { return row.param.name; });

} // namespace
