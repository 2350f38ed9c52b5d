#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestLink.h"
#include "core/FatalError.h"
#include "platform/FileSystem.h"
#include "platform/OutputFolder.h"
#include "support/FolderTree.h"
#include "support/RunBinary.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

const std::vector<std::uint8_t> content = {'n', 'e', 'w', 0, '!'};

std::span<const std::uint8_t> bytesOf(const std::vector<std::uint8_t>& bytes) { return bytes; }

// Names of everything below `root`, for "nothing else changed" checks.
std::vector<std::string> treeOf(const fs::path& root) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        names.push_back(entry.path().lexically_relative(root).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(OutputFolder, WritesCreatingFoldersAndReplacesWholeFiles) {
    TempFolder folder;
    OutputFolder output((folder.path() / "out").string());
    ASSERT_EQ(output.writeFile(PathList::fromText("Temp\\a/./b//c.bin"), bytesOf(content)), std::nullopt);
    EXPECT_EQ(readFileText(folder.path() / "out/Temp/a/b/c.bin"), std::string("new\0!", 5));
    ASSERT_EQ(output.writeFile(PathList::fromText("Temp/a/b/c.bin"), bytesOf({'x'})), std::nullopt);
    EXPECT_EQ(readFileText(folder.path() / "out/Temp/a/b/c.bin"), "x");
    EXPECT_FALSE(hasTemporaryLeftover(folder.path()));
}

// The run's input lying in the output folder: writing, preparing or removing
// it ends the run naming it, and the file keeps its bytes; other files are
// written as ever (so no two different files may look alike).
TEST(OutputFolder, AProtectedFileIsNeitherReplacedPreparedNorRemoved) {
    TempFolder folder;
    const fs::path out = folder.path() / "out";
    fs::create_directories(out / "Temp");
    std::ofstream(out / "Temp" / "input.rsb", std::ios::binary) << "package";
    std::ofstream(out / "Temp" / "other", std::ios::binary) << "other";
    OutputFolder output(out.string());
    const std::optional<platform::FileIdentity> identity = fileIdentityOfPath((out / "Temp" / "input.rsb").string());
    ASSERT_TRUE(identity);
    output.protect(*identity, "the package being unpacked");
    const PathList input = PathList::fromText("Temp/input.rsb");
    const std::function<void()> attempts[] = {[&] { (void)output.writeFile(input, bytesOf(content)); },
                                              [&] { (void)output.prepareFile(input); },
                                              [&] { (void)output.removeFile(input); }};
    for (const auto& attempt : attempts) {
        try {
            attempt();
            ADD_FAILURE() << "the input was not refused";
        } catch (const RunAborted& refused) {
            EXPECT_EQ(refused.lines(), std::vector<std::string> {
                                           "Cannot Write File : Temp/input.rsb : it is the package being unpacked"});
        }
    }
    EXPECT_EQ(readFileText(out / "Temp" / "input.rsb"), "package");
    EXPECT_EQ(output.writeFile(PathList::fromText("Temp/other"), bytesOf(content)), std::nullopt);
    EXPECT_EQ(output.writeFile(PathList::fromText("Temp/new"), bytesOf(content)), std::nullopt);
    EXPECT_TRUE(output.removeFile(PathList::fromText("Temp/new")));
    EXPECT_FALSE(hasTemporaryLeftover(folder.path()));
}

TEST(OutputFolder, AFileNamedLikeATemporaryOneIsPassedOverAndKept) {
    TempFolder folder;
    const fs::path out = folder.path() / "out";
    fs::create_directories(out);
    // The names this process would try first.
    for (int n = 0; n < 3; ++n) {
        std::ofstream(out / (".resunpack-partial-" + std::to_string(platform::processNumber()) + "-" +
                             std::to_string(n)))
            << "mine";
    }
    OutputFolder output(out.string());
    ASSERT_EQ(output.writeFile(PathList::fromText("a.bin"), bytesOf(content)), std::nullopt);
    EXPECT_EQ(readFileText(out / "a.bin"), std::string("new\0!", 5));
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(readFileText(out / (".resunpack-partial-" + std::to_string(platform::processNumber()) + "-" +
                                      std::to_string(n))),
                  "mine");
    }
}

