#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/FatalError.h"
#include "core/OutputFolder.h"
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

TEST(OutputFolder, AFileNamedLikeATemporaryOneIsPassedOverAndKept) {
    TempFolder folder;
    const fs::path out = folder.path() / "out";
    fs::create_directories(out);
    // The names this process would try first.
    for (int n = 0; n < 3; ++n) {
        std::ofstream(out / (".resunpack-partial-" + std::to_string(::getpid()) + "-" + std::to_string(n))) << "mine";
    }
    OutputFolder output(out.string());
    ASSERT_EQ(output.writeFile(PathList::fromText("a.bin"), bytesOf(content)), std::nullopt);
    EXPECT_EQ(readFileText(out / "a.bin"), std::string("new\0!", 5));
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(readFileText(out / (".resunpack-partial-" + std::to_string(::getpid()) + "-" + std::to_string(n))),
                  "mine");
    }
}

TEST(OutputFolder, TheFolderItselfMayBeALinkTheUserMade) {
    TempFolder folder;
    fs::create_directory(folder.path() / "real");
    fs::create_directory_symlink(folder.path() / "real", folder.path() / "chosen");
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

// Something the output folder held before the run, where the run needs a
// folder or a file: the run ends naming the place, and nothing outside the
// output folder changes.
struct InTheWayCase {
    const char* name;
    std::string written;                                       // path below the output folder
    std::function<void(const fs::path& out, const fs::path& outside)> prepare;
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
    GetParam().prepare(out, outside);
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

INSTANTIATE_TEST_SUITE_P(
    Places, SomethingInTheWay,
    testing::Values(
        InTheWayCase {"TempIsALink", "Temp/R.txt",
                      [](const fs::path& out, const fs::path& outside) { fs::create_directory_symlink(outside, out / "Temp"); },
                      "Cannot Write File : Temp : a symbolic link stands where a folder is needed"},
        InTheWayCase {"FolderInsideTempIsALink", "Temp/Img/a.ptx",
                      [](const fs::path& out, const fs::path& outside) {
                          fs::create_directory(out / "Temp");
                          fs::create_directory_symlink(outside, out / "Temp/Img");
                      },
                      "Cannot Write File : Temp/Img : a symbolic link stands where a folder is needed"},
        InTheWayCase {"FileIsALink", "Temp/R.txt",
                      [](const fs::path& out, const fs::path& outside) {
                          fs::create_directory(out / "Temp");
                          fs::create_symlink(outside / "victim", out / "Temp/R.txt");
                      },
                      "Cannot Write File : Temp/R.txt : a symbolic link stands where a file is needed"},
        InTheWayCase {"DanglingLink", "Information.json",
                      [](const fs::path& out, const fs::path& outside) {
                          fs::create_symlink(outside / "not-yet", out / "Information.json");
                      },
                      "Cannot Write File : Information.json : a symbolic link stands where a file is needed"},
        InTheWayCase {"Fifo", "OutPut/a.png",
                      [](const fs::path& out, const fs::path&) {
                          fs::create_directory(out / "OutPut");
                          ASSERT_EQ(::mkfifo((out / "OutPut/a.png").c_str(), 0600), 0);
                      },
                      "Cannot Write File : OutPut/a.png : a FIFO stands where a file is needed"},
        InTheWayCase {"FifoAsFolder", "OutPut/a.png",
                      [](const fs::path& out, const fs::path&) {
                          ASSERT_EQ(::mkfifo((out / "OutPut").c_str(), 0600), 0);
                      },
                      "Cannot Write File : OutPut : a FIFO stands where a folder is needed"}),
    [](const testing::TestParamInfo<InTheWayCase>& row) { return row.param.name; });

TEST(OutputFolderRead, RefusesLinksSpecialFilesAndOversizedFiles) {
    TempFolder folder;
    const fs::path out = folder.path() / "out";
    fs::create_directories(out / "Temp");
    fs::create_symlink("/dev/zero", out / "Temp/zero");
    ASSERT_EQ(::mkfifo((out / "Temp/fifo").c_str(), 0600), 0);
    std::ofstream(out / "Temp/big") << std::string(100, 'x');
    std::ofstream(out / "Temp/fine") << "fine";
    OutputFolder output(out.string());
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(output.readFile(PathList::fromText("Temp/zero"), 1000, bytes), "not a regular file but a symbolic link");
    EXPECT_EQ(output.readFile(PathList::fromText("Temp/fifo"), 1000, bytes), "not a regular file but a FIFO");
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
    fs::create_symlink(folder.path() / "victim", out / "Temp/link");
    std::ofstream(out / "Temp/mine") << "x";
    OutputFolder output(out.string());
    EXPECT_FALSE(output.removeFile(PathList::fromText("Temp/link")));
    EXPECT_TRUE(fs::is_symlink(out / "Temp/link"));
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
        EXPECT_EQ(aborted.lines()[0], "Output Folder : CanNot Enter " + path + " : Not a directory");
    }
}

} // namespace
