#include "package/checkPacketFiles.h"

#include <string>

#include "core/Bytes.h"
#include "core/FatalError.h"
#include "core/PathList.h"
#include "platform/windowsName.h"
#include "package/PackageRange.h"

namespace {

// Why the path cannot be written below the output folder, or nullptr.
const char* pathFault(const PathList& path) {
    if (path.count() > 1 && path[0].length() == 0) {
        return "starts at the root folder";
    }
    if (path.last().length() == 0) {
        return "names no file";
    }
    // A component that names no folder of its own is refused here, before
    // any file of the packet is written, not when its file is reached.
    for (const StringBuffer& component : path) {
        if (component == "..") {
            return "climbs out of the output folder";
        }
    }
    for (const StringBuffer& component : path) {
        if (component == ".") {
            return "has a component \".\"";
        }
        if (component.length() == 0) {
            return "has an empty component";
        }
    }
#ifdef _WIN32
    // Drives, streams, device names and the names Windows would change.
    for (const StringBuffer& component : path) {
        if (const char* fault = windowsNameFault(component.view())) {
            return fault;
        }
    }
#endif
    return nullptr;
}

} // namespace

void checkPacketFiles(const PacketFileList& files, std::uint64_t resourceDataSize, std::uint64_t atlasDataSize,
                      std::string_view packetLabel) {
    PathList path;
    for (std::uint32_t i = 0; i < files.count(); ++i) {
        const PacketFileEntry& file = files[i];
        const auto fail = [&](const std::string& why) {
            throw PackageFormatError(std::string(packetLabel) + ": " + recordLabel("file", i, file.name.view()) +
                                     ": " + why);
        };
        if (file.type != resourceFileType && file.type != atlasFileType) {
            fail("type " + std::to_string(file.type) + " is neither resource (0) nor atlas (1)");
        }
        const bool atlas = file.type == atlasFileType;
        const std::uint64_t blockSize = atlas ? atlasDataSize : resourceDataSize;
        if (!rangeInside(blockSize, file.offset, file.size)) {
            fail(std::to_string(file.size) + " bytes at offset " + std::to_string(file.offset) + " lie outside the " +
                 std::to_string(blockSize) + "-byte " + (atlas ? "atlas" : "resource") + " data");
        }
        path.split(file.name.view());
        if (const char* fault = pathFault(path)) {
            fail(std::string("the path ") + fault);
        }
    }
}
