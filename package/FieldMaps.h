#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <tuple>
#include <type_traits>

#include "core/Bytes.h"
#include "package/PackageRecords.h"

// Every record kind is copied out of the package through a field map: one
// entry per in-memory field, in the order of the in-memory fields, naming the
// field and where it is stored. On-disk and in-memory order differ for several
// kinds, so the maps are the single place that knows where each field is
// stored.

// Where one field is stored and where it goes: its offset from the record's
// first byte, its width (4 for a little-endian number, 128 for a name) and
// the in-memory field it is copied into. One table per record kind holds
// both sides, so the two cannot drift apart.
template <typename Record>
struct FieldSource {
    std::uint32_t offset;
    std::uint32_t width;
    void (*load)(Record& into, const std::uint8_t* source);
};

template <typename Record, std::size_t N>
using FieldMap = std::array<FieldSource<Record>, N>;

namespace fieldmaps {

template <typename Member>
struct MemberOf;
template <typename Record, typename Type>
struct MemberOf<Type Record::*> {
    using RecordType = Record;
    using FieldType = Type;
};

} // namespace fieldmaps

// The field `Member` (a 32-bit number or a name) of a record, stored at `offset`.
template <auto Member>
constexpr auto field(std::uint32_t offset) {
    using Record = typename fieldmaps::MemberOf<decltype(Member)>::RecordType;
    using Type = typename fieldmaps::MemberOf<decltype(Member)>::FieldType;
    if constexpr (std::is_same_v<Type, NameField>) {
        return FieldSource<Record> {offset, static_cast<std::uint32_t>(std::tuple_size_v<NameField>),
                                    [](Record& into, const std::uint8_t* source) {
                                        std::memcpy((into.*Member).data(), source, (into.*Member).size());
                                    }};
    } else {
        static_assert(std::is_same_v<Type, std::uint32_t>, "a field is a 32-bit number or a name");
        return FieldSource<Record> {offset, 4U,
                                    [](Record& into, const std::uint8_t* source) { into.*Member = loadU32LE(source); }};
    }
}

// Element `Index` of the array of 32-bit numbers `Member`, stored at `offset`.
template <auto Member, std::size_t Index>
constexpr auto field(std::uint32_t offset) {
    using Record = typename fieldmaps::MemberOf<decltype(Member)>::RecordType;
    using Type = typename fieldmaps::MemberOf<decltype(Member)>::FieldType;
    static_assert(Index < std::tuple_size_v<Type>);
    return FieldSource<Record> {offset, 4U,
                                [](Record& into, const std::uint8_t* source) { (into.*Member)[Index] = loadU32LE(source); }};
}

// Bytes of a record that its map covers: what must lie inside the package
// before the record is read.
template <typename Record, std::size_t N>
constexpr std::uint32_t fieldMapExtent(const FieldMap<Record, N>& map) {
    std::uint32_t extent = 0;
    for (const FieldSource<Record>& source : map) {
        extent = source.offset + source.width > extent ? source.offset + source.width : extent;
    }
    return extent;
}

// clang-format off
inline constexpr FieldMap<PackageHeader, 22> packageHeaderFieldMap = {{
    field<&PackageHeader::magic>(0),                   field<&PackageHeader::version>(4),
    field<&PackageHeader::reserved0C>(12),             field<&PackageHeader::reserved6C>(108),
    field<&PackageHeader::groupNameTableOffset>(68),   field<&PackageHeader::groupNameTableSize>(64),
    field<&PackageHeader::groupInfoOffset>(56),        field<&PackageHeader::groupInfoEntrySize>(60),
    field<&PackageHeader::groupCount>(52),
    field<&PackageHeader::subGroupNameTableOffset>(36), field<&PackageHeader::subGroupNameTableSize>(32),
    field<&PackageHeader::subGroupInfoOffset>(44),     field<&PackageHeader::subGroupInfoEntrySize>(48),
    field<&PackageHeader::subGroupCount>(40),
    field<&PackageHeader::fileNameTableOffset>(20),    field<&PackageHeader::fileNameTableSize>(16),
    field<&PackageHeader::textureInfoOffset>(88),      field<&PackageHeader::textureInfoEntrySize>(92),
    field<&PackageHeader::textureCount>(84),
    field<&PackageHeader::poolInfoOffset>(76),         field<&PackageHeader::poolInfoEntrySize>(80),
    field<&PackageHeader::poolCount>(72),
}};

