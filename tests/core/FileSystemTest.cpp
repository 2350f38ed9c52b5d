#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "support/ConsoleCapture.h"
#include "support/TempFolder.h"
#include "core/FileSystem.h"

namespace fs = std::filesystem;

namespace {

struct ResolveCase {
    const char* name;
    std::string reply;
    std::string expected;
};

class ResolveChosenPath : public testing::TestWithParam<ResolveCase> {};

TEST_P(ResolveChosenPath, TrimsQuotesAndMakesAbsolute) {
    EXPECT_EQ(resolveChosenPath(GetParam().reply, "/work/here", std::string("/home/me")), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ResolveChosenPath,
    testing::Values(ResolveCase {"Absolute", "/games/a.obb", "/games/a.obb"},
                    ResolveCase {"Relative", "data/a.obb", "/work/here/data/a.obb"},
                    ResolveCase {"SurroundingBlanks", " \t/games/a b.obb  \r", "/games/a b.obb"},
                    ResolveCase {"SingleQuotes", "'/games/a b.obb'", "/games/a b.obb"},
                    ResolveCase {"DoubleQuotesAroundRelative", "\"x.rsb\"", "/work/here/x.rsb"},
                    ResolveCase {"MismatchedQuotesKept", "'/games/a.obb\"", "/work/here/'/games/a.obb\""},
                    ResolveCase {"HomeFolder", "~/pkg/a.obb", "/home/me/pkg/a.obb"},
                    ResolveCase {"TildeInsideNameIsPlain", "~a.obb", "/work/here/~a.obb"},
                    ResolveCase {"Empty", "", ""},
                    ResolveCase {"OnlyBlanks", "   ", ""},
                    ResolveCase {"EmptyQuotes", "''", ""}),
    [](const testing::TestParamInfo<ResolveCase>& row) { return row.param.name; });

TEST(ChooseFile, PromptsReadsOneLineAndPrintsThePath) {
    ConsoleCapture capture("/pkg/a.obb\nrest\n");
    PathList list;
    const fs::path before = fs::current_path();
    chooseFile(capture.console(), list, std::nullopt);
    EXPECT_EQ(capture.output(), "Path : /pkg/a.obb\n");
    ASSERT_EQ(list.count(), 3U);
    EXPECT_EQ(list[0].view(), "");
    EXPECT_EQ(list[2].view(), "a.obb");
    EXPECT_EQ(fs::current_path(), before);
}

TEST(ChooseFile, EndOfInputIsACancelledChoice) {
    ConsoleCapture capture("");
    PathList list;
    chooseFile(capture.console(), list, std::nullopt);
    EXPECT_EQ(capture.output(), "Path : \n");
    ASSERT_EQ(list.count(), 1U);
    EXPECT_EQ(list[0].length(), 0U);
}

TEST(ChooseFile, GivenPathIsPrintedWithoutPrompt) {
    ConsoleCapture capture("");
    PathList list;
    chooseFile(capture.console(), list, std::string("/a/b.rsb"));
    EXPECT_EQ(capture.output(), "/a/b.rsb\n");
}

TEST(OpenForWrite, CreatesParentFoldersOnly) {
    TempFolder folder;
    FileHandle handle;
    openForWrite(handle, PathList::fromText("Temp/x/y.dat"));
    ASSERT_TRUE(handle);
    handle.release();
    EXPECT_TRUE(fs::is_directory("Temp/x"));
    EXPECT_TRUE(fs::is_regular_file("Temp/x/y.dat"));

    openForWrite(handle, PathList::fromText("Information.json"));
    ASSERT_TRUE(handle);
    handle.release();
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 2);
}

TEST(OpenForWrite, FileInTheWayOfAFolderGivesNoStream) {
    TempFolder folder;
    { std::ofstream("Temp") << "not a folder"; }
    FileHandle handle;
    errno = 0;
    openForWrite(handle, PathList::fromText("Temp/x/y.dat"));
    EXPECT_FALSE(handle);
    EXPECT_NE(errno, 0);
    EXPECT_TRUE(fs::is_regular_file("Temp"));
}

TEST(OpenForRead, MissingFileGivesNoStreamAndCreatesNothing) {
    TempFolder folder;
    FileHandle handle;
    openForRead(handle, PathList::fromText("missing/file"));
    EXPECT_FALSE(handle);
    EXPECT_TRUE(fs::is_empty("."));
}

TEST(CreateFolderChain, ExistingFoldersAreFine) {
    TempFolder folder;
    fs::create_directories("a/b");
    createFolderChain(PathList::fromText("a/b/c"), 3);
    EXPECT_TRUE(fs::is_directory("a/b/c"));
}

TEST(WholeFile, WritesReadsAndReportsFailures) {
    TempFolder folder;
    const std::vector<std::uint8_t> bytes = {1, 2, 0, 3};
    EXPECT_FALSE(writeWholeFile(PathList::fromText("d/f.bin"), bytes).has_value());
    std::string reason;
    const std::optional<std::string> back = readWholeFile(PathList::fromText("d/f.bin"), &reason);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, std::string("\x01\x02\x00\x03", 4));

    std::ofstream("plain") << "x";
    const std::optional<std::string> failure = writeWholeFile(PathList::fromText("plain/inside.bin"), bytes);
    ASSERT_TRUE(failure.has_value()) << "a file cannot be written below a plain file";
    EXPECT_FALSE(failure->empty());
    EXPECT_FALSE(readWholeFile(PathList::fromText("nothing"), &reason).has_value());
    EXPECT_FALSE(reason.empty());
}

TEST(WholeFile, FullDiskIsReportedAndThePartialFileRemoved) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "/dev/full is not available on this machine";
    }
    // Through a link, so that removing the failed file removes the link and
    // never the device itself.
    TempFolder folder;
    fs::create_symlink("/dev/full", "full.bin");
    const std::vector<std::uint8_t> bytes(100, 7);
    const std::optional<std::string> failure = writeWholeFile(PathList::fromText("full.bin"), bytes);
    ASSERT_TRUE(failure.has_value()) << "a write to a full device must not pass as success";
    EXPECT_EQ(*failure, "No space left on device");
    EXPECT_FALSE(fs::exists(fs::symlink_status("full.bin")));
    EXPECT_TRUE(fs::exists("/dev/full"));
}

} // namespace
