#include "platform/Platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <commdlg.h>
#include <conio.h>
#include <io.h>
#include <shellapi.h>

#include "platform/reparseTag.h"
#include "platform/windowsName.h"

// The Windows side of the platform layer. Every path goes to the system as
// UTF-16 (the W functions), never through the ANSI code page. A folder below
// the output folder is held as a handle opened without FILE_SHARE_DELETE, so
// it cannot be renamed or removed while the run holds it; a name in it is
// reached through the handle's own full path ("\\?\" form, in which Windows
// gives no name a special meaning), and reparse points that lead elsewhere
// (symbolic links, junctions, mount points) are opened as themselves and
// refused. Paths the user gives are made full and put in the "\\?\" form
// before they reach the system, so that no length limit applies to them.

namespace platform {

namespace {

// POSIX signal numbers for the console events, so that the exit status of an
// interrupted run is the same as on POSIX.
constexpr int signalHangUp = 1;
constexpr int signalInterrupt = 2;
constexpr int signalTerminate = 15;

std::wstring wide(std::string_view utf8) {
    const std::u16string name = windowsNameOf(utf8);
    return std::wstring(name.begin(), name.end());
}

std::string narrow(std::wstring_view text) {
    return utf8Of(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

// The system's last error as an error number.
int errorNumberOf(DWORD error) {
    switch (error) {
    case ERROR_SUCCESS:
        return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_MORE_DATA: // wine gives no full path longer than MAX_PATH
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER:
        return EINVAL;
    case ERROR_CANT_ACCESS_FILE:
    case ERROR_CANT_RESOLVE_FILENAME:
        return ELOOP;
    default:
        return EIO;
    }
}

int lastError() {
    const int error = errorNumberOf(::GetLastError());
    return error != 0 ? error : EIO;
}

// What GetFullPathNameW makes of a path: a full path, "." and ".." taken
// away, "C:x" against drive C's current folder; the path itself when the
// system cannot say.
std::wstring fullPathOf(const std::wstring& path) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0) {
            return path;
        }
        if (length < buffer.size()) {
            return std::wstring(buffer.data(), length);
        }
        buffer.resize(length + 1U);
    }
}

// The path the user gave as the system is to be handed it: full, in the
// "\\?\" form ("\\?\UNC\server\share\..." for a share), in which no
// MAX_PATH limit applies. The text is taken as Windows takes it first
// (trailing dots and spaces dropped, '/' as '\'), since the "\\?\" form
// would keep them.
std::wstring systemPath(const std::string& path) {
    const std::wstring given = wide(path);
    if (given.starts_with(L"\\\\?\\") || given.starts_with(L"\\\\.\\")) {
        return given;
    }
    const std::wstring full = fullPathOf(given);
    // A device ("NUL" becomes "\\.\NUL") stays as the system named it.
    if (full.starts_with(L"\\\\?\\") || full.starts_with(L"\\\\.\\")) {
        return full;
    }
    if (full.starts_with(L"\\\\")) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') {
        return L"\\\\?\\" + full;
    }
    return full;
}

// The full path of an open file or folder, in the "\\?\" form.
int finalPath(NativeHandle folder, std::wstring& path) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetFinalPathNameByHandleW(folder, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            return lastError();
        }
        if (length < buffer.size()) {
            path.assign(buffer.data(), length);
            return 0;
        }
        buffer.resize(length + 1U);
    }
}

// The full path of `name` in `folder`; EINVAL for a name Windows would take
// for something else than an entry of that folder.
int pathIn(NativeHandle folder, const std::string& name, std::wstring& path) {
    if (name.empty() || name == "." || windowsNameFault(name) != nullptr || name.find_first_of("/\\") != name.npos) {
        return EINVAL;
    }
    if (const int error = finalPath(folder, path); error != 0) {
        return error;
    }
    if (path.empty() || path.back() != L'\\') {
        path.push_back(L'\\');
    }
    path += wide(name);
    return 0;
}

// The kind of an entry from its attributes and, for a reparse point, its
// tag: only a tag that names another entry makes it a link (reparseTag.h).
EntryKind kindOf(DWORD attributes, DWORD reparseTag) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && reparseTagLeadsElsewhere(reparseTag)) {
        return EntryKind::link;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return EntryKind::folder;
    }
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
        return EntryKind::device;
    }
    return EntryKind::file;
}

