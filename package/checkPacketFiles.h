#pragma once

#include <cstdint>
#include <string_view>

#include "package/PackageRecords.h"

// Checks every entry of a packet's file list before any file is written:
// the type is 0 (resource) or 1 (atlas), the file lies inside its data block
// (offset + size, in 64 bits, up to the block's size), and its path stays
// inside the output folder (no ".." component, no leading separator) and
// names a file (not empty, no trailing separator); on Windows each component
// must also be a plain name there (windowsNameFault). Throws PackageFormatError
// naming the packet and the entry.
void checkPacketFiles(const PacketFileList& files, std::uint64_t resourceDataSize, std::uint64_t atlasDataSize,
                      std::string_view packetLabel);
