#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/Bytes.h"
#include "package/PackageRecords.h"

// Every record kind is copied out of the package through a field map: one
// (source offset, width) pair per in-memory field, in the order of the
// in-memory fields. On-disk and in-memory order differ for several kinds, so
// the maps are the single place that knows where each field is stored.

struct FieldSource {
    std::uint32_t offset; // from the record's first byte
    std::uint32_t width;  // 4 for a number, 128 for a name
};

template <std::size_t N>
using FieldMap = std::array<FieldSource, N>;

// Bytes of a record that its map covers: what must lie inside the package
// before the record is read.
template <std::size_t N>
constexpr std::uint32_t fieldMapExtent(const FieldMap<N>& map) {
    std::uint32_t extent = 0;
    for (const FieldSource& field : map) {
        extent = field.offset + field.width > extent ? field.offset + field.width : extent;
    }
    return extent;
}

// clang-format off
inline constexpr FieldMap<22> packageHeaderFieldMap = {{
    {0, 4},   {4, 4},   {12, 4},  {108, 4}, // magic, version, reserved0C, reserved6C
    {68, 4},  {64, 4},                      // group name table offset, size
    {56, 4},  {60, 4},  {52, 4},            // group records: offset, entry size, count
    {36, 4},  {32, 4},                      // subgroup name table offset, size
    {44, 4},  {48, 4},  {40, 4},            // subgroup records: offset, entry size, count
    {20, 4},  {16, 4},                      // file name table offset, size
    {88, 4},  {92, 4},  {84, 4},            // texture records: offset, entry size, count
    {76, 4},  {80, 4},  {72, 4},            // pool records: offset, entry size, count
}};

// Composite group: name and slot count; the 64 slots have a map of their own.
inline constexpr FieldMap<2> groupFieldMap = {{
    {0, 128}, {1152, 4},
}};
inline constexpr std::uint32_t groupSlotsOffset = 128;
inline constexpr std::uint32_t groupSlotStride = 16;
inline constexpr FieldMap<3> subGroupSlotFieldMap = {{
    {0, 4}, {4, 4}, {8, 4}, // subGroupIndex, resId, locId
}};

inline constexpr FieldMap<15> subGroupFieldMap = {{
    {0, 128}, {128, 4},                                    // name, packetOffset
    {132, 4}, {136, 4}, {140, 4}, {144, 4}, {148, 4},      // infoWords 0..4
    {152, 4}, {156, 4}, {160, 4}, {164, 4}, {168, 4},      // infoWords 5..9
    {172, 4},                                              // infoWords 10
    {196, 4}, {200, 4},                                    // atlasCount, firstTextureIndex
}};

inline constexpr FieldMap<4> poolFieldMap = {{
    {0, 128}, {128, 4}, {132, 4}, {136, 4},
}};

// The format code is stored after reserved08 but kept before it.
inline constexpr FieldMap<4> textureFieldMap = {{
    {0, 4}, {4, 4}, {12, 4}, {8, 4}, // width, height, format, reserved08
}};

// The two extra values of a 24-byte texture record, from the record's start.
inline constexpr FieldMap<2> moreAtlasInfoFieldMap = {{
    {16, 4}, {20, 4},
}};

inline constexpr FieldMap<12> packetHeaderFieldMap = {{
    {0, 4},  {4, 4},  {20, 4}, {16, 4}, // magic, version, reserved14, compressionFlags
    {76, 4}, {72, 4},                   // file list offset, size
    {24, 4}, {28, 4}, {32, 4},          // resource data: offset, compressed size, size
    {40, 4}, {44, 4}, {48, 4},          // atlas data: offset, compressed size, size
}};
// clang-format on

inline constexpr std::uint32_t packageHeaderSize = fieldMapExtent(packageHeaderFieldMap);
inline constexpr std::uint32_t subGroupRecordSize = fieldMapExtent(subGroupFieldMap);
inline constexpr std::uint32_t poolRecordSize = fieldMapExtent(poolFieldMap);
inline constexpr std::uint32_t packetHeaderSize = fieldMapExtent(packetHeaderFieldMap);
inline constexpr std::uint32_t shortTextureRecordSize = 16;
inline constexpr std::uint32_t longTextureRecordSize = 24;

static_assert(packageHeaderSize == 112);
static_assert(fieldMapExtent(groupFieldMap) == groupRecordSize);
static_assert(groupSlotsOffset + groupSlotCount * groupSlotStride == 1152);
static_assert(subGroupRecordSize == 204);
static_assert(poolRecordSize == 140);
static_assert(fieldMapExtent(textureFieldMap) == shortTextureRecordSize);
static_assert(fieldMapExtent(moreAtlasInfoFieldMap) == longTextureRecordSize);
static_assert(packetHeaderSize == 80);

// Where one field map entry is copied to: a 32-bit number (stored
// little-endian) or a 128-byte name.
class FieldTarget {
public:
    FieldTarget(std::uint32_t& word) : word_(&word) {}  // NOLINT: implicit on purpose
    FieldTarget(NameField& name) : name_(&name) {}      // NOLINT: implicit on purpose

    std::uint32_t width() const { return word_ != nullptr ? 4U : static_cast<std::uint32_t>(name_->size()); }
    void load(const std::uint8_t* source) const;

private:
    std::uint32_t* word_ = nullptr;
    NameField* name_ = nullptr;
};

template <std::size_t N>
using FieldTargets = std::array<FieldTarget, N>;

FieldTargets<22> fieldTargets(PackageHeader& header);
FieldTargets<2> fieldTargets(CompositeGroup& group);
FieldTargets<3> fieldTargets(SubGroupRef& slot);
FieldTargets<15> fieldTargets(SubGroupInfo& subGroup);
FieldTargets<4> fieldTargets(PoolInfo& pool);
FieldTargets<4> fieldTargets(TextureInfo& texture);
FieldTargets<2> fieldTargets(MoreAtlasInfo& more);
FieldTargets<12> fieldTargets(PacketHeader& header);

// Copies each mapped field of `record` into its target. The caller has made
// sure the record holds the map's extent; a shorter one is a programming
// error and throws std::logic_error instead of reading past it.
void copyFields(ByteSpan record, const FieldSource* map, const FieldTarget* targets, std::size_t count);

template <typename Record, std::size_t N>
void readRecord(ByteSpan record, const FieldMap<N>& map, Record& into) {
    const FieldTargets<N> targets = fieldTargets(into);
    copyFields(record, map.data(), targets.data(), N);
}