// 0 when the handle opened at `path` (as pathIn makes it) is the entry at
// that path itself, ELOOP when it is somewhere else, or the reason its path
// cannot be read. A file system may follow a link without saying so in the
// handle's attributes: wine follows a Unix symbolic link even when asked for
// the reparse point itself. The handle's own full path then names the link's
// target. Letter case may differ: the system gives the name as stored. So
// may the form of a name: a short (8.3) name such as "LONGNA~1.TXT" opens
// the entry of the long name, which the handle's path then gives. The path
// asked for is then compared again with its last name (the folder's part is
// a handle's own full path, long already) as the folder lists it: the long
// name of that entry itself, never of what a link points to.
int checkAt(HANDLE handle, const std::wstring& path) {
    std::wstring reached;
    if (const int error = finalPath(handle, reached); error != 0) {
        return error;
    }
    const auto same = [&reached](const std::wstring& other) {
        return ::CompareStringOrdinal(reached.data(), static_cast<int>(reached.size()), other.data(),
                                      static_cast<int>(other.size()), TRUE) == CSTR_EQUAL;
    };
    if (same(path)) {
        return 0;
    }
    const std::size_t cut = path.find_last_of(L'\\');
    // A search would take these for wildcards.
    if (cut == path.npos || path.find_first_of(L"*?<>\"", cut) != path.npos) {
        return ELOOP;
    }
    WIN32_FIND_DATAW listed {};
    const HANDLE search = ::FindFirstFileW(path.c_str(), &listed);
    if (search == INVALID_HANDLE_VALUE) {
        return ELOOP;
    }
    ::FindClose(search);
    return same(path.substr(0, cut + 1) + listed.cFileName) ? 0 : ELOOP;
}

// The kind of the entry an open handle holds, or the reason it cannot be
// told.
int kindOfHandle(HANDLE handle, EntryKind& kind) {
    FILE_ATTRIBUTE_TAG_INFO information {};
    if (::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &information, sizeof information) != 0) {
        kind = kindOf(information.FileAttributes, information.ReparseTag);
        return 0;
    }
    // Without the tag, a reparse point counts as a link.
    BY_HANDLE_FILE_INFORMATION basic {};
    if (::GetFileInformationByHandle(handle, &basic) == 0) {
        return lastError();
    }
    kind = kindOf(basic.dwFileAttributes, 0);
    return 0;
}

// True when the two handles hold the same file.
bool sameFile(HANDLE first, HANDLE second) {
    BY_HANDLE_FILE_INFORMATION one {};
    BY_HANDLE_FILE_INFORMATION two {};
    return ::GetFileInformationByHandle(first, &one) != 0 && ::GetFileInformationByHandle(second, &two) != 0 &&
           one.dwVolumeSerialNumber == two.dwVolumeSerialNumber && one.nFileIndexHigh == two.nFileIndexHigh &&
           one.nFileIndexLow == two.nFileIndexLow;
}

constexpr DWORD folderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;

// Keeps an opened folder, or closes what is no folder with the reason. With
// `openedAt`, the handle must also be at that path (see checkAt).
int keepFolder(HANDLE handle, NativeHandle& folder, const std::wstring* openedAt = nullptr) {
    EntryKind kind = EntryKind::other;
    if (const int error = kindOfHandle(handle, kind); error != 0) {
        ::CloseHandle(handle);
        return error;
    }
    if (const int error = openedAt != nullptr ? checkAt(handle, *openedAt) : 0; error != 0) {
        ::CloseHandle(handle);
        return error;
    }
    if (kind != EntryKind::folder) {
        ::CloseHandle(handle);
        return kind == EntryKind::link ? ELOOP : ENOTDIR;
    }
    folder = handle;
    return 0;
}

