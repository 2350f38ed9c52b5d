#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TestLink.h"
#include "platform/Platform.h"
#include "support/TempFolder.h"

// The Windows file layer, run under wine or on Windows.

namespace {

namespace fs = std::filesystem;

std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

fs::path fromUtf8(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

std::string contentOf(const fs::path& path) {
    std::error_code missing;
    const std::uintmax_t size = fs::file_size(path, missing);
    if (missing) {
        return "(no file)";
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::ifstream in(path, std::ios::binary);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// An open folder handle, closed at the end of the test.
struct Folder {
    platform::NativeHandle handle = platform::noHandle();
    ~Folder() { platform::closeHandle(handle); }
};

int writeNewFile(platform::NativeHandle folder, const std::string& name, const std::string& bytes) {
    platform::NativeHandle file = platform::noHandle();
    if (const int error = platform::createNewFileAt(folder, name, file); error != 0) {
        return error;
    }
    const int error = platform::writeAll(file, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    const int closeError = platform::closeWrittenFile(file);
    return error != 0 ? error : closeError;
}

TEST(PlatformWindows, CurrentDirectoryKeepsTheDrive) {
    const std::optional<std::string> current = platform::currentDirectory();
    ASSERT_TRUE(current.has_value());
    ASSERT_GE(current->size(), 3U);
    EXPECT_EQ((*current)[1], ':') << *current;
    EXPECT_TRUE(platform::isAbsolutePath(*current));
    EXPECT_TRUE(platform::isAbsolutePath("D:\\a.rsb"));
    EXPECT_TRUE(platform::isAbsolutePath("d:/a.rsb"));
    EXPECT_TRUE(platform::isAbsolutePath("\\\\server\\share\\a.rsb"));
    EXPECT_FALSE(platform::isAbsolutePath("a.rsb"));
    EXPECT_FALSE(platform::isAbsolutePath("sub\\a.rsb"));
}

TEST(PlatformWindows, NonAsciiNamesReachTheSystemAsUnicode) {
    const TempFolder temp;
    const std::string folderName = "Pak\xC3\xA9t \xE5\x9B\xBE";
    Folder out;
    ASSERT_EQ(platform::openFolderPath(utf8(temp.path()) + "\\" + folderName + "\\deep", out.handle), 0);
    ASSERT_EQ(writeNewFile(out.handle, "\xE5\x9B\xBE\xE7\x89\x87.png", "utf8"), 0);
    ASSERT_EQ(writeNewFile(out.handle, "caf\xE9.txt", "latin1"), 0);
    const fs::path deep = temp.path() / fromUtf8(folderName) / "deep";
    EXPECT_EQ(contentOf(deep / u8"\u56FE\u7247.png"), "utf8");
    EXPECT_EQ(contentOf(deep / u8"caf\u00E9.txt"), "latin1");

    std::uint64_t size = 0;
    platform::NativeHandle file = platform::noHandle();
    ASSERT_EQ(platform::openRegularFilePath(utf8(deep / u8"\u56FE\u7247.png"), file, size), 0);
    platform::closeHandle(file);
    EXPECT_EQ(size, 4U);
}

TEST(PlatformWindows, NamesWindowsWouldMisreadAreRefused) {
    const TempFolder temp;
    Folder out;
    ASSERT_EQ(platform::openFolderPath(utf8(temp.path() / "out"), out.handle), 0);
    for (const std::string name : {"CON", "nul.png", "COM1.txt", "a:stream", "C:", "end.", "end ", "..", "a*b"}) {
        platform::NativeHandle file = platform::noHandle();
        EXPECT_EQ(platform::createNewFileAt(out.handle, name, file), EINVAL) << name;
        Folder sub;
        EXPECT_EQ(platform::openFolderAt(out.handle, name, true, sub.handle), EINVAL) << name;
    }
    EXPECT_TRUE(fs::is_empty(temp.path() / "out"));
}

TEST(PlatformWindows, ReplaceTakesTheNameOfAnExistingFile) {
    const TempFolder temp;
    Folder out;
    ASSERT_EQ(platform::openFolderPath(utf8(temp.path()), out.handle), 0);
    ASSERT_EQ(writeNewFile(out.handle, "final.json", "old"), 0);
    EXPECT_EQ(writeNewFile(out.handle, "final.json", "again"), EEXIST);
    ASSERT_EQ(writeNewFile(out.handle, "partial", "new"), 0);
    ASSERT_EQ(platform::replaceAt(out.handle, "partial", "final.json"), 0);
    EXPECT_EQ(contentOf(temp.path() / "final.json"), "new");
    EXPECT_FALSE(fs::exists(temp.path() / "partial"));
    int error = 0;
    EXPECT_EQ(platform::entryKind(out.handle, "final.json", error), platform::EntryKind::file);
    EXPECT_EQ(platform::entryKind(out.handle, "partial", error), platform::EntryKind::missing);
}

TEST(PlatformWindows, AFileBeingWrittenCanBeRemoved) {
    // What an interruption does to the file in progress while a worker
    // still holds it open.
    const TempFolder temp;
    Folder out;
    ASSERT_EQ(platform::openFolderPath(utf8(temp.path()), out.handle), 0);
    platform::NativeHandle file = platform::noHandle();
    ASSERT_EQ(platform::createNewFileAt(out.handle, "in-progress", file), 0);
    EXPECT_EQ(platform::removeAt(out.handle, "in-progress"), 0);
    platform::closeHandle(file);
    EXPECT_FALSE(fs::exists(temp.path() / "in-progress"));
}

TEST(PlatformWindows, FoldersAndFilesAreToldApart) {
    const TempFolder temp;
    fs::create_directory(temp.path() / "folder");
    std::ofstream(temp.path() / "file") << "x";
    Folder out;
    ASSERT_EQ(platform::openFolderPath(utf8(temp.path()), out.handle), 0);
    Folder sub;
    EXPECT_EQ(platform::openFolderAt(out.handle, "file", false, sub.handle), ENOTDIR);
    platform::NativeHandle file = platform::noHandle();
    std::uint64_t size = 0;
    EXPECT_EQ(platform::openRegularFileAt(out.handle, "folder", file, size), EISDIR);
    EXPECT_EQ(platform::openRegularFilePath(utf8(temp.path() / "folder"), file, size), EISDIR);
    ASSERT_EQ(platform::openRegularFileAt(out.handle, "file", file, size), 0);
    platform::closeHandle(file);
    EXPECT_EQ(size, 1U);
}

TEST(PlatformWindows, ReparsePointsCountAsLinksAndAreNotFollowed) {
    const TempFolder temp;
    fs::create_directory(temp.path() / "outside");
    std::ofstream(temp.path() / "outside" / "victim") << "keep";
    fs::create_directory(temp.path() / "out");
    const TestLink folderLink(temp.path() / "outside", temp.path() / "out" / "Temp", true);
    const TestLink fileLink(temp.path() / "outside" / "victim", temp.path() / "out" / "file", false);
    const TestLink removedLink(temp.path() / "outside" / "victim", temp.path() / "out" / "removed", false);
    const TestLink chosenLink(temp.path() / "outside", temp.path() / "chosen", true);
    for (const TestLink* link : {&folderLink, &fileLink, &removedLink, &chosenLink}) {
        ASSERT_EQ(link->failure(), "");
    }
    Folder out;
    ASSERT_EQ(platform::openFolderPath(utf8(temp.path() / "out"), out.handle), 0);
    int error = 0;
    EXPECT_EQ(platform::entryKind(out.handle, "Temp", error), platform::EntryKind::link);
    EXPECT_EQ(platform::entryKind(out.handle, "file", error), platform::EntryKind::link);
    // Other letter case, the same entries.
    EXPECT_EQ(platform::entryKind(out.handle, "TEMP", error), platform::EntryKind::link);
    EXPECT_EQ(platform::entryKind(out.handle, "FILE", error), platform::EntryKind::link);
    for (const bool create : {false, true}) {
        Folder sub;
        EXPECT_EQ(platform::openFolderAt(out.handle, "Temp", create, sub.handle), ELOOP);
    }
    platform::NativeHandle file = platform::noHandle();
    std::uint64_t size = 0;
    EXPECT_EQ(platform::openRegularFileAt(out.handle, "file", file, size), ELOOP);
    EXPECT_EQ(platform::createNewFileAt(out.handle, "file", file), EEXIST);
    // Replacing and removing act on the links themselves.
    ASSERT_EQ(writeNewFile(out.handle, "partial", "new"), 0);
    ASSERT_EQ(platform::replaceAt(out.handle, "partial", "file"), 0);
    EXPECT_EQ(platform::entryKind(out.handle, "file", error), platform::EntryKind::file);
    EXPECT_EQ(contentOf(temp.path() / "out" / "file"), "new");
    if (underWine()) {
        // wine would delete the link's target instead: the link stays.
        EXPECT_EQ(platform::removeAt(out.handle, "removed"), ELOOP);
    } else {
        EXPECT_EQ(platform::removeAt(out.handle, "removed"), 0);
        EXPECT_EQ(platform::entryKind(out.handle, "removed", error), platform::EntryKind::missing);
    }
    EXPECT_EQ(contentOf(temp.path() / "outside" / "victim"), "keep");
    // A link the user made to the output folder itself is followed.
    Folder chosen;
    ASSERT_EQ(platform::openFolderPath(utf8(temp.path() / "chosen"), chosen.handle), 0);
    ASSERT_EQ(platform::openRegularFileAt(chosen.handle, "victim", file, size), 0);
    platform::closeHandle(file);
    EXPECT_EQ(size, 4U);
}

} // namespace
