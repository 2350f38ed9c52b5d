#include "package/writePacketFiles.h"

#include <cerrno>
#include <string>

#include "core/FatalError.h"
#include "core/FileSystem.h"
#include "core/Platform.h"
#include "package/checkPacketFiles.h"

namespace {

// Remembers the full current directory and returns to it when it goes out
// of scope, whichever way the writing ends.
class CurrentDirectoryGuard {
public:
    CurrentDirectoryGuard() {
        currentDirectory(saved_);
        if (saved_.empty()) {
            throw RunAborted({"Cannot read the current directory : " + platform::errorText(errno != 0 ? errno : EIO)},
                             true);
        }
    }
    CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
    CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;
    ~CurrentDirectoryGuard() {
        if (!restored_) {
            (void)changeDirectory(saved_);
        }
    }

    void restore() {
        restored_ = true;
        if (!changeDirectory(saved_)) {
            throw RunAborted({"Cannot return to the folder " + std::string(saved_.join().view()) + " : " +
                              platform::errorText(errno != 0 ? errno : EIO)},
                             true);
        }
    }

private:
    PathList saved_;
    bool restored_ = false;
};

[[noreturn]] void abortWriting(const PathList& outputFolder, const PathList& path, const std::string& reason) {
    PathList shown;
    shown.copyFrom(outputFolder).appendAll(path);
    throw RunAborted({"Cannot Write File : " + std::string(shown.join().view()) + " : " + reason}, true);
}

int errorOr(int fallback) { return errno != 0 ? errno : fallback; }

} // namespace

void writePacketFiles(const PathList& outputFolder, ByteSpan resourceData, ByteSpan atlasData,
                      const PacketFileList& files, std::string_view packetLabel) {
    checkPacketFiles(files, resourceData.size(), atlasData.size(), packetLabel);

    CurrentDirectoryGuard guard;
    createFolderChain(outputFolder, outputFolder.count());
    errno = 0;
    if (!changeDirectory(outputFolder)) {
        throw RunAborted({"Cannot Enter Folder : " + std::string(outputFolder.join().view()) + " : " +
                          platform::errorText(errorOr(ENOENT))},
                         true);
    }

    PathList path;
    for (const PacketFileEntry& file : files) {
        const ByteSpan block = file.type == atlasFileType ? atlasData : resourceData;
        path.split(file.name.view());
        // A file cut short by a failed write is removed by writeWholeFile, so
        // that only complete files are left in the output folder.
        if (const auto reason = writeWholeFile(path, block.subspan(file.offset, file.size))) {
            abortWriting(outputFolder, path, *reason);
        }
    }
    guard.restore();
}