TEST(OutputFolder, TheFolderItselfMayBeALinkTheUserMade) {
    TempFolder folder;
    fs::create_directory(folder.path() / "real");
    const TestLink chosen(folder.path() / "real", folder.path() / "chosen", true);
    ASSERT_EQ(chosen.failure(), "");
    OutputFolder output((folder.path() / "chosen").string());
    ASSERT_EQ(output.writeFile(PathList::fromText("Information.json"), bytesOf(content)), std::nullopt);
    EXPECT_TRUE(fs::is_regular_file(folder.path() / "real/Information.json"));
}

TEST(OutputFolder, AProducerThatThrowsLeavesTheEarlierFile) {
    TempFolder folder;
    OutputFolder output((folder.path() / "out").string());
    ASSERT_EQ(output.writeFile(PathList::fromText("Information.json"), bytesOf({'o', 'l', 'd'})), std::nullopt);
    EXPECT_THROW(output.writeFile(PathList::fromText("Information.json"),
                                  [](FileSink& sink) {
                                      sink.write(bytesOf(content));
                                      throw std::runtime_error("stopped half way");
                                  }),
                 std::runtime_error);
    EXPECT_EQ(readFileText(folder.path() / "out/Information.json"), "old");
    EXPECT_FALSE(hasTemporaryLeftover(folder.path()));
}

TEST(OutputFolder, AFolderInTheWayIsAnOrdinaryFailure) {
    TempFolder folder;
    fs::create_directories(folder.path() / "out/OutPut/a.png");
    OutputFolder output((folder.path() / "out").string());
    const std::optional<std::string> reason = output.writeFile(PathList::fromText("OutPut/a.png"), bytesOf(content));
    ASSERT_TRUE(reason.has_value());
    EXPECT_TRUE(fs::is_directory(folder.path() / "out/OutPut/a.png"));
    EXPECT_FALSE(hasTemporaryLeftover(folder.path()));
}

TEST(OutputFolder, PathsLongerThanTheOldWindowsLimitAreWrittenAndRead) {
    TempFolder folder;
    const std::string part(120, 'l');
    const PathList path = PathList::fromText("Temp/" + part + "/" + part + "/" + part + "/" + part + ".bin");
    OutputFolder output((folder.path() / "out").string());
#ifdef _WIN32
    if (underWine()) {
        // wine's GetFinalPathNameByHandleW gives no path longer than
        // MAX_PATH, which the file layer needs for each name it opens.
        EXPECT_EQ(output.writeFile(path, bytesOf(content)), "File name too long");
        return;
    }
#endif
    ASSERT_EQ(output.writeFile(path, bytesOf(content)), std::nullopt);
    ASSERT_EQ(output.writeFile(path, bytesOf({'x'})), std::nullopt);
    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(output.readFile(path, 100, bytes), std::nullopt);
    EXPECT_EQ(bytes, std::vector<std::uint8_t>({'x'}));
    EXPECT_TRUE(output.removeFile(path));
    EXPECT_FALSE(hasTemporaryLeftover(folder.path()));
}

// Folders are opened once and kept by what they are, not found again by
// their names: a file written into a folder 300 levels deep after its
// top folder was moved goes where the first one went. (Finding every level
// again by name for every file made a deep package cost the square of its
// depth.)
TEST(OutputFolder, ADeepFolderIsOpenedOnceForAllItsFiles) {
#ifdef _WIN32
    if (underWine()) {
        GTEST_SKIP() << "wine opens no path longer than MAX_PATH";
    }
#endif
    TempFolder folder;
    std::string deep;
    for (int level = 0; level < 300; ++level) {
        deep += "d/";
    }
    OutputFolder output((folder.path() / "out").string());
    ASSERT_EQ(output.writeFile(PathList::fromText(deep + "first"), bytesOf(content)), std::nullopt);
    fs::rename(folder.path() / "out/d", folder.path() / "out/moved");
    ASSERT_EQ(output.writeFile(PathList::fromText(deep + "second"), bytesOf(content)), std::nullopt);
    const fs::path moved = folder.path() / "out/moved" / deep.substr(2);
    EXPECT_TRUE(fs::is_regular_file(moved / "first"));
    EXPECT_TRUE(fs::is_regular_file(moved / "second"));
    EXPECT_FALSE(fs::exists(folder.path() / "out/d"));
}

