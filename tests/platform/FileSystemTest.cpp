#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/ConsoleCapture.h"
#include "support/TempFolder.h"
#include "platform/FileSystem.h"

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
    const fs::path before = fs::current_path();
    EXPECT_EQ(chooseFile(capture.console(), std::nullopt), "/pkg/a.obb");
    EXPECT_EQ(capture.output(), "Path : /pkg/a.obb\n");
    EXPECT_EQ(fs::current_path(), before);
}

TEST(ChooseFile, EndOfInputIsACancelledChoice) {
    ConsoleCapture capture("");
    EXPECT_EQ(chooseFile(capture.console(), std::nullopt), "");
    EXPECT_EQ(capture.output(), "Path : \n");
}

TEST(ChooseFile, GivenPathIsPrintedWithoutPrompt) {
    ConsoleCapture capture("");
    EXPECT_EQ(chooseFile(capture.console(), std::string("/a/b.rsb")), "/a/b.rsb");
    EXPECT_EQ(capture.output(), "/a/b.rsb\n");
}

// A path from the user is the system's path: a backslash is part of a name
// on POSIX, not a separator.
struct SystemPathCase {
    const char* name;
    std::string path;
    std::string fileName;
    std::string folder;
};

class SystemPaths : public testing::TestWithParam<SystemPathCase> {};

TEST_P(SystemPaths, SplitOnlyAtTheSystemsSeparator) {
    EXPECT_EQ(fileNameOf(GetParam().path), GetParam().fileName);
    EXPECT_EQ(folderOf(GetParam().path), GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SystemPaths,
    testing::Values(SystemPathCase {"Plain", "/games/main.obb", "main.obb", "/games"},
                    SystemPathCase {"BackslashInName", "/games/my\\pkg.rsb", "my\\pkg.rsb", "/games"},
                    SystemPathCase {"AtTheRoot", "/a.rsb", "a.rsb", "/"},
                    SystemPathCase {"BareName", "a.rsb", "a.rsb", "."}),
    [](const testing::TestParamInfo<SystemPathCase>& row) { return row.param.name; });

TEST(ReadWholeFile, ReadsAFileWithABackslashInItsName) {
    TempFolder folder;
    std::ofstream("my\\pkg.bin", std::ios::binary) << std::string("\x01\x02\x00\x03", 4);
    std::string reason;
    const std::optional<std::string> back = readWholeFile((folder.path() / "my\\pkg.bin").string(), 100, &reason);
    ASSERT_TRUE(back.has_value()) << reason;
    EXPECT_EQ(*back, std::string("\x01\x02\x00\x03", 4));
}

// What is not a readable regular file within the limit gives a reason and
// never a wait or an endless read.
struct UnreadableCase {
    const char* name;
    std::function<std::string(const fs::path&)> prepare; // gives the path to read
    std::string reason;
};

class ReadWholeFileRefuses : public testing::TestWithParam<UnreadableCase> {};

TEST_P(ReadWholeFileRefuses, WithAReason) {
    TempFolder folder;
    const std::string path = GetParam().prepare(folder.path());
    std::string reason;
    EXPECT_FALSE(readWholeFile(path, 16, &reason).has_value());
    EXPECT_EQ(reason, GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ReadWholeFileRefuses,
    testing::Values(
        UnreadableCase {"Missing", [](const fs::path& root) { return (root / "nothing").string(); },
                        "No such file or directory"},
        UnreadableCase {"Folder", [](const fs::path& root) { return root.string(); }, "Is a directory"},
        UnreadableCase {"Fifo",
                        [](const fs::path& root) {
                            const fs::path fifo = root / "fifo";
                            EXPECT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
                            return fifo.string();
                        },
                        "not a regular file"},
        UnreadableCase {"Device", [](const fs::path&) { return std::string("/dev/zero"); }, "not a regular file"},
        UnreadableCase {"TooLarge",
                        [](const fs::path& root) {
                            std::ofstream(root / "big") << std::string(17, 'x');
                            return (root / "big").string();
                        },
                        "larger than 16 bytes"}),
    [](const testing::TestParamInfo<UnreadableCase>& row) { return row.param.name; });

TEST(ReadExactly, SaysWhenTheFileEndsEarly) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], "abc", 3), 3);
    ::close(ends[1]);
    std::vector<std::uint8_t> bytes(5);
    EXPECT_EQ(readExactly(ends[0], bytes), "read 3 of its 5 bytes: it became shorter while it was read");
    ::close(ends[0]);
}

TEST(ReadExactly, ReadsAllItIsAskedFor) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], "abcdef", 6), 6);
    ::close(ends[1]);
    std::vector<std::uint8_t> bytes(5);
    EXPECT_EQ(readExactly(ends[0], bytes), std::nullopt);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "abcde");
    ::close(ends[0]);
}

} // namespace
