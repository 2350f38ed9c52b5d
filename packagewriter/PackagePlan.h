#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A declarative description of a package to build: groups, subgroups with
// their packets' files, pools and textures, plus knobs for record sizes and
// strides and explicit overrides of stored fields, so tests can build both
// sound and deliberately damaged packages. Everything left alone gets the
// value a sound package would have.

namespace packagewriter {

inline constexpr std::uint32_t resourceFile = 0;
inline constexpr std::uint32_t atlasFile = 1;

// A name with its 32-bit value, as stored in the package's name tables.
struct NamedValue {
    std::string name {};
    std::uint32_t value = 0;

    bool operator==(const NamedValue&) const = default;
};

struct PacketFile {
    std::string path {}; // '/' or '\\' between folders
    std::uint32_t type = resourceFile;
    std::vector<std::uint8_t> data {};
    std::uint32_t atlasIndex = 0; // stored for type 1 only, as are width and height
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // Stored instead of the real position or length inside the data block.
    std::optional<std::uint32_t> offset {};
    std::optional<std::uint32_t> size {};
};

// Values stored in a packet header (and the subgroup's packet offset) in
// place of the computed ones; blocks stored in place of the real data.
struct PacketOverrides {
    std::optional<std::uint32_t> packetOffset {};
    std::optional<std::uint32_t> compressionFlags {};
    std::optional<std::uint32_t> fileListOffset {};
    std::optional<std::uint32_t> fileListSize {};
    std::optional<std::uint32_t> resourceDataOffset {};
    std::optional<std::uint32_t> resourceDataCompressedSize {};
    std::optional<std::uint32_t> resourceDataSize {};
    std::optional<std::uint32_t> atlasDataOffset {};
    std::optional<std::uint32_t> atlasDataCompressedSize {};
    std::optional<std::uint32_t> atlasDataSize {};
    std::optional<std::vector<std::uint8_t>> resourceBlock {};
    std::optional<std::vector<std::uint8_t>> atlasBlock {};
};

struct SubGroup {
    std::string name {}; // at most 128 bytes; 128 leaves no terminating zero
    std::vector<PacketFile> files {};
    // Bit 0: atlas data zlib-compressed; bit 1: resource data compressed.
    std::uint32_t compressionFlags = 0;
    std::optional<std::uint32_t> atlasCount {}; // default: the number of atlas files
    std::uint32_t firstTextureIndex = 0;
    std::array<std::uint32_t, 11> infoWords {};
    std::uint32_t packetMagic = 0;
    std::uint32_t packetVersion = 0;
    std::uint32_t packetReserved14 = 0;
    PacketOverrides overrides {};
};

struct Slot {
    std::uint32_t subGroupIndex = 0;
    std::uint32_t resId = 0;
    std::uint32_t locId = 0;
};

struct Group {
    std::string name {};
    std::vector<Slot> slots {};                    // at most 64; the rest are zero
    std::optional<std::uint32_t> subGroupCount {}; // default: slots.size()
};

struct Pool {
    std::string name {};
    std::array<std::uint32_t, 3> words {};
};

struct Texture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t format = 0;
    std::uint32_t reserved08 = 0;
    std::uint32_t moreInfo0 = 0; // stored with 24-byte texture records only
    std::uint32_t moreInfo1 = 0;
};

// Package header values stored in place of the computed ones.
struct HeaderOverrides {
    std::optional<std::uint32_t> groupNameTableOffset {}, groupNameTableSize {};
    std::optional<std::uint32_t> groupInfoOffset {}, groupInfoEntrySize {}, groupCount {};
    std::optional<std::uint32_t> subGroupNameTableOffset {}, subGroupNameTableSize {};
    std::optional<std::uint32_t> subGroupInfoOffset {}, subGroupInfoEntrySize {}, subGroupCount {};
    std::optional<std::uint32_t> fileNameTableOffset {}, fileNameTableSize {};
    std::optional<std::uint32_t> textureInfoOffset {}, textureInfoEntrySize {}, textureCount {};
    std::optional<std::uint32_t> poolInfoOffset {}, poolInfoEntrySize {}, poolCount {};
};

struct Package {
    std::uint32_t magic = 0;
    std::uint32_t version = 0;
    std::uint32_t reserved0C = 0;
    std::uint32_t reserved6C = 0;
    std::vector<Group> groups {};
    std::vector<SubGroup> subGroups {};
    std::vector<Pool> pools {};
    std::vector<Texture> textures {};
    // Name tables; when absent: group names with their index, subgroup names
    // with their index, every packet file path with its running number.
    std::optional<std::vector<NamedValue>> groupNames {};
    std::optional<std::vector<NamedValue>> subGroupNames {};
    std::optional<std::vector<NamedValue>> fileNames {};
    std::uint32_t textureRecordSize = 16; // 16 or 24
    std::uint32_t subGroupStride = 204;   // below 204 records overlap, later ones win
    std::uint32_t poolStride = 140;       // below 140 likewise
    std::uint32_t groupInfoEntrySize = 1156; // stored only: groups are always 1156 bytes apart
    HeaderOverrides header {};
};

// Where things were put, as absolute offsets into the written package.
struct Range {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

struct PacketLayout {
    std::uint32_t subGroupRecord = 0;
    std::uint32_t packet = 0;
    Range fileList {};
    Range resourceData {}; // as stored (compressed or not)
    Range atlasData {};
    std::vector<std::uint32_t> fileDescriptions {}; // each file's 12- or 32-byte description
};

struct Layout {
    Range groupNameTable {};
    Range subGroupNameTable {};
    Range fileNameTable {};
    std::uint32_t groupRecords = 0;
    std::uint32_t subGroupRecords = 0;
    std::uint32_t poolRecords = 0;
    std::uint32_t textureRecords = 0;
    std::vector<PacketLayout> packets {}; // one per subgroup
};

struct WrittenPackage {
    std::vector<std::uint8_t> bytes {};
    Layout layout;
};

} // namespace packagewriter