// Composite group: name and slot count; the 64 slots have a map of their own.
inline constexpr FieldMap<CompositeGroup, 2> groupFieldMap = {{
    field<&CompositeGroup::name>(0), field<&CompositeGroup::subGroupCount>(1152),
}};
inline constexpr std::uint32_t groupSlotsOffset = 128;
inline constexpr std::uint32_t groupSlotStride = 16;
inline constexpr FieldMap<SubGroupRef, 3> subGroupSlotFieldMap = {{
    field<&SubGroupRef::subGroupIndex>(0), field<&SubGroupRef::resId>(4), field<&SubGroupRef::locId>(8),
}};

inline constexpr FieldMap<SubGroupInfo, 15> subGroupFieldMap = {{
    field<&SubGroupInfo::name>(0),                field<&SubGroupInfo::packetOffset>(128),
    field<&SubGroupInfo::infoWords, 0>(132),      field<&SubGroupInfo::infoWords, 1>(136),
    field<&SubGroupInfo::infoWords, 2>(140),      field<&SubGroupInfo::infoWords, 3>(144),
    field<&SubGroupInfo::infoWords, 4>(148),      field<&SubGroupInfo::infoWords, 5>(152),
    field<&SubGroupInfo::infoWords, 6>(156),      field<&SubGroupInfo::infoWords, 7>(160),
    field<&SubGroupInfo::infoWords, 8>(164),      field<&SubGroupInfo::infoWords, 9>(168),
    field<&SubGroupInfo::infoWords, 10>(172),
    field<&SubGroupInfo::atlasCount>(196),        field<&SubGroupInfo::firstTextureIndex>(200),
}};

inline constexpr FieldMap<PoolInfo, 4> poolFieldMap = {{
    field<&PoolInfo::name>(0),
    field<&PoolInfo::poolWords, 0>(128), field<&PoolInfo::poolWords, 1>(132), field<&PoolInfo::poolWords, 2>(136),
}};

// The format code is stored after reserved08 but kept before it.
inline constexpr FieldMap<TextureInfo, 4> textureFieldMap = {{
    field<&TextureInfo::width>(0), field<&TextureInfo::height>(4),
    field<&TextureInfo::format>(12), field<&TextureInfo::reserved08>(8),
}};

// The two extra values of a 24-byte texture record, from the record's start.
inline constexpr FieldMap<MoreAtlasInfo, 2> moreAtlasInfoFieldMap = {{
    field<&MoreAtlasInfo::moreInfo0>(16), field<&MoreAtlasInfo::moreInfo1>(20),
}};

inline constexpr FieldMap<PacketHeader, 12> packetHeaderFieldMap = {{
    field<&PacketHeader::magic>(0),                      field<&PacketHeader::version>(4),
    field<&PacketHeader::reserved14>(20),                field<&PacketHeader::compressionFlags>(16),
    field<&PacketHeader::fileListOffset>(76),            field<&PacketHeader::fileListSize>(72),
    field<&PacketHeader::resourceDataOffset>(24),        field<&PacketHeader::resourceDataCompressedSize>(28),
    field<&PacketHeader::resourceDataSize>(32),
    field<&PacketHeader::atlasDataOffset>(40),           field<&PacketHeader::atlasDataCompressedSize>(44),
    field<&PacketHeader::atlasDataSize>(48),
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

// Copies each mapped field of `record` into `into`. The caller has made sure
// the record holds the map's extent; a shorter one is a programming error and
// throws std::logic_error instead of reading past it.
template <typename Record, std::size_t N>
void readRecord(ByteSpan record, const FieldMap<Record, N>& map, Record& into) {
    if (record.size() < fieldMapExtent(map)) {
        throw std::logic_error("field map does not fit its record");
    }
    for (const FieldSource<Record>& source : map) {
        source.load(into, record.data() + source.offset);
    }
}
