#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/Console.h"
#include "platform/Platform.h"

// Paths the user or the system gives are the system's own paths, kept as
// plain text: on POSIX a backslash is an ordinary character of a name. Only
// paths inside packets use '\\' as a separator (PathList).

// Turns a reply to the path prompt into a path: surrounding white space and one
// pair of matching quotes are dropped, a leading "~/" stands for the home
// folder, and a relative path is taken against `currentFolder`. An empty reply
// stays empty (a cancelled choice).
std::string resolveChosenPath(std::string_view reply, const std::string& currentFolder,
                              const std::optional<std::string>& home);

// Obtains a file path from the user: `given` when the command line supplied
// one, otherwise the system's Open-File dialog when there is one and the
// input is the console (Windows), else the prompt "Path : " and one line of
// input. A cancelled dialog gives the empty path. Prints the
// chosen path on a line of its own and returns it.
std::string chooseFile(Console& console, const std::optional<std::string>& given);

// The last component of a system path (the package's own file name).
std::string fileNameOf(const std::string& path);
// The folder holding the file at a system path ("." for a bare name).
std::string folderOf(const std::string& path);

// Reads the whole regular file at the system path `path`, at most
// `sizeLimit` bytes. Nothing if it cannot be opened, is not a regular file
// (a folder, a FIFO, a device), is larger than the limit or cannot be read
// completely; `reason` then receives why.
std::optional<std::string> readWholeFile(const std::string& path, std::uint64_t sizeLimit,
                                         std::string* reason = nullptr);

// The identity of the regular file at the system path `path` (links
// followed: the user named it), or nothing when it cannot be opened.
std::optional<platform::FileIdentity> fileIdentityOfPath(const std::string& path);

// Reads exactly bytes.size() bytes from an open file; nothing on success, else
// why not (a file that became shorter while it was read, or a read error).
std::optional<std::string> readExactly(platform::NativeHandle file, std::span<std::uint8_t> bytes);