// More folders than are kept open: those closed meanwhile are opened again
// from their parents, and every file lands where its path says.
TEST(OutputFolder, FoldersClosedForOthersAreOpenedAgain) {
    TempFolder folder;
    OutputFolder output((folder.path() / "out").string());
    const auto pathOf = [](int i, const char* file) {
        return PathList::fromText("a" + std::to_string(i) + "/x/" + file);
    };
    for (int i = 0; i < 400; ++i) {
        ASSERT_EQ(output.writeFile(pathOf(i, "f"), bytesOf(content)), std::nullopt);
    }
    for (int i = 0; i < 400; i += 7) {
        ASSERT_EQ(output.writeFile(pathOf(i, "g"), bytesOf({static_cast<std::uint8_t>('0' + i % 10)})),
                  std::nullopt);
        std::vector<std::uint8_t> bytes;
        ASSERT_EQ(output.readFile(pathOf(i, "f"), 100, bytes), std::nullopt);
        EXPECT_EQ(bytes, content);
    }
    for (int i = 0; i < 400; i += 7) {
        EXPECT_EQ(readFileText(folder.path() / "out" / ("a" + std::to_string(i)) / "x/g"),
                  std::string(1, static_cast<char>('0' + i % 10)));
    }
    EXPECT_EQ(treeOf(folder.path() / "out").size(), 400U * 3U + 400U / 7U + 1U);
}

// What the atlas stage's same-file rule is for: on Windows two names that
// differ only in letter case are one file, the later write replacing the
// earlier, and not only for ASCII letters (which is why the rule takes every
// run of non-ASCII bytes as alike); on POSIX they are two.
TEST(OutputFolder, NamesDifferingOnlyInLetterCase) {
    const struct {
        const char* first;
        const char* second;
    } pairs[] = {
        {"Temp/Img/A.bin", "temp/IMG/a.BIN"},
        {"Temp/\xC3\x89t\xC3\xA9.bin", "Temp/\xC3\xA9T\xC3\x89.bin"}, // Été, éTÉ
        {"Temp/\xCE\xA3\xCE\xB1.bin", "Temp/\xCF\x83\xCE\x91.bin"},   // Σα, σΑ
        {"Temp/\xD0\x96.bin", "Temp/\xD0\xB6.bin"},                     // Ж, ж
    };
    for (const auto& pair : pairs) {
        TempFolder folder;
        OutputFolder output((folder.path() / "out").string());
        ASSERT_EQ(output.writeFile(PathList::fromText(pair.first), bytesOf({'1'})), std::nullopt) << pair.first;
        ASSERT_EQ(output.writeFile(PathList::fromText(pair.second), bytesOf({'2'})), std::nullopt) << pair.second;
        std::vector<std::uint8_t> first;
        std::vector<std::uint8_t> second;
        ASSERT_EQ(output.readFile(PathList::fromText(pair.first), 10, first), std::nullopt) << pair.first;
        ASSERT_EQ(output.readFile(PathList::fromText(pair.second), 10, second), std::nullopt) << pair.second;
        EXPECT_EQ(second, std::vector<std::uint8_t>({'2'})) << pair.second;
#ifdef _WIN32
        EXPECT_EQ(first, second) << pair.first;
#else
        EXPECT_EQ(first, std::vector<std::uint8_t>({'1'})) << pair.first;
#endif
        EXPECT_FALSE(hasTemporaryLeftover(folder.path()));
    }
}

