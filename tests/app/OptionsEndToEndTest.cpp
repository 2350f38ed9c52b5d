#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/PngFile.h"
#include "EndToEndFixture.h"
#include "packagewriter/writePackage.h"
#include "support/Banner.h"
#include "support/RunBinary.h"
#include "support/FolderTree.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
namespace pw = packagewriter;

namespace {

using e2e::atlasFile;
using e2e::rgbaPixels;
using e2e::rgbPixels;
using e2e::textBytes;

// "Pack_A": a resource file and three atlases (RGBA32, an unlisted code,
// RGB24); "Sounds": resource files only; "Pack_B": one RGBA32 atlas.
pw::Package samplePlan() {
    pw::Package plan;
    pw::SubGroup packA {.name = "Pack_A", .compressionFlags = 3};
    packA.files = {{.path = "data/x.txt", .data = textBytes("resource bytes")},
                   atlasFile("img/a", 0, rgbaPixels), atlasFile("img/b", 1, rgbaPixels),
                   atlasFile("img\\deep/c", 2, rgbPixels)};
    pw::SubGroup sounds {.name = "Sounds", .compressionFlags = 1};
    sounds.files = {{.path = "snd/s.txt", .data = textBytes("sound")},
                    {.path = "snd/deep/t.txt", .data = textBytes("deeper sound")}};
    pw::SubGroup packB {.name = "Pack_B", .firstTextureIndex = 3};
    packB.files = {atlasFile("ui/u", 0, rgbaPixels)};
    plan.subGroups = {packA, sounds, packB};
    plan.textures = {{.width = 2, .height = 2, .format = 0},
                     {.width = 2, .height = 2, .format = 77},
                     {.width = 3, .height = 1, .format = 2},
                     {.width = 2, .height = 2, .format = 0}};
    plan.groups = {{.name = "G1", .slots = {{0, 1, 0}, {1, 2, 0}}}, {.name = "G2", .slots = {{2, 3, 0}}}};
    return plan;
}

std::string atlasPacketLine(const std::string& name) {
    return "\n\tNow UnPack This PGSR Because it's Included Atlas Resource : " + name + "\n";
}
std::string plainPacketLine(const std::string& name) { return "\n\tNow UnPack This PGSR : " + name + "\n"; }

std::string decodedLines(const std::string& path, int width, int height, const std::string& format) {
    return "\n\t\t" + path + "\n\t\t\tWidth : " + std::to_string(width) + " , Height : " + std::to_string(height) +
           " , \tTextureFormat : " + format + "\n\t\tDeCode Finish\n";
}

std::string unlistedLines(const std::string& path, int code) {
    return "\n\t\t" + path + "\n\t\t\t\a UnKnown TextureFormat Index : " + std::to_string(code) +
           "\n\t\t\t  pass this atlas ? input 1 to continue, or input 0 to exit\n";
}

const std::string packALines = atlasPacketLine("Pack_A") + decodedLines("img/a", 2, 2, "RGBA32") +
                               unlistedLines("img/b", 77) + decodedLines("img\\deep/c", 3, 1, "RGB24");
const std::string packBLines = atlasPacketLine("Pack_B") + decodedLines("ui/u", 2, 2, "RGBA32");

std::set<std::string> namesOf(const std::map<std::string, std::string>& tree) {
    std::set<std::string> names;
    for (const auto& [name, bytes] : tree) {
        names.insert(name);
    }
    return names;
}

class Options : public testing::Test {
protected:
    TempFolder folder;
    fs::path in = folder.path() / "in";
    fs::path indexPath = in / "index.json";

    fs::path write(const std::string& name, const pw::Package& plan) {
        const fs::path path = in / name;
        e2e::writeInputs(path, plan, indexPath);
        return path;
    }

    BinaryRun run(std::vector<std::string> arguments, const std::string& input = "") {
        return runBinary(folder.path(), arguments, input);
    }

