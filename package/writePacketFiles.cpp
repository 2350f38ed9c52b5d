#include "package/writePacketFiles.h"

#include <string>

#include "core/FatalError.h"
#include "package/checkPacketFiles.h"

void writePacketFiles(OutputFolder& folder, const PathList& base, ByteSpan resourceData, ByteSpan atlasData,
                      const PacketFileList& files, std::string_view packetLabel, const std::vector<bool>& mayLeaveOut,
                      std::vector<bool>* leftOut) {
    if (leftOut != nullptr) {
        leftOut->assign(files.count(), false);
    }
    checkPacketFiles(files, resourceData.size(), atlasData.size(), packetLabel);

    // The folder is made even for a packet without files.
    if (const auto reason = folder.makeFolder(base)) {
        throw RunAborted({"Cannot Write File : " + OutputFolder::shown(base) + " : " + *reason}, true);
    }
    PathList path;
    for (std::uint32_t i = 0; i < files.count(); ++i) {
        const PacketFileEntry& file = files[i];
        const ByteSpan block = file.type == atlasFileType ? atlasData : resourceData;
        path.copyFrom(base);
        path.appendSplit(file.name.view());
        if (i < mayLeaveOut.size() && mayLeaveOut[i] && folder.prepareFile(path)) {
            if (leftOut != nullptr) {
                (*leftOut)[i] = true;
            }
            continue;
        }
        if (const auto reason = folder.writeFile(path, block.subspan(file.offset, file.size))) {
            throw RunAborted({"Cannot Write File : " + OutputFolder::shown(path) + " : " + *reason}, true);
        }
    }
}