// A read-only file at the final name: POSIX renames over it (the folder is
// writable); Windows does not replace a read-only file, and the write fails
// leaving the file as it was (wine replaces it as POSIX does). Either way no
// file is cut short and no temporary file stays.
TEST(OutputFolder, AReadOnlyFileInTheWay) {
    TempFolder folder;
    const fs::path out = folder.path() / "out";
    fs::create_directories(out);
    std::ofstream(out / "Information.json") << "old";
    fs::permissions(out / "Information.json", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    OutputFolder output(out.string());
    const std::optional<std::string> reason =
        output.writeFile(PathList::fromText("Information.json"), bytesOf(content));
    const std::string now = readFileText(out / "Information.json");
#ifdef _WIN32
    if (reason.has_value()) {
        EXPECT_EQ(reason, "Permission denied");
        EXPECT_EQ(now, "old");
    } else {
        EXPECT_EQ(now, std::string("new\0!", 5));
    }
    fs::permissions(out / "Information.json", fs::perms::owner_write, fs::perm_options::add);
#else
    EXPECT_EQ(reason, std::nullopt);
    EXPECT_EQ(now, std::string("new\0!", 5));
#endif
    EXPECT_FALSE(hasTemporaryLeftover(folder.path()));
}

// Something the output folder held before the run, where the run needs a
// folder or a file: the run ends naming the place, and nothing outside the
// output folder changes.
struct InTheWayCase {
    const char* name;
    std::string written;                                       // path below the output folder
    // Makes what stands in the way; links it makes go into `links`.
    std::function<void(const fs::path& out, const fs::path& outside, std::vector<TestLink>& links)> prepare;
    std::string message;
};

class SomethingInTheWay : public testing::TestWithParam<InTheWayCase> {};

TEST_P(SomethingInTheWay, EndsTheRunAndTouchesNothingOutside) {
    TempFolder folder;
    const fs::path out = folder.path() / "out";
    const fs::path outside = folder.path() / "outside";
    fs::create_directories(out);
    fs::create_directories(outside);
    std::ofstream(outside / "victim") << "precious";
    std::vector<TestLink> links;
    GetParam().prepare(out, outside, links);
    for (const TestLink& link : links) {
        ASSERT_EQ(link.failure(), "");
    }
    const std::vector<std::string> outsideBefore = treeOf(outside);

    OutputFolder output(out.string());
    try {
        (void)output.writeFile(PathList::fromText(GetParam().written), bytesOf(content));
        FAIL() << "no error raised";
    } catch (const RunAborted& aborted) {
        ASSERT_EQ(aborted.lines().size(), 1U);
        EXPECT_EQ(aborted.lines()[0], GetParam().message);
        EXPECT_TRUE(aborted.pause());
    }
    EXPECT_EQ(treeOf(outside), outsideBefore);
    EXPECT_EQ(readFileText(outside / "victim"), "precious");
    EXPECT_FALSE(hasTemporaryLeftover(folder.path()));
}

std::vector<InTheWayCase> inTheWayCases() {
    std::vector<InTheWayCase> cases = {
        InTheWayCase {"TempIsALink", "Temp/R.txt",
                      [](const fs::path& out, const fs::path& outside, std::vector<TestLink>& links) {
                          links.emplace_back(outside, out / "Temp", true);
                      },
                      "Cannot Write File : Temp : a symbolic link stands where a folder is needed"},
        InTheWayCase {"FolderInsideTempIsALink", "Temp/Img/a.ptx",
                      [](const fs::path& out, const fs::path& outside, std::vector<TestLink>& links) {
                          fs::create_directory(out / "Temp");
                          links.emplace_back(outside, out / "Temp/Img", true);
                      },
                      "Cannot Write File : Temp/Img : a symbolic link stands where a folder is needed"},
        InTheWayCase {"FileIsALink", "Temp/R.txt",
                      [](const fs::path& out, const fs::path& outside, std::vector<TestLink>& links) {
                          fs::create_directory(out / "Temp");
                          links.emplace_back(outside / "victim", out / "Temp/R.txt", false);
                      },
                      "Cannot Write File : Temp/R.txt : a symbolic link stands where a file is needed"},
    };
#ifndef _WIN32
    // wine sees no link to nothing at all, and Windows has no FIFOs.
    cases.push_back(InTheWayCase {
        "DanglingLink", "Information.json",
        [](const fs::path& out, const fs::path& outside, std::vector<TestLink>& links) {
            links.emplace_back(outside / "not-yet", out / "Information.json", false);
        },
        "Cannot Write File : Information.json : a symbolic link stands where a file is needed"});
    cases.push_back(InTheWayCase {"Fifo", "OutPut/a.png",
                                  [](const fs::path& out, const fs::path&, std::vector<TestLink>&) {
                                      fs::create_directory(out / "OutPut");
                                      ASSERT_EQ(::mkfifo((out / "OutPut/a.png").c_str(), 0600), 0);
                                  },
                                  "Cannot Write File : OutPut/a.png : a FIFO stands where a file is needed"});
    cases.push_back(InTheWayCase {"FifoAsFolder", "OutPut/a.png",
                                  [](const fs::path& out, const fs::path&, std::vector<TestLink>&) {
                                      ASSERT_EQ(::mkfifo((out / "OutPut").c_str(), 0600), 0);
                                  },
                                  "Cannot Write File : OutPut : a FIFO stands where a folder is needed"});
#endif
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Places, SomethingInTheWay, testing::ValuesIn(inTheWayCases()),
                         [](const testing::TestParamInfo<InTheWayCase>& row) { return row.param.name; });

TEST(OutputFolderRead, RefusesLinksSpecialFilesAndOversizedFiles) {
    TempFolder folder;
    const fs::path out = folder.path() / "out";
    fs::create_directories(out / "Temp");
    std::ofstream(folder.path() / "outside") << "outside";
    const TestLink link(folder.path() / "outside", out / "Temp/link", false);
    ASSERT_EQ(link.failure(), "");
    std::ofstream(out / "Temp/big") << std::string(100, 'x');
    std::ofstream(out / "Temp/fine") << "fine";
#ifndef _WIN32
    fs::create_symlink("/dev/zero", out / "Temp/zero");
    ASSERT_EQ(::mkfifo((out / "Temp/fifo").c_str(), 0600), 0);
#endif
    OutputFolder output(out.string());
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(output.readFile(PathList::fromText("Temp/link"), 1000, bytes), "not a regular file but a symbolic link");
    EXPECT_TRUE(bytes.empty());
#ifndef _WIN32
    EXPECT_EQ(output.readFile(PathList::fromText("Temp/zero"), 1000, bytes), "not a regular file but a symbolic link");
    EXPECT_EQ(output.readFile(PathList::fromText("Temp/fifo"), 1000, bytes), "not a regular file but a FIFO");
#endif
    EXPECT_EQ(output.readFile(PathList::fromText("Temp/big"), 99, bytes),
              "holds 100 bytes, more than the 99 expected at most");
    ASSERT_EQ(output.readFile(PathList::fromText("Temp/fine"), 4, bytes), std::nullopt);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "fine");
}

