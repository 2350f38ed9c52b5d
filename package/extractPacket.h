#pragma once

#include <cstdint>
#include <string_view>

#include "core/Bytes.h"
#include "platform/OutputFolder.h"
#include "core/PathList.h"
#include "package/PackageRecords.h"
#include "package/openPacketBlocks.h"

// Makes the files of the packet of subgroup `subGroupIndex` (of the records
// read from `package`) available below `base` (such as "Temp") in the output
// folder, in two halves, so that a packet can be inflated ahead of writing
// it: openSubGroupPacket checks the file list against the declared block
// sizes and chooses or inflates the data blocks as the compression flags say
// (openPacketBlocks); it touches no file, so it may run on another thread,
// and damaged packet data throws PackageFormatError before anything is
// written. writeSubGroupPacket then writes every file from its blocks
// (writePacketFiles); a file that cannot be written throws RunAborted.
// The cheap checks of openSubGroupPacket alone: the file list against the
// declared block sizes, without inflating anything.
void checkSubGroupPacketFiles(const PackageRecords& records, std::uint32_t subGroupIndex);
PacketBlocks openSubGroupPacket(ByteSpan package, const PackageRecords& records, std::uint32_t subGroupIndex);
void writeSubGroupPacket(OutputFolder& folder, const PathList& base, const PacketBlocks& blocks,
                         const PackageRecords& records, std::uint32_t subGroupIndex);
