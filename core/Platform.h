#pragma once

#include <cstdio>
#include <optional>
#include <string>

// Everything that differs between the POSIX and the Windows build lives behind
// these few functions; the rest of the program is platform-neutral.

#ifdef _WIN32
inline constexpr char pathSeparator = '\\';
#else
inline constexpr char pathSeparator = '/';
#endif

namespace platform {

// The process's current directory as a full path, or nothing if it cannot be read.
std::optional<std::string> currentDirectory();
// Makes `path` the current directory; false when that fails.
bool changeDirectory(const std::string& path);
// Creates one folder; false when it cannot be made (including when it exists).
bool makeFolder(const std::string& path);
// Removes one file; false when that fails.
bool removeFile(const std::string& path);
// True when `path` names an existing folder.
bool isFolder(const std::string& path);
// True when `path` is absolute on this platform.
bool isAbsolutePath(const std::string& path);
// The user's home folder, or nothing.
std::optional<std::string> homeFolder();
// True when the stream is attached to a terminal.
bool isTerminal(std::FILE* stream);
// Waits for one key: one key press when `in` is a terminal (no Enter needed),
// otherwise one character. End of input ends the wait.
void waitForKey(std::FILE* in);
// Makes the heap hand blocks of a megabyte and more straight back to the
// system when they are freed, so that memory which images and packets held
// for a moment does not stay with the process. Call once, before any thread.
void returnLargeBlocksPromptly();
// The text the system gives for an error number.
std::string errorText(int errorNumber);

} // namespace platform