    // The transcript of a run of one package whose atlas stage prints `body`.
    std::string transcript(const fs::path& package, const std::string& body) const {
        return e2e::transcriptHead(package, indexPath) + body + "Finish : OutPut Atlas Resource\nFinish!\n";
    }
};

// --- --all, --only, --keep-extracted -------------------------------------

struct SelectionCase {
    const char* name;
    std::vector<std::string> options;
    std::string atlasStage;                   // the lines between the index file and the stage's end
    std::set<std::string> files;              // every file of the output folder
};

const std::set<std::string> decodedOutput = {"Information.json", "OutPut/img/a.png", "OutPut/img/deep/c.png",
                                             "OutPut/ui/u.png"};

std::set<std::string> with(std::set<std::string> names, std::initializer_list<const char*> more) {
    names.insert(more.begin(), more.end());
    return names;
}

class SelectionOptions : public Options, public testing::WithParamInterface<SelectionCase> {};

TEST_P(SelectionOptions, PrintAndWriteExactlyWhatTheyChoose) {
    const fs::path package = write("pack.rsb", samplePlan());
    std::vector<std::string> arguments = {package.string(), "-f", indexPath.string(), "--skip-unknown"};
    arguments.insert(arguments.end(), GetParam().options.begin(), GetParam().options.end());
    const BinaryRun result = run(arguments);
    EXPECT_EQ(result.out, transcript(package, GetParam().atlasStage));
    EXPECT_EQ(result.status, 0) << result.err;
    const auto tree = filesBelow(in / "~pack.rsb");
    EXPECT_EQ(namesOf(tree), GetParam().files);
    // Whatever is written has the bytes of the packet or the decoded image.
    const std::map<std::string, std::string> expectedBytes = {
        {"Temp/data/x.txt", "resource bytes"}, {"Temp/snd/s.txt", "sound"},
        {"Temp/snd/deep/t.txt", "deeper sound"}, {"Temp/img/a", std::string(rgbaPixels.begin(), rgbaPixels.end())},
        {"Temp/img/b", std::string(rgbaPixels.begin(), rgbaPixels.end())},
        {"Temp/img/deep/c", std::string(rgbPixels.begin(), rgbPixels.end())}};
    for (const auto& [name, bytes] : tree) {
        if (expectedBytes.contains(name)) {
            EXPECT_EQ(bytes, expectedBytes.at(name)) << name;
        }
    }
    if (tree.contains("OutPut/img/a.png")) {
        EXPECT_EQ(PngFile::read((in / "~pack.rsb/OutPut/img/a.png").string()).rgba, rgbaPixels);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SelectionOptions,
    testing::Values(
        SelectionCase {"NoOption", {}, packALines + packBLines,
                       with(decodedOutput, {"Temp/data/x.txt", "Temp/img/b"})},
        SelectionCase {"All", {"--all"}, packALines + plainPacketLine("Sounds") + packBLines,
                       with(decodedOutput, {"Temp/data/x.txt", "Temp/img/b", "Temp/snd/s.txt", "Temp/snd/deep/t.txt"})},
        SelectionCase {"KeepExtracted", {"--keep-extracted"}, packALines + packBLines,
                       with(decodedOutput, {"Temp/data/x.txt", "Temp/img/a", "Temp/img/b", "Temp/img/deep/c",
                                            "Temp/ui/u"})},
        SelectionCase {"OnlyOneAtlas", {"--only", "img/a"},
                       atlasPacketLine("Pack_A") + decodedLines("img/a", 2, 2, "RGBA32"),
                       {"Information.json", "OutPut/img/a.png"}},
        SelectionCase {"OnlyAResourceOfAnAtlasPacket", {"--only", "data/*"}, atlasPacketLine("Pack_A"),
                       {"Information.json", "Temp/data/x.txt"}},
        SelectionCase {"OnlyTwoPatternsAcrossPackets", {"--only", "**/u", "--only", "img/deep/*"},
                       atlasPacketLine("Pack_A") + decodedLines("img\\deep/c", 3, 1, "RGB24") + packBLines,
                       {"Information.json", "OutPut/img/deep/c.png", "OutPut/ui/u.png"}},
        SelectionCase {"OnlyBackslashPatternMatchesSlashPath", {"--only", "img\\deep\\c"},
                       atlasPacketLine("Pack_A") + decodedLines("img\\deep/c", 3, 1, "RGB24"),
                       {"Information.json", "OutPut/img/deep/c.png"}},
        SelectionCase {"OnlyNothingMatches", {"--only", "nothing/*"}, "", {"Information.json"}},
        SelectionCase {"OnlyNeedsAllForPlainPackets", {"--only", "snd/**"}, "", {"Information.json"}},
        SelectionCase {"AllOnly", {"--all", "--only", "snd/deep/**"}, plainPacketLine("Sounds"),
                       {"Information.json", "Temp/snd/deep/t.txt"}},
        SelectionCase {"AllOnlyKeepExtracted", {"--all", "--only", "*/a", "--only", "snd/*", "--keep-extracted"},
                       atlasPacketLine("Pack_A") + decodedLines("img/a", 2, 2, "RGBA32") + plainPacketLine("Sounds"),
                       {"Information.json", "OutPut/img/a.png", "Temp/img/a", "Temp/snd/s.txt"}}),
    [](const testing::TestParamInfo<SelectionCase>& row) { return row.param.name; });

TEST_F(Options, SeveralJobsGiveTheSameConsoleAndFilesAsOne) {
    pw::Package plan = samplePlan();
    for (int copy = 0; copy < 6; ++copy) {
        plan.subGroups[0].files.push_back(atlasFile("img/more" + std::to_string(copy), 2, rgbPixels));
        plan.subGroups[1].files.push_back({.path = "snd/more" + std::to_string(copy), .data = textBytes("x")});
    }
    const fs::path package = write("pack.rsb", plan);
    for (const std::vector<std::string>& options :
         {std::vector<std::string> {"--all", "--only", "img/more*", "--only", "snd/**", "--only", "ui/*"},
          std::vector<std::string> {"--all", "--keep-extracted"}}) {
        std::vector<std::string> one = {package.string(), "-f", indexPath.string(), "--skip-unknown", "-j", "1",
                                        "-o", (in / "one").string()};
        std::vector<std::string> three = {package.string(), "-f", indexPath.string(), "--skip-unknown", "--jobs", "3",
                                          "-o", (in / "three").string()};
        one.insert(one.end(), options.begin(), options.end());
        three.insert(three.end(), options.begin(), options.end());
        const BinaryRun first = run(one);
        const BinaryRun second = run(three);
        EXPECT_EQ(first.status, 0) << first.out;
        EXPECT_NE(first.out.find(plainPacketLine("Sounds")), std::string::npos) << first.out;
        EXPECT_EQ(second.out, first.out);
        EXPECT_EQ(second.status, first.status);
        EXPECT_EQ(filesBelow(in / "three"), filesBelow(in / "one"));
        fs::remove_all(in / "one");
        fs::remove_all(in / "three");
    }
}

struct PromptCase {
    const char* name;
    std::vector<std::string> options;
    std::string input;
    std::string atlasStage; // empty: the run ends at the prompt
};

class PromptWithOptions : public Options, public testing::WithParamInterface<PromptCase> {};

TEST_P(PromptWithOptions, AsksOnlyForSelectedAtlases) {
    const fs::path package = write("pack.rsb", samplePlan());
    std::vector<std::string> arguments = {package.string(), "-f", indexPath.string()};
    arguments.insert(arguments.end(), GetParam().options.begin(), GetParam().options.end());
    const BinaryRun result = run(arguments, GetParam().input);
    if (!GetParam().atlasStage.empty()) {
        EXPECT_EQ(result.out, transcript(package, GetParam().atlasStage));
        EXPECT_EQ(result.status, 0);
    } else {
        const std::string full = transcript(package, atlasPacketLine("Pack_A") + unlistedLines("img/b", 77));
        EXPECT_EQ(result.out, full.substr(0, full.find("Finish : OutPut")) + "Now Exit\n");
        EXPECT_EQ(result.status, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PromptWithOptions,
    testing::Values(
        PromptCase {"SkippedAtlasIsNotAsked", {"--only", "img/a", "--all"}, "",
                    atlasPacketLine("Pack_A") + decodedLines("img/a", 2, 2, "RGBA32")},
        PromptCase {"AnswerOneGoesOn", {"--only", "img/*", "--all", "--keep-extracted", "-j", "3"}, "1\n",
                    atlasPacketLine("Pack_A") + decodedLines("img/a", 2, 2, "RGBA32") + unlistedLines("img/b", 77)},
        PromptCase {"AnswerZeroEnds", {"--only", "img/b", "--all", "-j", "3"}, "0\n", ""}),
    [](const testing::TestParamInfo<PromptCase>& row) { return row.param.name; });

struct DamageCase {
    const char* name;
    std::function<void(pw::Package&)> damage;
    std::vector<std::string> options;
    const char* reasonPart;
};

class DamagedWithOptions : public Options, public testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedWithOptions, EndAsFormatErrorsWithinTheOutputFolder) {
    pw::Package plan = samplePlan();
    GetParam().damage(plan);
    const fs::path package = write("pack.rsb", plan);
    std::vector<std::string> arguments = {package.string(), "-f", indexPath.string(), "--skip-unknown"};
    arguments.insert(arguments.end(), GetParam().options.begin(), GetParam().options.end());
    const BinaryRun result = run(arguments);
    const std::size_t at = result.out.find("ResourcePackage : Format Error\n\t");
    ASSERT_NE(at, std::string::npos) << result.out;
    EXPECT_NE(result.out.find(GetParam().reasonPart, at), std::string::npos) << result.out;
    EXPECT_TRUE(result.out.ends_with("\nNow Exit\n")) << result.out;
    EXPECT_EQ(result.status, 1);
    for (const auto& entry : fs::directory_iterator(in)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "pack.rsb" || name == "index.json" || name == "~pack.rsb") << name;
    }
}

void sendSoundOutsideItsBlock(pw::Package& plan) { plan.subGroups[1].files[0].offset = 1000; }
void breakPackAZlibStream(pw::Package& plan) { plan.subGroups[0].overrides.atlasBlock = std::vector<std::uint8_t>(40, 0x55); }

INSTANTIATE_TEST_SUITE_P(
    Rows, DamagedWithOptions,
    testing::Values(
        DamageCase {"PlainPacketWithAll", sendSoundOutsideItsBlock, {"--all"}, "subgroup 1 (Sounds)"},
        DamageCase {"PlainPacketWithAllAndJobs", sendSoundOutsideItsBlock, {"--all", "-j", "3"}, "subgroup 1 (Sounds)"},
        DamageCase {"AtlasPacketWithOnly", breakPackAZlibStream, {"--only", "img/a"}, "Pack_A"},
        DamageCase {"AtlasPacketWithEverything", breakPackAZlibStream,
                    {"--all", "--only", "**", "--keep-extracted", "-j", "3"}, "Pack_A"},
        DamageCase {"TextureBeyondTheListWithOnly",
                    [](pw::Package& plan) { plan.subGroups[0].files[2].atlasIndex = 40; }, {"--only", "ui/*"},
                    "texture"},
        DamageCase {"PathOutOfTheFolderWithAllOnly",
                    [](pw::Package& plan) { plan.subGroups[1].files[1].path = "../../escaped.txt"; },
                    {"--all", "--only", "snd/s.txt"}, ".."}),
    [](const testing::TestParamInfo<DamageCase>& row) { return row.param.name; });

TEST_F(Options, APacketWithoutAtlasesIsReadOnlyWithAll) {
    pw::Package plan = samplePlan();
    sendSoundOutsideItsBlock(plan);
    const fs::path package = write("pack.rsb", plan);
    const BinaryRun result = run({package.string(), "-f", indexPath.string(), "--skip-unknown"});
    EXPECT_EQ(result.out, transcript(package, packALines + packBLines));
    EXPECT_EQ(result.status, 0);
}

// --- --list ---------------------------------------------------------------

const std::vector<std::string> listLines = {
    "Pack_A\tdata/x.txt\t14\tyes\t\t\t\t",       "Pack_A\timg/a\t16\tyes\t2\t2\t0\t",
    "Pack_A\timg/b\t16\tyes\t2\t2\t77\t",         "Pack_A\timg\\\\deep/c\t9\tyes\t3\t1\t2\t",
    "Sounds\tsnd/s.txt\t5\tno\t\t\t\t",            "Sounds\tsnd/deep/t.txt\t12\tno\t\t\t\t",
    "Pack_B\tui/u\t16\tno\t2\t2\t0\t"};

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

TEST_F(Options, ListPrintsOnlyTheLinesAndWritesNothing) {
    const fs::path package = write("pack.rsb", samplePlan());
    const auto before = filesBelow(folder.path());
    const BinaryRun result = run({"--list", package.string(), "-o", (in / "out").string(), "--all",
                                  "--keep-extracted", "--skip-unknown", "--jobs", "3"});
    EXPECT_EQ(result.out, joined(listLines));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(filesBelow(folder.path()), before) << "no output folder, no Information.json";
}

TEST_F(Options, ListWithIndexNamesFormatsAndWithOnlyFiltersLines) {
    const fs::path package = write("pack.rsb", samplePlan());
    const BinaryRun named = run({package.string(), "--list", "-f", indexPath.string()});
    std::vector<std::string> withNames = listLines;
    withNames[1] += "RGBA32";
    withNames[3] += "RGB24";
    withNames[6] += "RGBA32";
    EXPECT_EQ(named.out, joined(withNames));
    EXPECT_EQ(named.status, 0) << named.err;

    const BinaryRun only = run({package.string(), "--list", "--only", "**/*.txt", "--only", "ui/?"});
    EXPECT_EQ(only.out, joined({listLines[0], listLines[4], listLines[5], listLines[6]}));
    EXPECT_EQ(only.status, 0) << only.err;
}

TEST_F(Options, ListEscapesNamesThatWouldBreakTheColumns) {
    pw::Package plan = samplePlan();
    plan.subGroups[1].name = "Sou\tnds";
    plan.subGroups[1].files[0].path = "snd/a\tb\\c";
    const fs::path package = write("pack.rsb", plan);
    const BinaryRun result = run({package.string(), "--list", "--only", "snd/*/c"});
    EXPECT_EQ(result.out, "Sou\\tnds\tsnd/a\\tb\\\\c\t5\tno\t\t\t\t\n") << result.err;
    EXPECT_EQ(result.status, 0) << result.err;
}

TEST_F(Options, ListOfADamagedOrMissingPackageGoesToTheErrorStreamAndTheNextIsListed) {
    pw::Package damaged = samplePlan();
    damaged.subGroups[1].files[0].offset = 1000; // outside its block, in a packet without atlases
    const fs::path bad = write("bad.rsb", damaged);
    const fs::path good = write("good.rsb", samplePlan());
    const fs::path missing = in / "missing.rsb";
    const auto before = filesBelow(folder.path());
    const BinaryRun result = run({"--list", bad.string(), missing.string(), good.string()});
    EXPECT_EQ(result.out, joined(listLines)) << "a damaged package lists nothing, the next everything";
    const std::string badEnd = "InPut : " + bad.string() + "\nResourcePackage : Format Error\n\tsubgroup 1 (Sounds)";
    EXPECT_TRUE(result.err.starts_with(badEnd)) << result.err;
    EXPECT_TRUE(result.err.ends_with("\nNow Exit\nInPut : " + missing.string() + "\nFile Is Not Exist \nNow Exit\n"))
        << result.err;
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(filesBelow(folder.path()), before);
}

TEST_F(Options, ListWithAnUnreadableIndexListsNothing) {
    const fs::path package = write("pack.rsb", samplePlan());
    const BinaryRun result = run({"--list", package.string(), "-f", (in / "none.json").string()});
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "TextureFormat Index Information File : Not Exist\nNow Exit\n");
    EXPECT_EQ(result.status, 1);
}

// As cat and ls do: a listing that cannot be written is an error, said on
// standard error, with status 1.
TEST_F(Options, ListToAFullDiskFailsWithAMessage) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full here";
    }
    const fs::path package = write("pack.rsb", samplePlan());
    const fs::path err = in / "err.txt";
    const std::string command = shellQuoted(RESUNPACK_BINARY) + " --list " + shellQuoted(package.string()) +
                                " </dev/null >/dev/full 2>" + shellQuoted(err.string());
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    EXPECT_EQ(readFileText(err), "resunpack: cannot write the listing: No space left on device\n");
}

