#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/pathSeparator.h"

// Everything that differs between the POSIX and the Windows build lives behind
// these few functions; the rest of the program is platform-neutral.
//
// Files below the output folder are reached only relative to an open folder
// handle, one component at a time and never through a link, so that nothing
// already in the output folder can redirect a write. On POSIX a handle is a
// descriptor (openat, O_NOFOLLOW, renameat); the Windows side keeps the same
// functions over HANDLEs (FILE_FLAG_OPEN_REPARSE_POINT to refuse reparse
// points, MoveFileExW / SetFileInformationByHandle to replace a file).


namespace platform {

// The program's arguments, without the program's name, as UTF-8 (on Windows
// taken from the wide command line, so no name is squeezed through the ANSI
// code page).
std::vector<std::string> commandLineArguments(int argc, char** argv);
// Makes the console show the program's UTF-8 text as such (Windows: its code
// pages, given back at the end of the run); nothing where terminals take
// UTF-8 already.
void prepareConsole();
// Lets the user pick an existing file in the system's Open-File dialog (for
// a user at the console; see chooseFile): its
// full path, or the empty text when the user cancelled; nothing when the
// platform has no such dialog (the path is then asked for on the console).
std::optional<std::string> fileFromDialog();
// The process's current directory as a full path, or nothing if it cannot be read.
std::optional<std::string> currentDirectory();
// True when `path` is absolute on this platform. On Windows a path that
// depends on a drive's current folder ("C:x") or on the current drive ("\x")
// is not.
bool isAbsolutePath(const std::string& path);
// `path` as a full path: itself when absolute, else taken against
// `currentFolder` (itself when that is empty). On Windows "C:x" is taken
// against drive C's current folder and "\x" against the current drive's
// root, as the system takes them.
std::string absolutePath(const std::string& path, const std::string& currentFolder);
// True when the two names of entries in one folder name the same entry: on
// POSIX the same bytes; on Windows the same name without regard to letter
// case once the system has dropped trailing dots and spaces.
bool sameEntryName(const std::string& first, const std::string& second);
// How many processes share the console this one is attached to, or nothing
// when it has none or the platform cannot tell (POSIX). One means that the
// console was made for this run alone, and closes when it ends.
std::optional<unsigned> consoleProcessCount();
// The user's home folder, or nothing.
std::optional<std::string> homeFolder();
// True when the stream is attached to a terminal (Windows: to a console; a
// character device such as NUL is not one).
bool isTerminal(std::FILE* stream);
// Waits for one key: one key press when `in` is a terminal (no Enter needed),
// otherwise one character. End of input ends the wait. The terminal's
// settings are restored by restoreTerminal if the run is interrupted meanwhile.
void waitForKey(std::FILE* in);
// The wait at the end of an interactive run: one character of input where a
// terminal stays open after the program (POSIX), one key press as the
// console's "pause" takes it where the console window closes with the
// program (Windows).
void waitAtEnd(std::FILE* in);
// Makes the heap hand blocks of a megabyte and more straight back to the
// system when they are freed, so that memory which images and packets held
// for a moment does not stay with the process. Call once, before any thread.
void returnLargeBlocksPromptly();
// Puts back the terminal settings waitForKey changed, if it changed them, and
// the console's code pages prepareConsole changed. Safe to call from the
// interruption thread.
void restoreTerminal() noexcept;
// The text the system gives for an error number.
std::string errorText(int errorNumber);
// Windows refuses a name holding a character it does not allow in file
// names with the same error (EINVAL) as other invalid names; given that
// error and the path or name it came from, the reason naming the character
// (windowsName.h). Nothing for any other error or path, and always nothing
// on POSIX, where such names are valid.
std::optional<std::string> disallowedNameReason(int errorNumber, std::string_view path);

// ---- Files and folders relative to an open folder --------------------------

#ifdef _WIN32
using NativeHandle = void*;
#else
using NativeHandle = int;
#endif
// The value of a handle that holds nothing.
NativeHandle noHandle() noexcept;
// Closes a handle (nothing for noHandle); for handles only read or abandoned.
void closeHandle(NativeHandle handle) noexcept;

// What stands at a name in a folder, the name itself looked at, never what a
// link points to.
enum class EntryKind { missing, folder, file, link, fifo, device, socket, other };
// The entry at `name` in `folder`; `error` receives the system's reason when
// it cannot be looked at (then the kind is `other`).
EntryKind entryKind(NativeHandle folder, const std::string& name, int& error);
// "a symbolic link", "a FIFO", ... for the kinds a file or folder must not be.
const char* entryKindText(EntryKind kind);

// Every function below returns 0 on success, else the system's error number
// (errorText gives its text).

// Opens the folder at the system path `path`, creating it and its missing
// ancestors first. Links on the way are followed: the user named this folder.
// When the folder cannot be opened because an ancestor could not be created,
// the reason is that creation's failure, not the missing folder.
int openFolderPath(const std::string& path, NativeHandle& folder);
// Opens the folder `name` inside `parent`, creating it when missing and
// `create` is set. Never follows a link: anything but a folder at that name
// fails.
int openFolderAt(NativeHandle parent, const std::string& name, bool create, NativeHandle& folder);
// Creates the file `name` in `folder` for writing; fails when any entry has
// that name already (so it never opens a link, FIFO or device).
int createNewFileAt(NativeHandle folder, const std::string& name, NativeHandle& file);
// Writes all the bytes to the file.
int writeAll(NativeHandle file, std::span<const std::uint8_t> bytes);
// Closes a written file, reporting a failure to store what was written.
int closeWrittenFile(NativeHandle file);
// Gives the file `from` in `folder` the name `to` in the same folder, in one
// step, replacing a file (or a link itself, never its target) of that name.
int replaceAt(NativeHandle folder, const std::string& from, const std::string& to);
// Removes the entry `name` of `folder` (a file or a link itself).
int removeAt(NativeHandle folder, const std::string& name) noexcept;
// Opens the regular file `name` of `folder` for reading and gives its size.
// A link, FIFO, device, socket or folder at that name fails (ELOOP, EINVAL,
// EISDIR); opening never waits for a writer.
int openRegularFileAt(NativeHandle folder, const std::string& name, NativeHandle& file, std::uint64_t& size);
// Opens the regular file at the system path `path` for reading (links
// followed: the user named it) and gives its size; a folder or any other kind
// of file fails with EISDIR or EINVAL.
int openRegularFilePath(const std::string& path, NativeHandle& file, std::uint64_t& size);
// Reads up to bytes.size() bytes; `got` is 0 at the end of the file.
int readSome(NativeHandle file, std::span<std::uint8_t> bytes, std::size_t& got);

// What tells one file from every other: the device and inode number on
// POSIX, the volume serial number and file ID on Windows. Every name of a
// file (hard links too) gives the same identity.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity&) const = default;
};
// The identity of an open file.
int fileIdentity(NativeHandle file, FileIdentity& identity);
// The identity of the entry `name` of `folder`, the entry itself (a link is
// not followed).
int fileIdentityAt(NativeHandle folder, const std::string& name, FileIdentity& identity);

