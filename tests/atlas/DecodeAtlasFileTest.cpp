#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <sys/resource.h>

#include <gtest/gtest.h>

#include "atlas/decodeAtlasFile.h"
#include "atlas/reportDecodeOutcome.h"
#include "support/PngFile.h"
#include "support/ConsoleCapture.h"
#include "support/TempFolder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

PixelFormat format(const char* name) { return pixelFormatNamed(name); }

// Larger than any input these tests write.
constexpr std::uint64_t inputLimit = std::uint64_t{1} << 30U;

// Decodes with the current folder as the output folder.
DecodeOutcome decodeFile(const std::string& input, const std::string& output, ImageSize size, const char* name) {
    OutputFolder folder(".");
    return decodeAtlasFile(folder, PathList::fromText(input), PathList::fromText(output), size, format(name),
                           inputLimit);
}

Bytes randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    Bytes bytes(n);
    for (std::uint8_t& b : bytes) {
        b = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

TEST(DecodeAtlasFile, WritesPngInNewFolders) {
    TempFolder folder;
    writeFile("atlas", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18});
    const DecodeOutcome outcome = decodeFile("atlas", "OutPut/ui/atlas.png", {3, 2}, "BGR24");
    ASSERT_TRUE(outcome.succeeded) << outcome.failureReason;
    EXPECT_EQ(outcome.missingBytes, 0U);
    EXPECT_EQ(outcome.width, 3U);
    EXPECT_EQ(outcome.height, 2U);
    const PngFile png = PngFile::read("OutPut/ui/atlas.png");
    ASSERT_TRUE(png.valid);
    EXPECT_EQ(png.rgba, (Bytes{3, 2, 1, 255, 6, 5, 4, 255, 9, 8, 7, 255, 12, 11, 10, 255, 15, 14, 13, 255, 18, 17,
                               16, 255}));
}

// An "RGB_ETC1" record of 300 x 200 is written at 512 x 256, the blocks past
// 300 x 200 decoded like the others.
TEST(DecodeAtlasFile, EtcIsWrittenAtPaddedSize) {
    TempFolder folder;
    Bytes blocks(512 / 4 * 256 / 4 * 8, 0);
    const std::size_t lastBlock = blocks.size() - 8;
    std::fill(blocks.begin() + static_cast<std::ptrdiff_t>(lastBlock), blocks.end(), 0xFF);
    writeFile("etc", blocks);
    const DecodeOutcome outcome = decodeFile("etc", "etc.png", {300, 200}, "RGB_ETC1");
    ASSERT_TRUE(outcome.succeeded) << outcome.failureReason;
    EXPECT_EQ(outcome.width, 512U);
    EXPECT_EQ(outcome.height, 256U);
    const PngFile png = PngFile::read("etc.png");
    ASSERT_TRUE(png.valid);
    ASSERT_EQ(png.width, 512U);
    ASSERT_EQ(png.height, 256U);
    EXPECT_EQ(png.rgba[0], 2);
    EXPECT_EQ(png.rgba[(std::size_t{255} * 512 + 511) * 4], 64); // bottom row of the all-0xFF block
}

TEST(DecodeAtlasFile, UnknownFormatGivesZeroImageOfRecordSize) {
    TempFolder folder;
    writeFile("atlas", Bytes(100, 0x5A));
    const DecodeOutcome outcome = decodeFile("atlas", "atlas.png", {7, 5}, "UnKnown");
    ASSERT_TRUE(outcome.succeeded) << outcome.failureReason;
    const PngFile png = PngFile::read("atlas.png");
    ASSERT_TRUE(png.valid);
    EXPECT_EQ(png.width, 7U);
    EXPECT_EQ(png.height, 5U);
    EXPECT_EQ(png.rgba, Bytes(7 * 5 * 4, 0));
}

TEST(DecodeAtlasFile, ShortFileSucceedsAndCountsMissingBytes) {
    TempFolder folder;
    writeFile("atlas", Bytes(10, 0x33));
    const DecodeOutcome outcome = decodeFile("atlas", "atlas.png", {4, 4}, "RGBA32");
    ASSERT_TRUE(outcome.succeeded) << outcome.failureReason;
    EXPECT_EQ(outcome.missingBytes, 54U);
    const PngFile png = PngFile::read("atlas.png");
    ASSERT_TRUE(png.valid);
    EXPECT_EQ(png.rgba[9], 0x33);
    EXPECT_EQ(png.rgba[10], 0);
}

