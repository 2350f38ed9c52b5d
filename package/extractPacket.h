#pragma once

#include <cstdint>
#include <string_view>

#include "core/Bytes.h"
#include "core/OutputFolder.h"
#include "core/PathList.h"
#include "package/PackageRecords.h"
#include "package/openPacketBlocks.h"

// Makes the files of one packet available below `base` (such as "Temp") in
// the output folder `folder`: checks the file list against the declared block
// sizes, chooses or inflates the data blocks as the compression flags say,
// and writes every file (writePacketFiles). Damaged packet data throws
// PackageFormatError before anything is written; a file that cannot be
// written throws RunAborted.
void extractPacket(OutputFolder& folder, const PathList& base, ByteSpan package, std::uint32_t packetOffset,
                   const PacketHeader& header, const PacketFileList& files, std::string_view packetLabel);

// The packet of subgroup `subGroupIndex` of the records read from `package`.
void extractPacket(OutputFolder& folder, const PathList& base, ByteSpan package, const PackageRecords& records,
                   std::uint32_t subGroupIndex);

// The two halves of that extraction, for a caller that inflates a packet
// ahead of writing it: openSubGroupPacket makes every check and inflation
// and throws as extractPacket does, but touches no file (so it may run on
// another thread); writeSubGroupPacket then writes the files from its blocks.
// The cheap checks of openSubGroupPacket alone: the file list against the
// declared block sizes, without inflating anything.
void checkSubGroupPacketFiles(const PackageRecords& records, std::uint32_t subGroupIndex);
PacketBlocks openSubGroupPacket(ByteSpan package, const PackageRecords& records, std::uint32_t subGroupIndex);
void writeSubGroupPacket(OutputFolder& folder, const PathList& base, const PacketBlocks& blocks,
                         const PackageRecords& records, std::uint32_t subGroupIndex);