// Keeps an opened regular file and gives its size, or closes anything else
// with the reason. With `openedAt`, the handle must also be at that path
// (see checkAt).
int keepRegularFile(HANDLE handle, NativeHandle& file, std::uint64_t& size, const std::wstring* openedAt = nullptr) {
    const auto fail = [handle](int error) {
        ::CloseHandle(handle);
        return error;
    };
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        return fail(EINVAL);
    }
    BY_HANDLE_FILE_INFORMATION information {};
    if (::GetFileInformationByHandle(handle, &information) == 0) {
        return fail(lastError());
    }
    EntryKind kind = EntryKind::other;
    if (const int error = kindOfHandle(handle, kind); error != 0) {
        return fail(error);
    }
    if (const int error = openedAt != nullptr ? checkAt(handle, *openedAt) : 0; error != 0) {
        return fail(error);
    }
    switch (kind) {
    case EntryKind::file:
        break;
    case EntryKind::folder:
        return fail(EISDIR);
    case EntryKind::link:
        return fail(ELOOP);
    default:
        return fail(EINVAL);
    }
    file = handle;
    size = (std::uint64_t {information.nFileSizeHigh} << 32U) | information.nFileSizeLow;
    return 0;
}

} // namespace

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (arguments == nullptr) {
        return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    }
    std::vector<std::string> result;
    for (int i = 1; i < count; ++i) {
        result.push_back(narrow(arguments[i]));
    }
    ::LocalFree(arguments);
    return result;
}

namespace {

// The console's code pages before the run, given back when it ends: the
// console may outlive the program (started from a command prompt).
UINT savedOutputCodePage = 0;
UINT savedInputCodePage = 0;

void restoreCodePages() {
    if (savedOutputCodePage != 0) {
        (void)::SetConsoleOutputCP(savedOutputCodePage);
    }
    if (savedInputCodePage != 0) {
        (void)::SetConsoleCP(savedInputCodePage);
    }
}

} // namespace

void prepareConsole() {
    // The program's text is UTF-8; the console shows it as such. Output to a
    // file or a pipe is the same bytes either way.
    savedOutputCodePage = ::GetConsoleOutputCP();
    savedInputCodePage = ::GetConsoleCP();
    (void)::SetConsoleOutputCP(CP_UTF8);
    (void)::SetConsoleCP(CP_UTF8);
    (void)std::atexit(restoreCodePages);
}

std::optional<std::string> fileFromDialog() {
    // The dialog may leave another current folder behind when the user
    // browses; the program's folder stays what it was.
    const std::optional<std::string> before = currentDirectory();
    // Room for the longest path the system takes, not just MAX_PATH.
    std::vector<wchar_t> chosen(32768, L'\0');
    OPENFILENAMEW dialog {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = nullptr;
    dialog.lpstrFilter = L"ALL\0*.*\0Text\0*.TXT\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = chosen.data();
    dialog.nMaxFile = static_cast<DWORD>(chosen.size());
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    const bool confirmed = ::GetOpenFileNameW(&dialog) != 0;
    if (before) {
        (void)::SetCurrentDirectoryW(wide(*before).c_str());
    }
    return confirmed ? narrow(chosen.data()) : std::string();
}

std::optional<std::string> currentDirectory() {
    const DWORD length = ::GetCurrentDirectoryW(0, nullptr);
    if (length == 0) {
        return std::nullopt;
    }
    std::vector<wchar_t> buffer(length + 1U);
    const DWORD written = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (written == 0 || written >= buffer.size()) {
        return std::nullopt;
    }
    return narrow(std::wstring_view(buffer.data(), written));
}

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// "C:" and the like: a path on a named drive.
bool startsWithDrive(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

} // namespace

bool isAbsolutePath(const std::string& path) {
    // "C:\x" and "\\server\share" ("\\?\..." too); not "C:x" (drive C's
    // current folder) nor "\x" (the current drive's root).
    if (startsWithDrive(path)) {
        return path.size() >= 3 && isSeparator(path[2]);
    }
    return path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]);
}

std::string absolutePath(const std::string& path, const std::string& currentFolder) {
    if (isAbsolutePath(path)) {
        return path;
    }
    if (startsWithDrive(path) || (!path.empty() && isSeparator(path[0]))) {
        // Only the system knows each drive's current folder.
        return narrow(fullPathOf(wide(path)));
    }
    if (currentFolder.empty()) {
        return path;
    }
    return currentFolder + (isSeparator(currentFolder.back()) ? "" : "\\") + path;
}