// --- several packages ------------------------------------------------------

pw::Package otherPlan() {
    pw::Package plan;
    pw::SubGroup pack {.name = "Other", .compressionFlags = 1};
    pack.files = {atlasFile("o/x", 0, rgbaPixels)};
    plan.subGroups = {pack};
    plan.textures = {{.width = 2, .height = 2, .format = 0}};
    plan.groups = {{.name = "G", .slots = {{0, 1, 0}}}};
    return plan;
}

const std::string otherLines = atlasPacketLine("Other") + decodedLines("o/x", 2, 2, "RGBA32");

TEST_F(Options, SeveralPackagesRunInTurnAsEachAlone) {
    const fs::path a = write("a.rsb", samplePlan());
    const fs::path b = write("b.obb", otherPlan());
    fs::create_directories(in / "sub");
    const fs::path c = in / "sub" / "c.rsb.smf";
    fs::copy_file(b, c);
    const BinaryRun result = run({a.string(), b.string(), c.string(), "-f", indexPath.string(), "--skip-unknown"});
    EXPECT_EQ(result.out, transcript(a, packALines + packBLines) + transcript(b, otherLines) +
                              transcript(c, otherLines));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(fs::is_regular_file(in / "~a.rsb/OutPut/ui/u.png"));
    EXPECT_TRUE(fs::is_regular_file(in / "~b.obb/OutPut/o/x.png"));
    EXPECT_EQ(readFileText(in / "sub/~c.rsb.smf/OutPut/o/x.png"), readFileText(in / "~b.obb/OutPut/o/x.png"))
        << "each beside its own package";
    EXPECT_FALSE(fs::exists(in / "~c.rsb.smf"));
}

