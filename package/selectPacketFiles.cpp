#include "package/selectPacketFiles.h"

PacketFileList selectPacketFiles(const PacketFileList& files, const FileSelection& selection) {
    PacketFileList selected;
    // Room for every file at once: a list grown one slot per append would
    // move all its slots each time, in time quadratic in the count.
    selected.reserve(files.count());
    for (const PacketFileEntry& file : files) {
        if (selection.selects(file.name.view())) {
            selected.append(file);
        }
    }
    selected.trim();
    return selected;
}
