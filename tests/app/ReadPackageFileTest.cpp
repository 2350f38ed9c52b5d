#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/readPackageFile.h"
#include "platform/Interruption.h"
#include "platform/Platform.h"
#include "support/RunBinary.h"
#include "support/TempFolder.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

void writeBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> someBytes(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 131U + (i >> 9U));
    }
    return bytes;
}

// Mapped or read, the run sees the file's bytes, and nothing for an empty file.
TEST(ReadPackageFile, GivesTheFilesBytesMappedOrRead) {
    const TempFolder folder;
    struct Case {
        const char* name;
        std::size_t size;
        bool mayMap;
        bool mapped;
    };
    const Case cases[] = {
        {"mapped", 70000, true, true},
        {"read", 70000, false, false},
        {"empty, read", 0, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> bytes = someBytes(c.size);
        writeBytes(folder.path() / "package.rsb", bytes);
        std::vector<std::string> failureLines;
        std::optional<PackageFile> package =
            readPackageFile((folder.path() / "package.rsb").string(), failureLines, c.mayMap);
        ASSERT_TRUE(package.has_value());
        EXPECT_TRUE(failureLines.empty());
        EXPECT_EQ(package->isMapped(), c.mapped);
        EXPECT_TRUE(std::ranges::equal(package->view(), bytes));
        // Moved, it keeps the same bytes; the file can then be replaced.
        const PackageFile moved = std::move(*package);
        package.reset();
        EXPECT_TRUE(std::ranges::equal(moved.view(), bytes));
    }
}

// A package path with a character Windows does not allow in file names: on
// Windows the reason names that character (as the console shows names), not
// "is not a regular file"; elsewhere it is an ordinary name.
TEST(ReadPackageFile, ANameWithACharacterWindowsDoesNotAllow) {
    const TempFolder folder;
    struct Case {
        const char* name;
        const char* shown;
    };
    for (const Case& c : {Case {"a<b.rsb", "<"}, Case {"a>b.rsb", ">"}, Case {"a|b.rsb", "|"},
                          Case {"why?.rsb", "?"}, Case {"all*.rsb", "*"}, Case {"q\"uote.rsb", "\""},
                          Case {"tab\t.rsb", "\\x09"}, Case {"sub|dir/p.rsb", "|"}}) {
        SCOPED_TRACE(c.name);
        const std::string path = (folder.path() / c.name).string();
        std::vector<std::string> failureLines;
        const std::optional<PackageFile> package = readPackageFile(path, failureLines);
        EXPECT_FALSE(package.has_value());
#ifdef _WIN32
        EXPECT_EQ(failureLines, std::vector<std::string> {"ResourcePackage : CanNot Read : " + path +
                                                          " : the name holds '" + c.shown +
                                                          "', a character Windows does not allow in file names"});
#else
        EXPECT_EQ(failureLines, std::vector<std::string> {"File Is Not Exist "});
#endif
    }
}

#ifndef _WIN32
// A package that shrinks while it is mapped: the read that faults ends the
// process with status 1 and one clean line, and the output file in progress
// is removed as after an interruption.
TEST(ReadPackageFileDeathTest, APackageThatShrinksWhileMappedEndsTheRunCleanly) {
    const TempFolder folder;
    const fs::path packagePath = folder.path() / "shrinking.rsb";
    const fs::path outPath = folder.path() / "out.txt";
    const fs::path outputFolder = folder.path() / "output";
    fs::create_directories(outputFolder);
    writeBytes(packagePath, someBytes(3U << 20));
    EXPECT_EXIT(
        {
            const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(out, STDOUT_FILENO);
            platform::NativeHandle outputHandle = platform::noHandle();
            if (platform::openFolderPath(outputFolder.string(), outputHandle) != 0) {
                std::_Exit(3);
            }
            FileInProgress inProgress(outputHandle, ".partial.png");
            platform::NativeHandle partial = platform::noHandle();
            if (platform::createNewFileAt(outputHandle, ".partial.png", partial) != 0) {
                std::_Exit(4);
            }
            std::vector<std::string> failureLines;
            const std::optional<PackageFile> package = readPackageFile(packagePath.string(), failureLines);
            if (!package || !package->isMapped()) {
                std::_Exit(5);
            }
            if (::truncate(packagePath.c_str(), 4096) != 0) {
                std::_Exit(6);
            }
            // A page past the new end: the read faults.
            const volatile std::uint8_t* last = package->view().data() + package->view().size() - 1;
            std::_Exit(*last == 0 ? 7 : 8);
        },
        ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(readFileText(outPath), "ResourcePackage : CanNot Read : " + packagePath.string() +
                                         " : the file changed while it was read\nNow Exit\n");
    EXPECT_FALSE(fs::exists(outputFolder / ".partial.png"));
}
#endif

} // namespace