TEST_F(Options, SeveralPackagesWithAnOutputFolderGoIntoItsTildeFolders) {
    const fs::path a = write("a.rsb", samplePlan());
    const fs::path b = write("b.obb", otherPlan());
    const fs::path out = folder.path() / "out";
    const BinaryRun result =
        run({a.string(), b.string(), "-f", indexPath.string(), "--skip-unknown", "-o", out.string() + "/"});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_TRUE(fs::is_regular_file(out / "~a.rsb/Information.json"));
    EXPECT_TRUE(fs::is_regular_file(out / "~b.obb/OutPut/o/x.png"));
    EXPECT_FALSE(fs::exists(in / "~a.rsb"));
    EXPECT_FALSE(fs::exists(out / "Information.json"));
}

TEST_F(Options, APackageThatEndsEarlyDoesNotStopTheOthers) {
    pw::Package damaged = otherPlan();
    damaged.subGroups[0].files[0].offset = 1000;
    const fs::path bad = write("bad.rsb", damaged);
    const fs::path missing = in / "missing.rsb";
    const fs::path b = write("b.obb", otherPlan());
    const BinaryRun result = run({bad.string(), missing.string(), b.string(), "-f", indexPath.string()});
    const std::string badRun = transcript(bad, atlasPacketLine("Other"));
    const std::size_t badEnd = badRun.find("Finish : OutPut");
    const std::size_t formatError = result.out.find("ResourcePackage : Format Error\n\tsubgroup 0 (Other)");
    ASSERT_NE(formatError, std::string::npos) << result.out;
    EXPECT_EQ(result.out.substr(0, formatError), badRun.substr(0, badEnd));
    const std::string rest = banner + missing.string() + "\nInPut : " + missing.string() +
                             "\nFile Is Not Exist \nNow Exit\n" + transcript(b, otherLines);
    EXPECT_TRUE(result.out.ends_with("\nNow Exit\n" + rest)) << result.out;
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(fs::is_regular_file(in / "~b.obb/OutPut/o/x.png"));
}

