#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/Unpacker.h"
#include "support/ConsoleCapture.h"
#include "support/Banner.h"
#include "support/RunBinary.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {


// The smallest well-formed package: a header with no sections and 16-byte texture records.
void writeEmptyPackage(const fs::path& path) {
    std::string bytes(112, '\0');
    bytes[92] = 16;
    std::ofstream(path, std::ios::binary) << bytes;
}

void writeFile(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string driverLines(const std::string& indexPath) {
    return "Now Analysis ResourcePackage Information\n"
           "Finish : Analysis ResourcePackage Information\n"
           "Now OutPut Atlas Resource\n"
           "Please Choose TextureFormat Index Information File\n" +
           indexPath + "\nInPut : " + indexPath +
           "\n"
           "Finish : OutPut Atlas Resource\n";
}

class Flow : public testing::Test {
protected:
    TempFolder folder;
    fs::path root() const { return folder.path(); }
};

TEST_F(Flow, MissingPackageInArgumentMode) {
    const std::string missing = (root() / "missing.obb").string();
    const BinaryRun run = runBinary(root(), {missing}, "");
    EXPECT_EQ(run.out, banner + missing + "\nInPut : " + missing + "\nFile Is Not Exist \nNow Exit\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(fs::exists(root() / "~missing.obb"));
}

TEST_F(Flow, CancelledChoiceInteractive) {
    const BinaryRun run = runBinary(root(), {}, "\n");
    EXPECT_EQ(run.out, banner + "Path : \nInPut : \nFile Is Not Exist \nNow Exit\nPress any key to continue . . .\n");
    EXPECT_EQ(run.status, 1);
}

TEST_F(Flow, InteractiveRunCreatesTheOutputFolderBesideThePackage) {
    fs::create_directories(root() / "games");
    writeEmptyPackage(root() / "games" / "a.rsb");
    writeFile(root() / "index.json", R"({"TextureFormat": []})");
    const std::string package = (root() / "games" / "a.rsb").string();
    const std::string index = (root() / "index.json").string();
    // Relative answers are taken against the current folder.
    const BinaryRun run = runBinary(root(), {}, "games/a.rsb\nindex.json\n\n");
    EXPECT_EQ(run.out, banner + "Path : " + package + "\nInPut : " + package +
                           "\n"
                           "Now Analysis ResourcePackage Information\n"
                           "Finish : Analysis ResourcePackage Information\n"
                           "Now OutPut Atlas Resource\n"
                           "Please Choose TextureFormat Index Information File\n"
                           "Path : " +
                           index + "\nInPut : " + index +
                           "\n"
                           "Finish : OutPut Atlas Resource\n"
                           "Finish!\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_regular_file(root() / "games" / "~a.rsb" / "Information.json"));
}

TEST_F(Flow, ArgumentModeWithOutputFolder) {
    writeEmptyPackage(root() / "p.obb");
    writeFile(root() / "index.json", R"({"TextureFormat": []})");
    const std::string package = (root() / "p.obb").string();
    const std::string index = (root() / "index.json").string();
    const BinaryRun run = runBinary(root(), {"p.obb", "-f", "index.json", "-o", "out/here"}, "");
    EXPECT_EQ(run.out, banner + package + "\nInPut : " + package + "\n" + driverLines(index) + "Finish!\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_regular_file(root() / "out" / "here" / "Information.json"));
    EXPECT_FALSE(fs::exists(root() / "~p.obb"));
}

TEST_F(Flow, DamagedPackageEndsWithFormatError) {
    writeFile(root() / "short.obb", std::string(50, '\0'));
    const BinaryRun run = runBinary(root(), {"short.obb", "-f", "none.json"}, "");
    EXPECT_NE(run.out.find("Now Analysis ResourcePackage Information\nResourcePackage : Format Error\n\t"),
              std::string::npos)
        << run.out;
    EXPECT_TRUE(run.out.ends_with("\nNow Exit\n")) << run.out;
    EXPECT_EQ(run.status, 1);
}

TEST_F(Flow, PackageOfFourGibibytesIsRefusedWithItsSize) {
    // A sparse file: its size is 4 GiB + 1 MiB without taking disk space.
    writeFile(root() / "huge.obb", "x");
    fs::resize_file(root() / "huge.obb", std::uintmax_t{4097} << 20U);
    const BinaryRun run = runBinary(root(), {"huge.obb"}, "");
    EXPECT_TRUE(run.out.ends_with("Error: CanNot Alloc Enought Buffer\nNeed Size: 4097M\nNow Exit\n")) << run.out;
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(fs::exists(root() / "~huge.obb"));
}

TEST_F(Flow, FolderGivenAsThePackageSaysSo) {
    fs::create_directories(root() / "folder.rsb");
    const std::string package = (root() / "folder.rsb").string();
    const BinaryRun run = runBinary(root(), {"folder.rsb"}, "");
    EXPECT_EQ(run.out, banner + package + "\nInPut : " + package + "\nResourcePackage : CanNot Read : " + package +
                           " : is a folder, not a package file\nNow Exit\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(fs::exists(root() / "~folder.rsb"));
}

// A backslash in a path the user gives is part of a name on this system.
TEST_F(Flow, BackslashesInTheUsersPathsAreNameBytes) {
    writeEmptyPackage(root() / "my\\pkg.rsb");
    writeFile(root() / "index.json", R"({"TextureFormat": []})");
    const BinaryRun beside = runBinary(root(), {"my\\pkg.rsb", "-f", "index.json"}, "");
    EXPECT_EQ(beside.status, 0) << beside.out;
    EXPECT_NE(beside.out.find("\nInPut : " + (root() / "my\\pkg.rsb").string() + "\n"), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(root() / "~my\\pkg.rsb" / "Information.json"));
    EXPECT_NE(readFileText(root() / "~my\\pkg.rsb" / "Information.json").find("\"ID\": \"my\\\\pkg.rsb\""),
              std::string::npos);

    const BinaryRun given = runBinary(root(), {"my\\pkg.rsb", "-f", "index.json", "-o", "odd\\name"}, "");
    EXPECT_EQ(given.status, 0) << given.out;
    EXPECT_TRUE(fs::is_regular_file(root() / "odd\\name" / "Information.json"));
    EXPECT_FALSE(fs::exists(root() / "odd"));
}

TEST_F(Flow, IndexFileWithAByteOrderMarkSaysSo) {
    writeEmptyPackage(root() / "p.obb");
    writeFile(root() / "index.json", "\xEF\xBB\xBF{\"TextureFormat\": []}");
    const BinaryRun run = runBinary(root(), {"p.obb", "-f", "index.json"}, "");
    EXPECT_TRUE(run.out.ends_with("TextureFormat Index Information File : Format Error\n"
                                  "\tthe file starts with a UTF-8 byte order mark; save it without one\n"
                                  "Now Exit\n"))
        << run.out;
    EXPECT_EQ(run.status, 1);
}

TEST_F(Flow, BadCommandLineExitsWithUsage) {
    const BinaryRun run = runBinary(root(), {"a.obb", "--no-such-option"}, "");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("Usage:"), std::string::npos);
    EXPECT_TRUE(run.out.empty());
}

} // namespace

namespace {

// What is left of the standard input after an interactive run shows how many
// waits it made: the pause of a fatal end takes one key, and nothing waits after it.
TEST(InteractiveWaits, FatalEndPausesOnceAndSuccessWaitsOnce) {
    TempFolder folder;
    ConsoleCapture cancelled("\nab");
    CommandLine interactive;
    EXPECT_EQ(runUnpacker(cancelled.console(), interactive), 1);
    EXPECT_EQ(std::fgetc(cancelled.console().input()), 'b');

    writeEmptyPackage(folder.path() / "p.obb");
    writeFile(folder.path() / "index.json", R"({"TextureFormat": []})");
    ConsoleCapture finished("p.obb\nindex.json\nab");
    EXPECT_EQ(runUnpacker(finished.console(), interactive), 0) << finished.output();
    EXPECT_EQ(std::fgetc(finished.console().input()), 'b');
}

} // namespace
