#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TestLink.h"
#include "platform/FileSystem.h"
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

// "C:x" is x in drive C's current folder and "\x" x at the current drive's
// root: neither may be put below the folder the program started in, nor be
// taken as a path from the drive's root. Packages, -f and -o all go
// through resolveChosenPath.
TEST(PlatformWindows, DriveRelativePathsAreTakenAsTheSystemTakesThem) {
    const TempFolder temp; // the current folder
    const std::string current = utf8(temp.path());
    const std::string drive = current.substr(0, 2);
    EXPECT_FALSE(platform::isAbsolutePath(drive + "pkg.rsb"));
    EXPECT_FALSE(platform::isAbsolutePath("\\pkg.rsb"));
    const std::string elsewhere = "Q:\\elsewhere";
    struct Row {
        std::string given;
        std::string resolved;
    };
    const Row rows[] = {
        {drive + "pkg.rsb", current + "\\pkg.rsb"},
        {drive + "sub\\pkg.rsb", current + "\\sub\\pkg.rsb"},
        {"\\pkg.rsb", drive + "\\pkg.rsb"},
        {"pkg.rsb", elsewhere + "\\pkg.rsb"},
        {drive + "\\a\\pkg.rsb", drive + "\\a\\pkg.rsb"},
        {"\\\\server\\share\\pkg.rsb", "\\\\server\\share\\pkg.rsb"},
    };
    for (const Row& row : rows) {
        const std::string resolved = resolveChosenPath(row.given, elsewhere, std::nullopt);
        EXPECT_EQ(resolved, row.resolved) << row.given;
    }
    // The package's output folder goes beside it, not to the drive's root.
    EXPECT_EQ(folderOf(resolveChosenPath(drive + "Main.rsb", elsewhere, std::nullopt)), current);
}

// A console is what the user types at; NUL is a character device as a
// console is, but no key ever comes from it.
TEST(PlatformWindows, NulIsNotAConsole) {
    std::FILE* nul = ::_wfopen(L"NUL", L"rb");
    ASSERT_NE(nul, nullptr);
    EXPECT_FALSE(platform::isTerminal(nul));
    std::fclose(nul);
    std::FILE* file = ::_wfopen(L"NUL", L"wb");
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(platform::isTerminal(file));
    std::fclose(file);
}

// Paths the user gives (the package, -f, -o) may be longer than MAX_PATH.
TEST(PlatformWindows, UserPathsLongerThanMaxPathWork) {
    const TempFolder temp;
    std::wstring deep = L"\\\\?\\" + temp.path().wstring();
    std::string deepText = utf8(temp.path());
    for (int level = 0; level < 8; ++level) {
        const std::string name = "folder-of-a-long-name-" + std::to_string(level) + std::string(20, 'x');
        deep += L"\\" + fromUtf8(name).wstring();
        deepText += "\\" + name;
        ASSERT_TRUE(::CreateDirectoryW(deep.c_str(), nullptr) != 0) << deepText;
    }
    ASSERT_GT(deepText.size(), 300U);
    const HANDLE created = ::CreateFileW((deep + L"\\pkg.rsb").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(created, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(created, "12345", 5, &written, nullptr) != 0);
    ::CloseHandle(created);

    platform::NativeHandle file = platform::noHandle();
    std::uint64_t size = 0;
    EXPECT_EQ(platform::openRegularFilePath(deepText + "\\pkg.rsb", file, size), 0);
    platform::closeHandle(file);
    EXPECT_EQ(size, 5U);
    std::string reason;
    EXPECT_EQ(readWholeFile(deepText + "/pkg.rsb", 100, &reason), "12345") << reason;
    // Relative to a long current folder, and an output folder made there.
    EXPECT_EQ(readWholeFile(resolveChosenPath(deepText.substr(utf8(temp.path()).size() + 1) + "\\pkg.rsb",
                                              utf8(temp.path()), std::nullopt),
                            100, &reason),
              "12345")
        << reason;
    Folder out;
    ASSERT_EQ(platform::openFolderPath(deepText + "\\~pkg.rsb\\more", out.handle), 0);
    EXPECT_NE(::GetFileAttributesW((deep + L"\\~pkg.rsb\\more").c_str()), INVALID_FILE_ATTRIBUTES);
    if (!underWine()) {
        // wine gives no handle's full path longer than MAX_PATH, which
        // writing below the folder needs.
        EXPECT_EQ(writeNewFile(out.handle, "Information.json", "{}"), 0);
        EXPECT_NE(::GetFileAttributesW((deep + L"\\~pkg.rsb\\more\\Information.json").c_str()),
                  INVALID_FILE_ATTRIBUTES);
    }
}

// A short (8.3) name opens the entry of its long name: the same entry, no
// link.
TEST(PlatformWindows, ShortNamesAreTheirLongEntries) {
    const TempFolder temp;
    fs::create_directory(temp.path() / "a folder of a long name");
    std::ofstream(temp.path() / "a file of a long name.txt") << "long";
    const auto shortNameOf = [](const fs::path& path) {
        std::vector<wchar_t> buffer(32768);
        const DWORD length = ::GetShortPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        return length == 0 ? std::string() : utf8(fs::path(std::wstring(buffer.data(), length)).filename());
    };
    const std::string shortFile = shortNameOf(temp.path() / "a file of a long name.txt");
    const std::string shortFolder = shortNameOf(temp.path() / "a folder of a long name");
    if (shortFile.empty() || shortFile == "a file of a long name.txt") {
        GTEST_SKIP() << "this volume makes no short names";
    }
    ASSERT_NE(shortFolder, "a folder of a long name");
    Folder out;
    ASSERT_EQ(platform::openFolderPath(utf8(temp.path()), out.handle), 0);
    int error = 0;
    EXPECT_EQ(platform::entryKind(out.handle, shortFile, error), platform::EntryKind::file) << shortFile;
    EXPECT_EQ(platform::entryKind(out.handle, shortFolder, error), platform::EntryKind::folder) << shortFolder;
    platform::NativeHandle file = platform::noHandle();
    std::uint64_t size = 0;
    EXPECT_EQ(platform::openRegularFileAt(out.handle, shortFile, file, size), 0) << shortFile;
    platform::closeHandle(file);
    EXPECT_EQ(size, 4U);
    Folder sub;
    EXPECT_EQ(platform::openFolderAt(out.handle, shortFolder, false, sub.handle), 0) << shortFolder;
    EXPECT_EQ(writeNewFile(sub.handle, "inside", "x"), 0);
    EXPECT_EQ(contentOf(temp.path() / "a folder of a long name" / "inside"), "x");
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
    // A device named by the user is opened as the device, and refused.
    EXPECT_EQ(platform::openRegularFilePath("NUL", file, size), EINVAL);
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