TEST_F(Options, AnswerZeroAtThePromptEndsTheWholeCommand) {
    const fs::path a = write("a.rsb", samplePlan());
    const fs::path b = write("b.obb", otherPlan());
    const BinaryRun result = run({a.string(), b.string(), "-f", indexPath.string(), "--jobs", "3"}, "0\n");
    const std::string aRun = transcript(a, atlasPacketLine("Pack_A") + decodedLines("img/a", 2, 2, "RGBA32") +
                                               unlistedLines("img/b", 77));
    EXPECT_EQ(result.out, aRun.substr(0, aRun.find("Finish : OutPut")) + "Now Exit\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_FALSE(fs::exists(in / "~b.obb")) << "the next package is not started";
}

// Packages dropped on the program at once come without -f: the index file
// the user names for the first serves every one after it.
TEST_F(Options, SeveralPackagesWithoutAnIndexFileAskForItOnce) {
    const fs::path a = write("a.obb", otherPlan());
    const fs::path b = write("b.obb", otherPlan());
    const fs::path missing = in / "missing.rsb";
    const BinaryRun result = run({missing.string(), a.string(), b.string()}, indexPath.string() + "\n");
    const std::string choice = "Please Choose TextureFormat Index Information File\n";
    std::string asked = transcript(a, otherLines);
    asked.insert(asked.find(choice) + choice.size(), "Path : ");
    EXPECT_EQ(result.out, banner + missing.string() + "\nInPut : " + missing.string() +
                              "\nFile Is Not Exist \nNow Exit\n" + asked + transcript(b, otherLines));
    EXPECT_EQ(result.status, 1) << "the missing package";
    EXPECT_TRUE(fs::is_regular_file(in / "~b.obb/OutPut/o/x.png"));
}

TEST_F(Options, AnswerOneAtThePromptGoesOnToTheNextPackage) {
    const fs::path a = write("a.rsb", samplePlan());
    const fs::path b = write("b.obb", otherPlan());
    const BinaryRun result = run({a.string(), b.string(), "-f", indexPath.string()}, "1\n");
    EXPECT_EQ(result.out, transcript(a, packALines + packBLines) + transcript(b, otherLines));
    EXPECT_EQ(result.status, 0);
}

} // namespace