// Sizes that are not decoded fail before anything is read or written.
TEST(DecodeAtlasFile, RefusesSizesItCannotDecode) {
    struct Case {
        ImageSize size;
        const char* format;
        const char* reasonPart;
    };
    const Case cases[] = {
        {{0, 5}, "RGBA32", "zero side"},
        {{6, 0}, "UnKnown", "zero side"},
        {{16385, 1}, "RGBA32", "16384"},
        {{1, 16385}, "BGR24", "16384"},
        {{16385, 4}, "RGB_ETC1", "16384"}, // padded to 32768
        {{(1U << 31) + 1U, 4}, "RGB_ETC1", "too large"},
        {{4000000000U, 4000000000U}, "RGBA32", "16384"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        writeFile("atlas", Bytes(64, 1));
        const DecodeOutcome outcome = decodeFile("atlas", "out.png", c.size, c.format);
        EXPECT_FALSE(outcome.succeeded) << c.size.width << " x " << c.size.height;
        EXPECT_NE(outcome.failureReason.find(c.reasonPart), std::string::npos) << outcome.failureReason;
        EXPECT_FALSE(fs::exists("out.png"));
    }
}

TEST(DecodeAtlasFile, InputLargerThanItsLimitIsNotRead) {
    TempFolder folder;
    writeFile("atlas", Bytes(65, 1));
    OutputFolder output(".");
    const DecodeOutcome outcome =
        decodeAtlasFile(output, PathList::fromText("atlas"), PathList::fromText("out.png"), {4, 4}, format("RGBA32"), 64);
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(outcome.failureReason, "cannot read atlas : holds 65 bytes, more than the 64 expected at most");
    EXPECT_FALSE(fs::exists("out.png"));
}

TEST(DecodeAtlasFile, MissingInputFails) {
    TempFolder folder;
    const DecodeOutcome outcome = decodeFile("Temp/absent", "out.png", {4, 4}, "RGBA32");
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_NE(outcome.failureReason.find("cannot read"), std::string::npos) << outcome.failureReason;
    EXPECT_FALSE(fs::exists("out.png"));
}

TEST(DecodeAtlasFile, OutputThatCannotBeCreatedFails) {
    TempFolder folder;
    writeFile("atlas", Bytes(64, 1));
    writeFile("blocker", {});
    // A parent folder of the output path is a regular file.
    const DecodeOutcome outcome = decodeFile("atlas", "blocker/out.png", {4, 4}, "RGBA32");
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(outcome.failureReason, "cannot write blocker/out.png : Not a directory");
}

// Limits the size of files this process may write, so that writing the PNG
// fails part way; restores the limit on destruction.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

// A PNG larger than the file-size limit: a large one fails while libpng
// writes, a small one at its last write. Either way the partial file is
// removed.
TEST(DecodeAtlasFile, FailedWriteRemovesPartialFile) {
    struct Case {
        const char* name;
        std::uint32_t side;
    };
    for (const Case c : {Case{"write", 256}, Case{"close", 16}}) {
        TempFolder folder;
        writeFile("atlas", randomBytes(std::size_t{c.side} * c.side * 4U, 99U));
        DecodeOutcome outcome;
        {
            FileSizeLimit limit(200);
            outcome = decodeFile("atlas", "out/atlas.png", {c.side, c.side}, "RGBA32");
        }
        EXPECT_FALSE(outcome.succeeded) << c.name;
        EXPECT_NE(outcome.failureReason.find("cannot write"), std::string::npos) << outcome.failureReason;
        EXPECT_FALSE(fs::exists("out/atlas.png")) << c.name;
        EXPECT_TRUE(fs::is_empty("out")) << c.name << ": the temporary file must go too";
    }
}

// ---- The console lines that close an atlas. ----
TEST(ReportDecodeOutcome, PrintsWarningThenResult) {
    struct Case {
        bool succeeded;
        const char* reason;
        std::uint64_t missing;
        const char* expected;
    };
    const Case cases[] = {
        {true, "", 0, "\t\tDeCode Finish\n"},
        {true, "", 1234, "\t\t\tWarning : 1234 bytes of atlas data missing, read as zero\n\t\tDeCode Finish\n"},
        {false, "cannot read Temp/a : No such file or directory", 0,
         "\t\tDeCode Failed : cannot read Temp/a : No such file or directory\n"},
        {false, "x", 5000000000ULL, "\t\t\tWarning : 5000000000 bytes of atlas data missing, read as zero\n\t\tDeCode Failed : x\n"},
    };
    for (const Case& c : cases) {
        ConsoleCapture capture("");
        DecodeOutcome outcome;
        outcome.succeeded = c.succeeded;
        outcome.failureReason = c.reason;
        outcome.missingBytes = c.missing;
        reportDecodeOutcome(capture.console(), outcome);
        EXPECT_EQ(capture.output(), c.expected);
    }
}

} // namespace