bool sameEntryName(const std::string& first, const std::string& second) {
    // The system drops trailing dots and spaces from a name it is given
    // (outside the "\\?\" form).
    const auto asTaken = [](const std::string& name) {
        std::wstring text = wide(name);
        while (!text.empty() && (text.back() == L'.' || text.back() == L' ')) {
            text.pop_back();
        }
        return text;
    };
    const std::wstring one = asTaken(first);
    const std::wstring two = asTaken(second);
    return ::CompareStringOrdinal(one.data(), static_cast<int>(one.size()), two.data(), static_cast<int>(two.size()),
                                  TRUE) == CSTR_EQUAL;
}

std::optional<unsigned> consoleProcessCount() {
    DWORD processes[4] {};
    const DWORD count = ::GetConsoleProcessList(processes, 4);
    if (count == 0) {
        return std::nullopt;
    }
    return static_cast<unsigned>(count);
}

std::optional<std::string> homeFolder() {
    const wchar_t* home = ::_wgetenv(L"USERPROFILE");
    if (home == nullptr || *home == L'\0') {
        return std::nullopt;
    }
    return narrow(home);
}

bool isTerminal(std::FILE* stream) {
    // _isatty is true for every character device, NUL and serial ports
    // included; only a console has a console mode.
    const int descriptor = ::_fileno(stream);
    if (descriptor < 0) {
        return false;
    }
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(descriptor));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
}

void waitForKey(std::FILE* in) {
    if (isTerminal(in)) {
        // One key press, as the console's "pause" takes it; an extended key
        // comes as two codes.
        const int key = ::_getch();
        if (key == 0 || key == 0xE0) {
            (void)::_getch();
        }
        return;
    }
    (void)std::fgetc(in);
}

void waitAtEnd(std::FILE* in) { waitForKey(in); }

void returnLargeBlocksPromptly() {}

void restoreTerminal() noexcept { restoreCodePages(); }

std::string errorText(int errorNumber) {
    // The C runtime has no text of its own for this one.
    if (errorNumber == ELOOP) {
        return "Too many levels of symbolic links";
    }
    return std::strerror(errorNumber);
}

std::optional<std::string> disallowedNameReason(int errorNumber, std::string_view path) {
    if (errorNumber != EINVAL) {
        return std::nullopt;
    }
    return disallowedWindowsCharacter(path);
}

NativeHandle noHandle() noexcept { return INVALID_HANDLE_VALUE; }

void closeHandle(NativeHandle handle) noexcept {
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr) {
        (void)::CloseHandle(handle);
    }
}

EntryKind entryKind(NativeHandle folder, const std::string& name, int& error) {
    error = 0;
    std::wstring path;
    if (const int failure = pathIn(folder, name, path); failure != 0) {
        error = failure;
        return EntryKind::other;
    }
    // The attributes of the entry itself: a reparse point is not followed.
    WIN32_FILE_ATTRIBUTE_DATA data {};
    if (::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) == 0) {
        const int failure = lastError();
        if (failure == ENOENT) {
            return EntryKind::missing;
        }
        error = failure;
        return EntryKind::other;
    }
    // A reparse point counts as a link until its tag says otherwise.
    const EntryKind listed = kindOf(data.dwFileAttributes, 0);
    if (listed != EntryKind::file && listed != EntryKind::folder && listed != EntryKind::link) {
        return listed;
    }
    // The tag, and a link the attributes do not show (see checkAt), are found
    // by opening the entry itself.
    const HANDLE handle = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return listed;
    }
    EntryKind kind = listed;
    if (listed == EntryKind::link) {
        // Only a reparse point opened as itself shows its tag; a handle
        // that is no reparse point went through one.
        FILE_ATTRIBUTE_TAG_INFO tag {};
        kind = ::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) != 0 &&
                       (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0
                   ? kindOf(tag.FileAttributes, tag.ReparseTag)
                   : EntryKind::link;
    }
    const bool elsewhere = kind != EntryKind::link && checkAt(handle, path) == ELOOP;
    ::CloseHandle(handle);
    return elsewhere ? EntryKind::link : kind;
}

