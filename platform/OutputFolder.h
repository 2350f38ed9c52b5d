#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <optional>
#include <string_view>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/FolderStep.h"
#include "core/PathList.h"
#include "platform/Platform.h"

// Receives the bytes of an output file as they are produced (see
// OutputFolder::writeFile). The first failed write is kept and later writes
// are dropped; the file is then not kept.
class FileSink {
public:
    void write(std::span<const std::uint8_t> bytes);
    int error() const { return error_; }

private:
    friend class OutputFolder;
    explicit FileSink(platform::NativeHandle file) : file_(file) {}
    platform::NativeHandle file_;
    int error_ = 0;
};

// The output folder, held open for the whole run. Every file and folder of
// the run is reached relative to it, one path component at a time, never
// through a link, so nothing outside it is created, written, replaced or
// removed, whatever it held before the run. A link, FIFO, device or socket
// where the run needs a folder or a file ends the run (RunAborted, naming the
// path). Paths below it are packet paths (PathList); empty and "."
// components are passed over, ".." is refused.
//
// Every file is written under a temporary name in its folder and given its
// final name only once it is complete and closed (see FileInProgress), so a
// file under its final name is always whole, and a failed write leaves what
// was there before.
class OutputFolder {
public:
    // Opens the folder at the system path `path`, creating it and its missing
    // ancestors. The folder itself may be a link the user made. Throws
    // RunAborted ("Output Folder : CanNot Enter <path> : <reason>", with the
    // pause) when it cannot be opened.
    explicit OutputFolder(std::string path);
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;
    ~OutputFolder();

    // The folder's path as the user gave it.
    const std::string& path() const { return path_; }

    // Writes `bytes` as the file at `file`, creating its missing folders.
    // Nothing on success, else the system's reason (the file at that name
    // is then as it was).
    std::optional<std::string> writeFile(const PathList& file, std::span<const std::uint8_t> bytes);
    // The same for content that `produce` hands to its sink piece by piece.
    // An exception from `produce` removes the temporary file and goes on.
    std::optional<std::string> writeFile(const PathList& file, const std::function<void(FileSink&)>& produce);

    // For a file the caller would write and, all going well, remove again at
    // once: does what writing it does before any byte is written (makes its
    // missing folders, refuses a link or special file at its name) and says
    // whether the write may be left out. True when nothing or a regular file
    // is at its name; false when the way or the name holds anything else, so
    // that writing it is the one way to meet what writing meets there.
    bool prepareFile(const PathList& file);

    // Reads the regular file at `file` into `bytes`. Fails with a reason for
    // a link, a FIFO, a device, a socket, a folder, or a file larger than
    // `sizeLimit`; never reads more than sizeLimit + 1 bytes.
    std::optional<std::string> readFile(const PathList& file, std::uint64_t sizeLimit,
                                        std::vector<std::uint8_t>& bytes);

    // Makes the folder at `folder` with its missing parents. Nothing on
    // success, else the system's reason.
    std::optional<std::string> makeFolder(const PathList& folder);

    // Removes the regular file at `file`; a link or anything else there, or
    // a missing folder on the way, is left alone. True when a file went.
    bool removeFile(const PathList& file);

    // Makes the file `identity` one the run must not replace or remove: a
    // file the run reads (the package, the index file), which may lie below
    // the output folder, under any of its names. A write or removal that
    // meets it ends the run (RunAborted) with "Cannot Write File : <path> :
    // it is <what>", and the file stays as it was.
    void protect(const platform::FileIdentity& identity, std::string what);

    // A path below the output folder as messages show it.
    static std::string shown(const PathList& file);

private:
    // The folder named by the first `count` components of `path`, opened
    // (and made) component by component; noHandle with `error` set when an
    // ordinary failure stops the way.
    platform::NativeHandle folderAt(const PathList& path, std::uint32_t count, bool create, int& error);
    platform::NativeHandle parentOf(const PathList& file, bool create, int& error) {
        return folderAt(file, file.count() == 0 ? 0U : file.count() - 1U, create, error);
    }
    std::optional<std::string> writeInto(const PathList& file,
                                         const std::function<int(platform::NativeHandle)>& fill);

    // Throws when the file `name` of `folder` (at `file`) is a protected one.
    void refuseInput(const PathList& file, platform::NativeHandle folder, const std::string& name) const;

    struct ProtectedFile {
        platform::FileIdentity identity;
        std::string what;
    };
    // A folder below the output folder that the run has opened: its parent
    // (another such folder, or the output folder itself) and its name there.
    // Its handle is kept open while it is among the folders used last.
    struct KnownFolder {
        std::uint32_t parent = 0;
        std::string name;
        platform::NativeHandle handle;
        std::list<std::uint32_t>::iterator openPosition; // in openFolders_, while open
    };
    // A folder known to the run on the walk to a file: its index in
    // knownFolders_ (or outputFolderIndex) and its component's position.
    struct WalkStep {
        std::uint32_t folder;
        std::uint32_t position;
    };
    static constexpr std::uint32_t outputFolderIndex = 0xFFFFFFFFU;
    // Folders kept open at most; a run that spreads its files over more
    // folders opens the ones used least lately again when it needs them.
    static constexpr std::size_t openFolderLimit = 256;

    platform::NativeHandle handleOf(std::uint32_t folder) const;
    void keepOpen(std::uint32_t folder, platform::NativeHandle handle);
    void touch(std::uint32_t folder);

    std::vector<ProtectedFile> protected_;
    std::string path_;
    platform::NativeHandle handle_;
    // Every folder opened so far, found by (parent, name): a lookup hashes
    // one component, so a path costs the bytes of its names however deep it
    // goes. A deque keeps the names where the steps' views point.
    std::deque<KnownFolder> knownFolders_;
    std::unordered_map<FolderStep, std::uint32_t, FolderStepHash> folderSteps_;
    std::list<std::uint32_t> openFolders_; // used last first
    std::vector<WalkStep> walk_;            // folderAt's, kept for its next call
    std::uint64_t temporaryCount_ = 0;
};