TEST(OutputFolderRemove, RemovesOnlyARegularFile) {
    TempFolder folder;
    const fs::path out = folder.path() / "out";
    fs::create_directories(out / "Temp");
    std::ofstream(folder.path() / "victim") << "precious";
    const TestLink link(folder.path() / "victim", out / "Temp/link", false);
    ASSERT_EQ(link.failure(), "");
    std::ofstream(out / "Temp/mine") << "x";
    OutputFolder output(out.string());
    EXPECT_FALSE(output.removeFile(PathList::fromText("Temp/link")));
    EXPECT_TRUE(fs::exists(fs::symlink_status(out / "Temp/link")));
    EXPECT_EQ(readFileText(folder.path() / "victim"), "precious");
    EXPECT_TRUE(output.removeFile(PathList::fromText("Temp/mine")));
    EXPECT_FALSE(fs::exists(out / "Temp/mine"));
}

TEST(OutputFolderOpen, GivesTheReasonTheFolderCouldNotBeMade) {
    TempFolder folder;
    std::ofstream(folder.path() / "plain") << "x";
    const std::string path = (folder.path() / "plain/out").string();
    try {
        OutputFolder output(path);
        FAIL() << "no error raised";
    } catch (const RunAborted& aborted) {
        ASSERT_EQ(aborted.lines().size(), 1U);
#ifdef _WIN32
        // Windows finds no folder "plain" on the way.
        EXPECT_EQ(aborted.lines()[0], "Output Folder : CanNot Enter " + path + " : No such file or directory");
#else
        EXPECT_EQ(aborted.lines()[0], "Output Folder : CanNot Enter " + path + " : Not a directory");
#endif
    }
}

