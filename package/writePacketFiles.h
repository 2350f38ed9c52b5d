#pragma once

#include <string_view>

#include "core/Bytes.h"
#include "core/PathList.h"
#include "package/PackageRecords.h"

// Writes every file of a packet below `outputFolder` (relative to the
// current directory, created with its parents): resource files (type 0) from
// `resourceData`, atlas files (type 1) from `atlasData`, each at its path
// inside the packet with its folders, in one write; existing files are
// replaced. All entries are checked first (checkPacketFiles), so a damaged
// list writes nothing. The full current directory is restored on every path
// out. A file that cannot be created, written or closed throws RunAborted
// naming it and the system's reason.
void writePacketFiles(const PathList& outputFolder, ByteSpan resourceData, ByteSpan atlasData,
                      const PacketFileList& files, std::string_view packetLabel = "packet");
