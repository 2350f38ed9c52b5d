// The atlas stage through the real binary: visits of a packet named by
// several slots, and the output budget against packages that ask for far
// more work than their size can honestly need.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/PngFile.h"
#include "packagewriter/writePackage.h"
#include "support/AmplifiedPackages.h"
#include "support/RunBinary.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
namespace pw = packagewriter;

namespace {

const std::string indexJson = R"({"TextureFormat": [{"Index": 0, "TextureFormat": "RGBA32"}]})";

pw::PacketFile rgbaAtlas(const std::string& path, std::uint32_t index, std::uint8_t red, std::uint32_t width = 2,
                         std::uint32_t height = 2) {
    std::vector<std::uint8_t> pixels;
    for (std::uint32_t i = 0; i < width * height; ++i) {
        pixels.insert(pixels.end(), {red, 20, 30, 255});
    }
    return {.path = path, .type = pw::atlasFile, .data = std::move(pixels), .atlasIndex = index, .width = width,
            .height = height};
}

class AtlasStage : public testing::Test {
protected:
    TempFolder folder;

    void write(const pw::Package& plan) {
        const std::vector<std::uint8_t> package = pw::writePackage(plan).bytes;
        std::ofstream(folder.path() / "pack.rsb", std::ios::binary)
            .write(reinterpret_cast<const char*>(package.data()), static_cast<std::streamsize>(package.size()));
        std::ofstream(folder.path() / "index.json", std::ios::binary) << indexJson;
    }