// Windows refuses names holding < > : " | ? * or a control character with
// the same error as any invalid name; the reason says which character (as
// the console shows names). Elsewhere such names are ordinary names.
struct DisallowedCase {
    const char* name;
    const char* path; // below the output folder
    const char* shownCharacter;
};

class DisallowedCharacter : public testing::TestWithParam<DisallowedCase> {};

#ifdef _WIN32
std::string disallowedReason(const char* shownCharacter) {
    return std::string("the name holds '") + shownCharacter + "', a character Windows does not allow in file names";
}
#endif

TEST_P(DisallowedCharacter, IsNamedAsTheReasonOnWindowsOnly) {
    TempFolder folder;
    OutputFolder output((folder.path() / "out").string());
    const PathList file = PathList::fromText(GetParam().path);
    const std::optional<std::string> written = output.writeFile(file, bytesOf(content));
    const PathList folderPath = PathList::fromText(std::string("made/") + GetParam().path);
    const std::optional<std::string> made = output.makeFolder(folderPath);
#ifdef _WIN32
    EXPECT_EQ(written, disallowedReason(GetParam().shownCharacter));
    EXPECT_EQ(made, disallowedReason(GetParam().shownCharacter));
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(output.readFile(file, 100, bytes), disallowedReason(GetParam().shownCharacter));
    // Not even the temporary file the write began with is left.
    for (const auto& entry : fs::recursive_directory_iterator(folder.path() / "out")) {
        EXPECT_FALSE(entry.is_regular_file()) << entry.path();
    }
#else
    EXPECT_EQ(written, std::nullopt);
    EXPECT_EQ(made, std::nullopt);
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(output.readFile(file, 100, bytes), std::nullopt);
    EXPECT_EQ(bytes, content);
#endif
}

INSTANTIATE_TEST_SUITE_P(Characters, DisallowedCharacter,
                         testing::Values(DisallowedCase {"Less", "a<b.png", "<"},
                                         DisallowedCase {"Greater", "sub/b>.png", ">"},
                                         DisallowedCase {"Quote", "q\"uote.png", "\""},
                                         DisallowedCase {"Bar", "a|b/c.png", "|"},
                                         DisallowedCase {"Question", "why?.png", "?"},
                                         DisallowedCase {"Star", "sub/*", "*"},
                                         DisallowedCase {"ControlByte", "bell\x07.png", "\\x07"},
                                         DisallowedCase {"FirstOfTwo", "d/x*y<z.png", "*"}),
                         [](const testing::TestParamInfo<DisallowedCase>& row) { return row.param.name; });

TEST(OutputFolderOpen, NamesACharacterWindowsDoesNotAllow) {
    TempFolder folder;
    const std::string path = (folder.path() / "o|ut").string();
#ifdef _WIN32
    try {
        OutputFolder output(path);
        FAIL() << "no error raised";
    } catch (const RunAborted& aborted) {
        EXPECT_EQ(aborted.lines(), std::vector<std::string> {"Output Folder : CanNot Enter " + path + " : " +
                                                              disallowedReason("|")});
    }
#else
    OutputFolder output(path);
    EXPECT_TRUE(fs::is_directory(path));
#endif
}

} // namespace
