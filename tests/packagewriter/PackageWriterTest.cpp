#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "core/Bytes.h"
#include "package/decodeNameTable.h"
#include "packagewriter/encodePrefixTable.h"
#include "packagewriter/writePackage.h"

#include "support/TableBytes.h"

namespace {

namespace pw = packagewriter;
using Bytes = std::vector<std::uint8_t>;

std::uint32_t u32At(const Bytes& bytes, std::size_t at) { return loadU32LE(bytes.data() + at); }

struct EncodeCase {
    const char* what;
    std::vector<pw::NamedValue> names;
    Bytes expected;
};

const EncodeCase encodeCases[] = {
    {"two names sharing one character, byte for byte",
     {{"ab", 1}, {"ac", 2}},
     {0x61, 0, 0, 0, 0x62, 4, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0x63, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0}},
    {"nothing shared", {{"a", 1}, {"b", 2}}, cat({unit('a'), unit(0), word(1), unit('b'), unit(0), word(2)})},
    {"empty name", {{"", 7}}, cat({unit(0), word(7)})},
    {"whole earlier name shared: the terminator carries the branch",
     {{"ab", 1}, {"abc", 2}},
     cat({unit('a'), unit('b'), unit(0, 4), word(1), unit('c'), unit(0), word(2)})},
    {"same name twice", {{"x", 1}, {"x", 2}}, cat({unit('x'), unit(0, 3), word(1), unit(0), word(2)})},
    {"name that is a prefix of an earlier one", {{"abc", 1}, {"ab", 2}},
     cat({unit('a'), unit('b'), unit('c', 5), unit(0), word(1), unit(0), word(2)})},
    {"nested: an inheriting entry hands on a longer prefix",
     {{"xy", 10}, {"xzq", 11}, {"xzr", 12}},
     cat({unit('x'), unit('y', 4), unit(0), word(10), unit('z'), unit('q', 8), unit(0), word(11), unit('r'), unit(0),
          word(12)})},
    {"three siblings: each new one takes the branch of the previous",
     {{"ab", 1}, {"ac", 2}, {"ad", 3}},
     cat({unit('a'), unit('b', 4), unit(0), word(1), unit('c', 7), unit(0), word(2), unit('d'), unit(0), word(3)})},
};

class EncodeNameTable : public testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeNameTable, ProducesTheHandMadeBytes) {
    const EncodeCase& c = GetParam();
    EXPECT_EQ(pw::encodeNameTable(c.names), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Tables, EncodeNameTable, testing::ValuesIn(encodeCases));

TEST(EncodePrefixTable, RefusesZeroBytesInNamesAndUnalignedPayloads) {
    const pw::TableEntry zeroInName[] = {{std::string("a\0b", 3), {0, 0, 0, 0}}};
    const pw::TableEntry oddPayload[] = {{"a", {1, 2, 3}}};
    EXPECT_THROW(pw::encodePrefixTable(zeroInName), std::invalid_argument);
    EXPECT_THROW(pw::encodePrefixTable(oddPayload), std::invalid_argument);
}

TEST(EncodePrefixTable, ReportsWherePayloadsStart) {
    const pw::TableEntry entries[] = {{"ab", {1, 1, 1, 1}}, {"ac", {2, 2, 2, 2, 2, 2, 2, 2}}};
    std::vector<std::uint32_t> offsets;
    const Bytes table = pw::encodePrefixTable(entries, &offsets);
    EXPECT_EQ(offsets, (std::vector<std::uint32_t>{12, 24}));
    EXPECT_EQ(table.size(), 32U);
}

TEST(FileDescription, TwelveBytesOrThirtyTwoForAtlases) {
    EXPECT_EQ(pw::fileDescription(0, 0x10, 0x20), cat({word(0), word(0x10), word(0x20)}));
    EXPECT_EQ(pw::fileDescription(5, 1, 2), cat({word(5), word(1), word(2)}));
    EXPECT_EQ(pw::fileDescription(1, 3, 4, 5, 64, 32),
              cat({word(1), word(3), word(4), word(5), word(0xA5A5A5A5), word(0xA5A5A5A5), word(64), word(32)}));
}

TEST(EncodeNameTable, ManyPathsDecodeBackAndShareTheirPrefixes) {
    std::vector<pw::NamedValue> names;
    std::size_t plainSize = 0;
    for (std::uint32_t set = 0; set < 60; ++set) {
        for (std::uint32_t frame = 0; frame < 50; ++frame) {
            names.push_back({"images/ui/set_" + std::to_string(set) + "/frame_" + std::to_string(frame) + ".ptx",
                             set * 1000 + frame});
            plainSize += (names.back().name.size() + 2) * 4;
        }
    }
    names.push_back({"images/ui/set_1", 1}); // a prefix of earlier names
    plainSize += 17 * 4;
    const Bytes table = pw::encodeNameTable(names);
    EXPECT_LT(table.size() * 3, plainSize); // prefixes really are shared

    PtrArray<NameTableEntry> decoded;
    decodeNameTable(decoded, table);
    ASSERT_EQ(decoded.count(), names.size());
    for (std::uint32_t i = 0; i < decoded.count(); ++i) {
        ASSERT_EQ(decoded[i].name.view(), names[i].name) << i;
        ASSERT_EQ(decoded[i].value, names[i].value) << i;
    }
}

// --- package layout ---

Bytes bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

pw::Package tinyPackage() {
    pw::Package p;
    p.magic = 0x01020304;
    p.subGroups = {{.name = "s", .files = {{.path = "f", .data = bytesOf("xyz")}}}};
    p.textures = {{.width = 4, .height = 2, .format = 9, .reserved08 = 8}};
    return p;
}

TEST(WritePackage, TinyPackageHasTheHandCountedLayout) {
    const Bytes bytes = pw::writePackage(tinyPackage()).bytes;
    // 112 header, 0 group names, 12 subgroup names "s", 12 file names "f",
    // 0 groups, 204 subgroup record, 0 pools, 16 texture record, then the
    // packet: 80 header, 20 file list, 3 resource bytes.
    ASSERT_EQ(bytes.size(), 112U + 12 + 12 + 204 + 16 + 80 + 20 + 3);
    const std::pair<std::size_t, std::uint32_t> header[] = {
        {0, 0x01020304}, {8, 0xA5A5A5A5}, {16, 12},  {20, 124}, {32, 12},  {36, 112}, {40, 1},  {44, 136},
        {48, 204},       {52, 0},         {56, 136}, {60, 1156}, {64, 0},   {68, 112}, {72, 0},  {76, 340},
        {80, 140},       {84, 1},         {88, 340}, {92, 16},   {96, 0xA5A5A5A5},
    };
    for (const auto& [at, value] : header) {
        EXPECT_EQ(u32At(bytes, at), value) << "header byte " << at;
    }
    EXPECT_EQ(Bytes(bytes.begin() + 112, bytes.begin() + 136),
              cat({unit('s'), unit(0), word(0), unit('f'), unit(0), word(0)}));
    EXPECT_EQ(bytes[136], 's');
    EXPECT_EQ(bytes[137], 0);
    EXPECT_EQ(u32At(bytes, 136 + 128), 356U); // packet offset
    EXPECT_EQ(Bytes(bytes.begin() + 340, bytes.begin() + 356), cat({word(4), word(2), word(8), word(9)}));

    const std::pair<std::size_t, std::uint32_t> packet[] = {
        {16, 0}, {24, 100}, {28, 3}, {32, 3}, {40, 103}, {44, 0}, {48, 0}, {72, 20}, {76, 80},
    };
    for (const auto& [at, value] : packet) {
        EXPECT_EQ(u32At(bytes, 356 + at), value) << "packet header byte " << at;
    }
    EXPECT_EQ(Bytes(bytes.begin() + 436, bytes.end()),
              cat({unit('f'), unit(0), word(0), word(0), word(3), bytesOf("xyz")}));
}

Bytes inflate(const Bytes& packed, std::size_t size) {
    Bytes out(size);
    uLongf length = size;
    EXPECT_EQ(uncompress(out.data(), &length, packed.data(), static_cast<uLong>(packed.size())), Z_OK);
    EXPECT_EQ(length, size);
    return out;
}

TEST(WritePackage, CompressionFlagsDeflateTheirBlocks) {
    for (std::uint32_t flags = 0; flags < 4; ++flags) {
        pw::Package p;
        p.subGroups = {{.name = "s",
                        .files = {{.path = "r1", .data = Bytes(300, 'r')},
                                  {.path = "a1", .type = pw::atlasFile, .data = Bytes(400, 'a')},
                                  {.path = "r2", .data = bytesOf("tail")}},
                        .compressionFlags = flags}};
        const pw::WrittenPackage written = pw::writePackage(p);
        const pw::PacketLayout& at = written.layout.packets[0];
        const Bytes& bytes = written.bytes;
        const Bytes resource(bytes.begin() + at.resourceData.offset,
                             bytes.begin() + at.resourceData.offset + at.resourceData.size);
        const Bytes atlas(bytes.begin() + at.atlasData.offset, bytes.begin() + at.atlasData.offset + at.atlasData.size);
        Bytes wantResource(304, 'r');
        std::copy_n("tail", 4, wantResource.begin() + 300);
        EXPECT_EQ((flags & 2U) != 0 ? inflate(resource, 304) : resource, wantResource) << flags;
        EXPECT_EQ((flags & 1U) != 0 ? inflate(atlas, 400) : atlas, Bytes(400, 'a')) << flags;
        EXPECT_EQ(u32At(bytes, at.packet + 16), flags);
        EXPECT_EQ(u32At(bytes, at.packet + 28), at.resourceData.size);
        EXPECT_EQ(u32At(bytes, at.packet + 32), 304U);
        EXPECT_EQ(u32At(bytes, at.packet + 44), at.atlasData.size);
        EXPECT_EQ(u32At(bytes, at.packet + 48), 400U);
        // "r2" sits after "r1" in the resource block.
        EXPECT_EQ(u32At(bytes, at.fileDescriptions[2] + 4), 300U);
    }
}

TEST(WritePackage, OverridesReplaceStoredValuesOnly) {
    pw::Package p = tinyPackage();
    p.header.textureInfoEntrySize = 20;
    p.header.groupCount = 0xFFFFFFFF;
    p.subGroups[0].overrides.compressionFlags = 9;
    p.subGroups[0].overrides.packetOffset = 77;
    p.subGroups[0].files[0].size = 4;
    const pw::WrittenPackage written = pw::writePackage(p);
    const Bytes& bytes = written.bytes;
    EXPECT_EQ(u32At(bytes, 92), 20U);
    EXPECT_EQ(u32At(bytes, 52), 0xFFFFFFFFU);
    EXPECT_EQ(u32At(bytes, written.layout.packets[0].subGroupRecord + 128), 77U);
    EXPECT_EQ(u32At(bytes, written.layout.packets[0].packet + 16), 9U);
    EXPECT_EQ(u32At(bytes, written.layout.packets[0].fileDescriptions[0] + 8), 4U);
    EXPECT_EQ(bytes.size(), pw::writePackage(tinyPackage()).bytes.size()); // the data itself is unchanged
}

TEST(WritePackage, OverlappingRecordsEndAsTheLaterOnesWroteThem) {
    pw::Package p;
    p.subGroupStride = 200;
    p.subGroups = {{.name = "first", .firstTextureIndex = 5}, {.name = "NEXT", .firstTextureIndex = 6}};
    const pw::WrittenPackage written = pw::writePackage(p);
    const std::size_t at = written.layout.subGroupRecords;
    EXPECT_EQ(written.layout.packets[1].subGroupRecord, at + 200);
    EXPECT_EQ(u32At(written.bytes, at + 200), loadU32LE(reinterpret_cast<const std::uint8_t*>("NEXT")));
    EXPECT_EQ(u32At(written.bytes, at + 400), 6U);
}

TEST(WritePackage, RefusesPlansItCannotLayOut) {
    pw::Package longName;
    longName.pools = {{.name = std::string(129, 'n')}};
    pw::Package tooManySlots;
    tooManySlots.groups = {{.name = "g", .slots = std::vector<pw::Slot>(65)}};
    pw::Package oddTextures;
    oddTextures.textureRecordSize = 20;
    pw::Package zeroStride;
    zeroStride.poolStride = 0;
    zeroStride.pools = {{.name = "p"}};
    for (const pw::Package* p : {&longName, &tooManySlots, &oddTextures, &zeroStride}) {
        EXPECT_THROW(pw::writePackage(*p), std::invalid_argument);
    }
}

} // namespace