    BinaryRun run(std::vector<std::string> extra = {}, int timeoutSeconds = 60) {
        std::vector<std::string> arguments = {"pack.rsb", "-f", "index.json", "-o", "out"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        fs::remove_all(folder.path() / "out");
        return runBinary(folder.path(), arguments, "", timeoutSeconds);
    }

    fs::path out() const { return folder.path() / "out"; }

    std::uint64_t bytesUnder(const fs::path& path) const {
        std::uint64_t total = 0;
        if (fs::exists(path)) {
            for (const auto& entry : fs::recursive_directory_iterator(path)) {
                if (entry.is_regular_file()) {
                    total += entry.file_size();
                }
            }
        }
        return total;
    }
};

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

// Packets A and B both hold "img/a" (red 10 and red 200); the slots visit A,
// B, A. The last visit must write A's picture again over B's, so it cannot
// stand on the outcome of A's first visit.
TEST_F(AtlasStage, ARevisitedPacketWritesAgainWhatAnotherPacketOverwrote) {
    pw::Package plan;
    plan.subGroups = {{.name = "A", .files = {rgbaAtlas("img/a", 0, 10)}, .firstTextureIndex = 0},
                      {.name = "B", .files = {rgbaAtlas("img/a", 0, 200)}, .firstTextureIndex = 1}};
    plan.textures = {{.width = 2, .height = 2, .format = 0}, {.width = 2, .height = 2, .format = 0}};
    plan.groups = {{.name = "G", .slots = {{0, 1, 0}, {1, 2, 0}, {0, 3, 0}}}};
    write(plan);
    for (const char* jobs : {"1", "3"}) {
        SCOPED_TRACE(std::string("jobs ") + jobs);
        const BinaryRun result = run({"--jobs", jobs});
        ASSERT_EQ(result.status, 0) << result.out << result.err;
        EXPECT_EQ(occurrences(result.out, "\t\tDeCode Finish\n"), 3U);
        const PngFile png = PngFile::read((out() / "OutPut" / "img" / "a.png").string());
        ASSERT_TRUE(png.valid);
        EXPECT_EQ(png.rgba[0], 10) << "the picture of packet B was left in place";
    }
}

// One packet named by every slot of twelve groups: the later visits print
// their lines again but repeat no work, so a budget that one visit fits in
// is enough for all 768.
TEST_F(AtlasStage, RepeatedVisitsOfAnUnchangedPacketCostNothingMore) {
    pw::SubGroup packet {.name = "Shared"};
    for (std::uint32_t i = 0; i < 20; ++i) {
        packet.files.push_back({.path = "res/file" + std::to_string(i), .data = std::vector<std::uint8_t>(1000, 7)});
    }
    packet.files.push_back(rgbaAtlas("img/a", 0, 10, 64, 64));
    write(amplified::namedByEverySlot(packet, {.width = 64, .height = 64, .format = 0}));
    // Information.json, then 20 * 1000 + 16384 extracted, 16384 decoded.
    ASSERT_EQ(run().status, 0);
    const std::uint64_t description = fs::file_size(out() / "Information.json");
    const BinaryRun result = run({"--max-output", std::to_string(description + 60000)});
    ASSERT_EQ(result.status, 0) << result.out.substr(result.out.size() - std::min<std::size_t>(result.out.size(), 800));
    EXPECT_EQ(occurrences(result.out, "Now UnPack This PGSR Because it's Included Atlas Resource : Shared\n"), 768U);
    EXPECT_EQ(occurrences(result.out, "\t\tDeCode Finish\n"), 768U);
    EXPECT_TRUE(fs::exists(out() / "OutPut" / "img" / "a.png"));
    EXPECT_FALSE(fs::exists(out() / "Temp" / "img" / "a"));
}

struct BudgetCase {
    const char* name;
    pw::Package (*plan)();
    std::vector<std::string> options;
    const char* stopsAt; // a text of the budget's message
};



// Two small packets: a budget of 40 bytes fits the first packet's files
// (16 bytes) and pixels (16 bytes) but not the second packet's files.
pw::Package twoSmallPackets() {
    pw::Package plan;
    plan.subGroups = {{.name = "First", .files = {rgbaAtlas("img/a", 0, 10)}},
                      {.name = "Second", .files = {rgbaAtlas("img/b", 0, 20)}, .firstTextureIndex = 1}};
    plan.textures = {{.width = 2, .height = 2, .format = 0}, {.width = 2, .height = 2, .format = 0}};
    plan.groups = {{.name = "G", .slots = {{0, 1, 0}, {1, 2, 0}}}};
    return plan;
}

pw::Package manyEmptyFilesInEverySlot() {
    pw::SubGroup packet {.name = "Wide"};
    for (std::uint32_t i = 0; i < 300; ++i) {
        packet.files.push_back({.path = "res/empty" + std::to_string(i)});
    }
    packet.files.push_back(rgbaAtlas("img/a", 0, 10));
    return amplified::namedByEverySlot(packet, {.width = 2, .height = 2, .format = 0});
}

class OutputBudget : public AtlasStage, public testing::WithParamInterface<BudgetCase> {};

TEST_P(OutputBudget, EndsTheRunBeforeTheWorkWithTheSameLinesForAnyJobs) {
    write(GetParam().plan());
    std::string firstTranscript;
    for (const char* jobs : {"1", "2", "8"}) {
        SCOPED_TRACE(std::string("jobs ") + jobs);
        std::vector<std::string> options = GetParam().options;
        options.insert(options.end(), {"--jobs", jobs});
        // The work the budget refuses would take minutes: the limit shows it was not done.
        const BinaryRun result = run(options, 30);
        ASSERT_FALSE(result.signaled) << result.out;
        EXPECT_EQ(result.status, 1) << result.out;
        EXPECT_NE(result.out.find("Output Budget : Exceeded\n\t"), std::string::npos) << result.out;
        EXPECT_NE(result.out.find(GetParam().stopsAt), std::string::npos) << result.out;
        EXPECT_NE(result.out.find("--max-output SIZE"), std::string::npos);
        EXPECT_TRUE(result.out.ends_with("\nNow Exit\n")) << result.out;
        // Nothing near the budget was written.
        EXPECT_LT(bytesUnder(out()), std::uint64_t {1} << 20);
        if (firstTranscript.empty()) {
            firstTranscript = result.out;
        } else {
            EXPECT_EQ(result.out, firstTranscript);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputBudget,
    testing::Values(BudgetCase {"SameBytesMany", amplified::sameBytesMany, {}, "Extracting the 314572816 bytes of files"},
                    BudgetCase {"HugeEmptyAtlas", amplified::hugeEmptyAtlas, {}, "Decoding the atlas img/big"},
                    // Information.json counts: a budget below it ends the run before the file is kept.
                    BudgetCase {"LoweredBudget", twoSmallPackets, {"--max-output", "40"},
                                "Writing the description Information.json would take the run past its budget of 40 bytes"},
                    // One packet of 300 empty files named by 768 slots is described 768 times: 12 MB.
                    BudgetCase {"DescriptionOfEverySlot", manyEmptyFilesInEverySlot, {"--max-output", "1M"},
                                "Writing the description Information.json would take the run past its budget of 1048576 bytes"}),
    [](const testing::TestParamInfo<BudgetCase>& testCase) { return std::string(testCase.param.name); });

TEST_F(AtlasStage, ARaisedBudgetLetsTheSameRunFinish) {
    write(twoSmallPackets());
    // The budget counts Information.json first; 40 bytes more fit the first packet alone.
    ASSERT_EQ(run().status, 0);
    const std::uint64_t description = fs::file_size(out() / "Information.json");
    const BinaryRun lowered = run({"--max-output", std::to_string(description + 40)});
    EXPECT_NE(lowered.out.find("Extracting the 16 bytes of files of subgroup 1 (Second)"), std::string::npos)
        << lowered.out;
    EXPECT_EQ(lowered.status, 1);
    EXPECT_TRUE(fs::exists(out() / "OutPut" / "img" / "a.png")) << "work within the budget is done";
    EXPECT_FALSE(fs::exists(out() / "Temp" / "img" / "b"));
    const BinaryRun raised = run({"--max-output", std::to_string(description + 64)});
    EXPECT_EQ(raised.status, 0) << raised.out;
    EXPECT_TRUE(fs::exists(out() / "OutPut" / "img" / "b.png"));
}

// A run leaves an atlas's extracted copy unwritten when the copy would be
// removed as soon as the PNG is written. Against a run that keeps every copy,
// it must print the same lines, stop at the same point, and leave the same
// files but those copies, whatever the output folder held before.
struct LeftOutCase {
    const char* name;
    std::vector<pw::PacketFile> files;
    std::vector<std::uint32_t> widths;       // of the textures, one per atlas; 0 fails the decoding
    void (*prepare)(const fs::path& out);    // what the output folder holds before the run
    int status;
    std::vector<std::string> keptOnly;       // files under "Temp" the keeping run alone leaves
};

void nothingBefore(const fs::path&) {}

void staleFileBefore(const fs::path& out) {
    fs::create_directories(out / "Temp" / "img");
    std::ofstream(out / "Temp" / "img" / "a") << "an earlier run's copy";
}

void folderBefore(const fs::path& out) { fs::create_directories(out / "Temp" / "img" / "a" / "inner"); }

void linkBefore(const fs::path& out) {
    fs::create_directories(out / "Temp" / "img");
    fs::create_symlink("/etc/passwd", out / "Temp" / "img" / "a");
}

pw::PacketFile plainFile(const std::string& path) { return {.path = path, .data = {1, 2, 3}}; }

class LeftOutCopies : public AtlasStage, public testing::WithParamInterface<LeftOutCase> {
protected:
    std::map<std::string, std::string> tree() const {
        std::map<std::string, std::string> tree;
        if (fs::exists(out())) {
            for (const auto& entry : fs::recursive_directory_iterator(out())) {
                const std::string name = fs::relative(entry.path(), out()).string();
                if (entry.is_symlink()) {
                    tree[name] = "link";
                } else if (entry.is_directory()) {
                    tree[name] = "folder";
                } else {
                    tree[name] = readFileText(entry.path());
                }
            }
        }
        return tree;
    }
};

TEST_P(LeftOutCopies, LeaveWhatAKeepingRunLeavesButTheDecodedCopies) {
    const LeftOutCase& c = GetParam();
    pw::Package plan;
    plan.subGroups = {{.name = "Sub", .files = c.files}};
    for (const std::uint32_t width : c.widths) {
        plan.textures.push_back({.width = width, .height = 2, .format = 0});
    }
    plan.groups = {{.name = "G", .slots = {{0, 1, 0}}}};
    write(plan);

    std::map<std::string, std::string> trees[2];
    std::string transcripts[2];
    for (int keep = 0; keep < 2; ++keep) {
        fs::remove_all(out());
        c.prepare(out());
        std::vector<std::string> arguments = {"pack.rsb", "-f", "index.json", "-o", "out", "--jobs", "2"};
        if (keep == 1) {
            arguments.emplace_back("--keep-extracted");
        }
        const BinaryRun result = runBinary(folder.path(), arguments, "", 60);
        EXPECT_EQ(result.status, c.status) << result.out;
        transcripts[keep] = result.out;
        trees[keep] = tree();
    }
    EXPECT_EQ(transcripts[0], transcripts[1]);
    for (const std::string& name : c.keptOnly) {
        EXPECT_EQ(trees[1].erase(name), 1U) << name << " was not kept by --keep-extracted";
    }
    EXPECT_EQ(trees[0], trees[1]);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LeftOutCopies,
    testing::Values(
        LeftOutCase {.name = "Decoded", .files = {rgbaAtlas("img/a", 0, 10), rgbaAtlas("img/b", 1, 20)},
                     .widths = {2, 2}, .prepare = nothingBefore, .status = 0,
                     .keptOnly = {"Temp/img/a", "Temp/img/b"}},
        LeftOutCase {.name = "FailedDecodeKeepsItsCopy",
                     .files = {rgbaAtlas("img/a", 0, 10), rgbaAtlas("img/b", 1, 20)}, .widths = {2, 0},
                     .prepare = nothingBefore, .status = 1, .keptOnly = {"Temp/img/a"}},
        LeftOutCase {.name = "StaleCopyRemoved", .files = {rgbaAtlas("img/a", 0, 10)}, .widths = {2},
                     .prepare = staleFileBefore, .status = 0, .keptOnly = {"Temp/img/a"}},
        LeftOutCase {.name = "FolderInTheWay", .files = {rgbaAtlas("img/a", 0, 10)}, .widths = {2},
                     .prepare = folderBefore, .status = 1, .keptOnly = {}},
        LeftOutCase {.name = "LinkInTheWay", .files = {rgbaAtlas("img/a", 0, 10)}, .widths = {2},
                     .prepare = linkBefore, .status = 1, .keptOnly = {}},
        LeftOutCase {.name = "EarlierFileBelowTheAtlas", .files = {plainFile("img/a/x"), rgbaAtlas("img/a", 0, 10)},
                     .widths = {2}, .prepare = nothingBefore, .status = 1, .keptOnly = {}},
        LeftOutCase {.name = "LaterFileBelowTheAtlas", .files = {rgbaAtlas("img/a", 0, 10), plainFile("img/a/x")},
                     .widths = {2}, .prepare = nothingBefore, .status = 1, .keptOnly = {}},
        // "z/y" cannot be written below the file "z": the run ends in the
        // middle of the packet, after the atlas's copy was left out.
        LeftOutCase {.name = "LaterFileOfThePacketFails",
                     .files = {rgbaAtlas("img/a", 0, 10), plainFile("z"), plainFile("z/y")}, .widths = {2},
                     .prepare = nothingBefore, .status = 1, .keptOnly = {}}),
    [](const testing::TestParamInfo<LeftOutCase>& testCase) { return std::string(testCase.param.name); });

// Two atlas entries of one packet name the same file "img/a": the first a
// 2 x 2 image of red 10, the second a 4 x 4 image of red 200. Each is decoded
// from its own data, the later PNG replaces the earlier, and the copy under
// "Temp" goes only once the last of them is written, staying when one fails.
struct SameNameCase {
    const char* name;
    std::uint32_t firstWidth;  // of the first atlas's texture; 0 fails its decoding
    std::uint32_t secondWidth; // of the second's
    int status;
    std::size_t finished;      // "DeCode Finish" lines
    std::uint32_t pngWidth;    // of OutPut/img/a.png
    std::uint8_t pngRed;
    bool copyStays;            // Temp/img/a is left
};

class TwoAtlasesOfOneName : public AtlasStage, public testing::WithParamInterface<SameNameCase> {};

TEST_P(TwoAtlasesOfOneName, AreEachDecodedFromTheirOwnData) {
    const SameNameCase& c = GetParam();
    pw::Package plan;
    plan.subGroups = {{.name = "Sub", .files = {rgbaAtlas("img/a", 0, 10, 2, 2), rgbaAtlas("img/a", 1, 200, 4, 4)}}};
    plan.textures = {{.width = c.firstWidth, .height = 2, .format = 0}, {.width = c.secondWidth, .height = 4, .format = 0}};
    plan.groups = {{.name = "G", .slots = {{0, 1, 0}}}};
    write(plan);
    for (const char* jobs : {"1", "3"}) {
        SCOPED_TRACE(std::string("jobs ") + jobs);
        const BinaryRun result = run({"--jobs", jobs});
        EXPECT_EQ(result.status, c.status) << result.out << result.err;
        EXPECT_EQ(occurrences(result.out, "\t\tDeCode Finish\n"), c.finished) << result.out;
        EXPECT_EQ(result.out.find("cannot read"), std::string::npos) << result.out;
        const PngFile png = PngFile::read((out() / "OutPut" / "img" / "a.png").string());
        ASSERT_TRUE(png.valid);
        EXPECT_EQ(png.width, c.pngWidth);
        ASSERT_FALSE(png.rgba.empty());
        EXPECT_EQ(png.rgba[0], c.pngRed);
        EXPECT_EQ(fs::exists(out() / "Temp" / "img" / "a"), c.copyStays);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TwoAtlasesOfOneName,
    testing::Values(SameNameCase {"BothWritten", 2, 4, 0, 2, 4, 200, false},
                    SameNameCase {"FirstFails", 0, 4, 1, 1, 4, 200, true},
                    SameNameCase {"SecondFails", 2, 0, 1, 1, 2, 10, true}),
    [](const testing::TestParamInfo<SameNameCase>& testCase) { return std::string(testCase.param.name); });

} // namespace
