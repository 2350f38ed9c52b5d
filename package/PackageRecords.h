#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/PtrArray.h"
#include "core/StringBuffer.h"

// The records a package is read into. Field order is the in-memory order; the
// readers copy each field from its on-disk offset.

struct PackageHeader {
    std::uint32_t magic = 0;
    std::uint32_t version = 0;
    std::uint32_t reserved0C = 0;
    std::uint32_t reserved6C = 0;
    std::uint32_t groupNameTableOffset = 0;
    std::uint32_t groupNameTableSize = 0;
    std::uint32_t groupInfoOffset = 0;
    std::uint32_t groupInfoEntrySize = 0;
    std::uint32_t groupCount = 0;
    std::uint32_t subGroupNameTableOffset = 0;
    std::uint32_t subGroupNameTableSize = 0;
    std::uint32_t subGroupInfoOffset = 0;
    std::uint32_t subGroupInfoEntrySize = 0;
    std::uint32_t subGroupCount = 0;
    std::uint32_t fileNameTableOffset = 0;
    std::uint32_t fileNameTableSize = 0;
    std::uint32_t textureInfoOffset = 0;
    std::uint32_t textureInfoEntrySize = 0;
    std::uint32_t textureCount = 0;
    std::uint32_t poolInfoOffset = 0;
    std::uint32_t poolInfoEntrySize = 0;
    std::uint32_t poolCount = 0;
};

// A 128-byte zero-padded name field, copied as stored.
using NameField = std::array<char, 128>;

// The name: the bytes before the first zero byte, or all 128 when there is none.
inline std::string_view nameText(const NameField& field) {
    std::size_t n = 0;
    while (n < field.size() && field[n] != '\0') {
        ++n;
    }
    return {field.data(), n};
}

struct NameTableEntry {
    StringBuffer name;
    std::uint32_t value = 0;
};

struct SubGroupRef {
    std::uint32_t subGroupIndex = 0;
    std::uint32_t resId = 0;
    std::uint32_t locId = 0; // the four stored bytes, read little-endian
};

inline constexpr std::uint32_t groupSlotCount = 64;
inline constexpr std::uint32_t groupRecordSize = 1156;

struct CompositeGroup {
    NameField name {};
    std::uint32_t subGroupCount = 0;
    PtrArray<SubGroupRef> subGroups = PtrArray<SubGroupRef>::sized(groupSlotCount);
};

struct SubGroupInfo {
    NameField name {};
    std::uint32_t packetOffset = 0;
    std::array<std::uint32_t, 11> infoWords {};
    std::uint32_t atlasCount = 0;
    std::uint32_t firstTextureIndex = 0;
};

struct PoolInfo {
    NameField name {};
    std::array<std::uint32_t, 3> poolWords {};
};

struct TextureInfo {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t format = 0;
    std::uint32_t reserved08 = 0;
};

struct MoreAtlasInfo {
    std::uint32_t moreInfo0 = 0;
    std::uint32_t moreInfo1 = 0;
};

struct PacketHeader {
    std::uint32_t magic = 0;
    std::uint32_t version = 0;
    std::uint32_t reserved14 = 0;
    std::uint32_t compressionFlags = 0;
    std::uint32_t fileListOffset = 0;
    std::uint32_t fileListSize = 0;
    std::uint32_t resourceDataOffset = 0;
    std::uint32_t resourceDataCompressedSize = 0;
    std::uint32_t resourceDataSize = 0;
    std::uint32_t atlasDataOffset = 0;
    std::uint32_t atlasDataCompressedSize = 0;
    std::uint32_t atlasDataSize = 0;
};

// Bits of PacketHeader::compressionFlags.
inline constexpr std::uint32_t compressAtlasFlag = 1;    // atlas data is zlib-compressed
inline constexpr std::uint32_t compressResourceFlag = 2; // resource data is zlib-compressed

// File types of a packet file entry.
inline constexpr std::uint32_t resourceFileType = 0;
inline constexpr std::uint32_t atlasFileType = 1;

struct PacketFileEntry {
    StringBuffer name; // path inside the packet, '\\' or '/' between folders
    std::uint32_t type = 0;
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    std::uint32_t atlasIndex = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

using PacketFileList = PtrArray<PacketFileEntry>;

// Everything readPackage produces. The lists indexed by subgroup (packet
// headers, packet file lists) have one element per SubGroupInfo, and every
// group uses at most its 64 slots, each naming one of the subgroups
// (checkSlotCount, checkSlotSubGroups): users index by a slot's subgroup
// without checking again.
struct PackageRecords {
    PackageHeader header;
    bool useMoreAtlasInfo = false;
    PtrArray<NameTableEntry> groupNames;
    PtrArray<NameTableEntry> subGroupNames;
    PtrArray<NameTableEntry> fileNames;
    PtrArray<CompositeGroup> groups;
    PtrArray<SubGroupInfo> subGroups;
    PtrArray<PoolInfo> pools;
    PtrArray<TextureInfo> textures;
    PtrArray<MoreAtlasInfo> moreAtlasInfo;
    PtrArray<PacketHeader> packetHeaders;
    PtrArray<PacketFileList> packetFileLists;
};
