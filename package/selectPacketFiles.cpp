#include "package/selectPacketFiles.h"

PacketFileList selectPacketFiles(const PacketFileList& files, const FileSelection& selection) {
    PacketFileList selected;
    for (const PacketFileEntry& file : files) {
        if (selection.selects(file.name.view())) {
            selected.append(file);
        }
    }
    selected.trim();
    return selected;
}