int openFolderPath(const std::string& path, NativeHandle& folder) {
    folder = noHandle();
    const std::wstring widePath = systemPath(path);
    // Each folder below the root ("\\?\C:\" or "\\?\UNC\server\share\"),
    // made when missing.
    std::size_t rootEnd = 0;
    if (widePath.starts_with(L"\\\\?\\UNC\\")) {
        const std::size_t server = widePath.find(L'\\', 8);
        const std::size_t share = server == widePath.npos ? server : widePath.find(L'\\', server + 1);
        rootEnd = share == widePath.npos ? widePath.size() : share + 1;
    } else if (widePath.starts_with(L"\\\\?\\") && widePath.size() >= 7) {
        rootEnd = 7;
    }
    int creationError = 0;
    for (std::size_t end = rootEnd; end < widePath.size();) {
        std::size_t next = widePath.find(L'\\', end);
        if (next == widePath.npos) {
            next = widePath.size();
        }
        if (next > end &&
            ::CreateDirectoryW(widePath.substr(0, next).c_str(), nullptr) == 0 &&
            ::GetLastError() != ERROR_ALREADY_EXISTS && creationError == 0) {
            creationError = lastError();
        }
        end = next + 1;
    }
    // Links on the way and the folder itself are followed: the user named it.
    const HANDLE handle = ::CreateFileW(widePath.c_str(), folderAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const int error = lastError();
        return error == ENOENT && creationError != 0 ? creationError : error;
    }
    return keepFolder(handle, folder);
}

int openFolderAt(NativeHandle parent, const std::string& name, bool create, NativeHandle& folder) {
    folder = noHandle();
    std::wstring path;
    if (const int error = pathIn(parent, name, path); error != 0) {
        return error;
    }
    const auto open = [&path] {
        return ::CreateFileW(path.c_str(), folderAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    };
    HANDLE handle = open();
    if (handle == INVALID_HANDLE_VALUE && lastError() == ENOENT && create) {
        if (::CreateDirectoryW(path.c_str(), nullptr) == 0 && ::GetLastError() != ERROR_ALREADY_EXISTS) {
            return lastError();
        }
        handle = open();
    }
    if (handle == INVALID_HANDLE_VALUE) {
        return lastError();
    }
    return keepFolder(handle, folder, &path);
}

int createNewFileAt(NativeHandle folder, const std::string& name, NativeHandle& file) {
    file = noHandle();
    std::wstring path;
    if (const int error = pathIn(folder, name, path); error != 0) {
        return error;
    }
    // CREATE_NEW fails on any existing entry, a reparse point included.
    // FILE_SHARE_DELETE lets an interruption remove the file while a worker
    // still writes it.
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return lastError();
    }
    file = handle;
    return 0;
}

int writeAll(NativeHandle file, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), std::size_t {1} << 30U));
        DWORD written = 0;
        if (::WriteFile(file, bytes.data(), piece, &written, nullptr) == 0) {
            return lastError();
        }
        if (written == 0) {
            return ENOSPC;
        }
        bytes = bytes.subspan(written);
    }
    return 0;
}

int closeWrittenFile(NativeHandle file) { return ::CloseHandle(file) != 0 ? 0 : lastError(); }

int replaceAt(NativeHandle folder, const std::string& from, const std::string& to) {
    std::wstring fromPath;
    std::wstring toPath;
    if (const int error = pathIn(folder, from, fromPath); error != 0) {
        return error;
    }
    if (const int error = pathIn(folder, to, toPath); error != 0) {
        return error;
    }
    // A rename: a file or a link at `to` is replaced itself, never the file
    // a link points to.
    return ::MoveFileExW(fromPath.c_str(), toPath.c_str(), MOVEFILE_REPLACE_EXISTING) != 0 ? 0 : lastError();
}

int removeAt(NativeHandle folder, const std::string& name) noexcept {
    try {
        std::wstring path;
        if (const int error = pathIn(folder, name, path); error != 0) {
            return error;
        }
        // wine deletes what a Unix symbolic link points to when asked to
        // delete the link: an entry whose handle is elsewhere stays.
        const HANDLE handle =
            ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            const int error = checkAt(handle, path);
            ::CloseHandle(handle);
            if (error == ELOOP) {
                return error;
            }
        }
        if (::DeleteFileW(path.c_str()) != 0) {
            return 0;
        }
        const int error = lastError();
        // A link to a folder is removed as a folder, the link itself only.
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return ::RemoveDirectoryW(path.c_str()) != 0 ? 0 : lastError();
        }
        return error;
    } catch (...) {
        return ENOMEM;
    }
}