// ---- Files mapped into memory ----------------------------------------------

// Maps the first `size` bytes (size > 0) of a file opened for reading into
// memory, read-only; `view` receives their address. The mapping stays valid
// after the handle is closed, until unmapFile. On Windows the file must have
// been opened without write sharing, so that no program can shrink it
// meanwhile; on POSIX it can shrink, and reading past its new end faults
// (see watchMappedFileFaults).
int mapFileReadOnly(NativeHandle file, std::uint64_t size, const std::uint8_t*& view);
void unmapFile(const std::uint8_t* view, std::uint64_t size) noexcept;
// Calls `onFault` on the faulting thread when reading the `size` bytes at
// `begin` faults because the file behind them shrank (SIGBUS); `onFault` must
// end the process. A fault anywhere else keeps its usual deadly effect. One
// range is watched at a time; a range of zero bytes watches none. Nothing on
// Windows, where a mapped file cannot shrink.
void watchMappedFileFaults(const std::uint8_t* begin, std::uint64_t size, void (*onFault)() noexcept);
// Writes the bytes to the standard output with nothing but system calls, as
// a fault handler may.
void writeToStandardOutputNow(std::string_view text) noexcept;

// ---- Interruption ----------------------------------------------------------

// Arranges for SIGINT, SIGTERM and SIGHUP (the console's Ctrl-C and close
// events on Windows) to call `onInterrupt` with the signal number on a thread
// of its own, and for no other thread to receive them. Signals the parent
// made the process ignore stay ignored. Call once, before any other thread
// is started.
void watchInterruptions(void (*onInterrupt)(int signalNumber));
// Ends the process at once with `status`, running nothing else.
[[noreturn]] void exitNow(int status) noexcept;
// A number that differs between processes, for temporary names.
std::uint32_t processNumber() noexcept;

} // namespace platform
