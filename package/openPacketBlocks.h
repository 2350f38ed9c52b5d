#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "core/Bytes.h"
#include "platform/LargeBlock.h"
#include "package/PackageRecords.h"

// A packet's two data blocks, ready to copy files from: a stored block is a
// view into the package, a compressed one is inflated into memory this
// object owns.
class PacketBlocks {
public:
    ByteSpan resourceData() const { return resource_; }
    ByteSpan atlasData() const { return atlas_; }

private:
    using Storage = LargeBlock;

    friend PacketBlocks openPacketBlocks(ByteSpan, std::uint32_t, const PacketHeader&, std::string_view);
    static ByteSpan openBlock(ByteSpan package, std::uint64_t start, std::uint32_t storedSize,
                              std::uint32_t declaredSize, bool compressed, const std::string& what, Storage& storage);

    Storage resourceStorage_;
    Storage atlasStorage_;
    ByteSpan resource_;
    ByteSpan atlas_;
};

// Chooses or inflates the blocks as the packet's compression flags say
// (bit 1: resource data compressed, bit 0: atlas data compressed), the
// resource data first. The flags are those the run has checked
// (checkCompressionFlags). Each block, stored or compressed, must lie inside
// the package; a compressed block must be one zlib stream that inflates to
// exactly its declared size; an empty declared block needs no data at all.
// Any violation throws PackageFormatError, whose reason starts with
// `packetLabel`. A block whose memory cannot be had throws
// NotEnoughMemory, with a reason that starts the same way.
PacketBlocks openPacketBlocks(ByteSpan package, std::uint32_t packetOffset, const PacketHeader& header,
                              std::string_view packetLabel);