int openRegularFileAt(NativeHandle folder, const std::string& name, NativeHandle& file, std::uint64_t& size) {
    file = noHandle();
    size = 0;
    std::wstring path;
    if (const int error = pathIn(folder, name, path); error != 0) {
        return error;
    }
    HANDLE handle =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return lastError();
    }
    // A file whose data is stored another way (a cloud placeholder, a
    // deduplicated or compressed file) is read through the system's usual
    // handling of its tag: opened again without the flag, and kept only if
    // that is the same file.
    FILE_ATTRIBUTE_TAG_INFO tag {};
    if (::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) != 0 &&
        (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
        (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && !reparseTagLeadsElsewhere(tag.ReparseTag)) {
        const HANDLE followed = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (followed == INVALID_HANDLE_VALUE) {
            const int error = lastError();
            ::CloseHandle(handle);
            return error;
        }
        const bool same = sameFile(handle, followed);
        ::CloseHandle(handle);
        if (!same) {
            ::CloseHandle(followed);
            return ELOOP;
        }
        handle = followed;
    }
    return keepRegularFile(handle, file, size, &path);
}

int openRegularFilePath(const std::string& path, NativeHandle& file, std::uint64_t& size) {
    file = noHandle();
    size = 0;
    const HANDLE handle =
        // No write sharing: the package may be mapped, and no program may
        // shrink it meanwhile.
        ::CreateFileW(systemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return lastError();
    }
    return keepRegularFile(handle, file, size);
}

int fileIdentity(NativeHandle file, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION information {};
    if (::GetFileInformationByHandle(file, &information) == 0) {
        return lastError();
    }
    identity = {information.dwVolumeSerialNumber,
                (std::uint64_t {information.nFileIndexHigh} << 32U) | information.nFileIndexLow};
    return 0;
}

int fileIdentityAt(NativeHandle folder, const std::string& name, FileIdentity& identity) {
    std::wstring path;
    if (const int error = pathIn(folder, name, path); error != 0) {
        return error;
    }
    // Opened for its attributes only, the entry itself (a reparse point is
    // not followed), sharing everything so that it disturbs no other user.
    const HANDLE handle = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return lastError();
    }
    const int error = fileIdentity(handle, identity);
    ::CloseHandle(handle);
    return error;
}

int readSome(NativeHandle file, std::span<std::uint8_t> bytes, std::size_t& got) {
    got = 0;
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), std::size_t {1} << 30U));
    DWORD read = 0;
    if (::ReadFile(file, bytes.data(), piece, &read, nullptr) == 0) {
        return lastError();
    }
    got = read;
    return 0;
}

int mapFileReadOnly(NativeHandle file, std::uint64_t size, const std::uint8_t*& view) {
    view = nullptr;
    if (size == 0 || size > std::numeric_limits<std::size_t>::max()) {
        return EINVAL;
    }
    const HANDLE mapping = ::CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping == nullptr) {
        return lastError();
    }
    void* mapped = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(size));
    const int error = mapped == nullptr ? lastError() : 0;
    // The view keeps the mapping alive.
    ::CloseHandle(mapping);
    view = static_cast<const std::uint8_t*>(mapped);
    return error;
}

void unmapFile(const std::uint8_t* view, std::uint64_t) noexcept {
    if (view != nullptr) {
        ::UnmapViewOfFile(view);
    }
}

void watchMappedFileFaults(const std::uint8_t*, std::uint64_t, void (*)() noexcept) {}

void writeToStandardOutputNow(std::string_view text) noexcept {
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    while (!text.empty() && out != nullptr && out != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(text.size(), 1U << 20U));
        if (::WriteFile(out, text.data(), piece, &written, nullptr) == 0 || written == 0) {
            return;
        }
        text.remove_prefix(written);
    }
}

namespace {

void (*interruptionCallback)(int) = nullptr;

// Called by the system on a thread of its own for each console event.
BOOL WINAPI onConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        interruptionCallback(signalInterrupt);
        return TRUE;
    case CTRL_CLOSE_EVENT:
        interruptionCallback(signalHangUp);
        return TRUE;
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        interruptionCallback(signalTerminate);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void watchInterruptions(void (*onInterrupt)(int signalNumber)) {
    interruptionCallback = onInterrupt;
    (void)::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void exitNow(int status) noexcept { ::_exit(status); }

std::uint32_t processNumber() noexcept { return ::GetCurrentProcessId(); }

} // namespace platform
