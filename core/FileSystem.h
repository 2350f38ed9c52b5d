#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/Console.h"
#include "core/PathList.h"

// An open byte stream or nothing. Closes on destruction; `close` reports
// whether everything written reached the file.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(std::FILE* stream) : stream_(stream) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept : stream_(other.stream_) { other.stream_ = nullptr; }
    FileHandle& operator=(FileHandle&& other) noexcept;
    ~FileHandle() { release(); }

    std::FILE* stream() const { return stream_; }
    explicit operator bool() const { return stream_ != nullptr; }

    // Closes without checking (for files only read, or abandoned).
    void release();
    // Closes and returns the system's reason if the close failed, else nothing.
    std::optional<std::string> close();

private:
    std::FILE* stream_ = nullptr;
};

// The platform's current directory as a path list; empty list if unreadable.
PathList& currentDirectory(PathList& list);
// Makes the joined path the current directory; false when that fails.
bool changeDirectory(const PathList& list);
// Creates the folders named by the first 1, 2, ..., n components; failures are ignored.
void createFolderChain(const PathList& list, std::uint32_t n);
// Opens the joined path for binary reading.
FileHandle& openForRead(FileHandle& handle, const PathList& list);
// Creates the parent folders, then opens the joined path for binary writing.
FileHandle& openForWrite(FileHandle& handle, const PathList& list);

// Turns a reply to the path prompt into a path: surrounding white space and one
// pair of matching quotes are dropped, a leading "~/" stands for the home
// folder, and a relative path is taken against `currentFolder`. An empty reply
// stays empty (a cancelled choice).
std::string resolveChosenPath(std::string_view reply, const std::string& currentFolder,
                              const std::optional<std::string>& home);

// Obtains a file path from the user: `given` when the command line supplied
// one, otherwise the prompt "Path : " and one line of input. Fills `list`,
// prints the chosen path on a line of its own and leaves the current
// directory as it was.
PathList& chooseFile(Console& console, PathList& list, const std::optional<std::string>& given);

// Reads a whole file; nothing if it cannot be opened or read completely.
// `reason` receives the system's reason on failure.
std::optional<std::string> readWholeFile(const PathList& path, std::string* reason = nullptr);
// Writes the bytes with one write call and closes the file (creating parent
// folders); returns the system's reason on failure, nothing on success. A file
// that was created but not completely written is removed again.
std::optional<std::string> writeWholeFile(const PathList& path, std::span<const std::uint8_t> bytes);
