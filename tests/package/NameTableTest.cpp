#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/FatalError.h"
#include "package/decodeNameTable.h"
#include "package/decodePacketFileList.h"

#include "support/TableBytes.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes cut(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

// The two names "ab" (value 1) and "ac" (value 2); unit 1 hands "a" to unit 4.
const Bytes twoNames = cat({unit('a'), unit('b', 4), unit(0), word(1), unit('c'), unit(0), word(2)});

using Names = std::vector<std::pair<std::string, std::uint32_t>>;

struct NameCase {
    const char* what;
    Bytes table;
    Names expected;
};

const NameCase nameCases[] = {
    {"two names sharing a prefix, byte for byte",
     {0x61, 0, 0, 0, 0x62, 4, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0x63, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0},
     {{"ab", 1}, {"ac", 2}}},
    {"empty table", {}, {}},
    {"nested branches: an inheriting entry hands on a longer prefix",
     cat({unit('x'), unit('y', 4), unit(0), word(10),    // "xy", gives "x" to unit 4
          unit('z'), unit('q', 8), unit(0), word(11),    // "xzq", gives "xz" to unit 8
          unit('r'), unit(0), word(12)}),                // "xzr"
     {{"xy", 10}, {"xzq", 11}, {"xzr", 12}}},
    {"terminator with a branch hands on the whole name",
     cat({unit('a'), unit('b'), unit(0, 4), word(1), unit('c'), unit(0), word(2)}),
     {{"ab", 1}, {"abc", 2}}},
    {"entry of only a terminator is its inherited prefix",
     cat({unit('a'), unit('b', 4), unit(0), word(1), unit(0), word(2)}),
     {{"ab", 1}, {"a", 2}}},
    {"entry of only a terminator without prefix is empty",
     cat({unit(0), word(5), unit('k'), unit(0), word(6)}),
     {{"", 5}, {"k", 6}}},
    {"a prefix belongs to its entry only",
     cat({unit('a'), unit('b', 4), unit(0), word(1), unit('c'), unit(0), word(2), unit('d'), unit(0), word(3)}),
     {{"ab", 1}, {"ac", 2}, {"d", 3}}},
    {"the later of two branches to one unit wins",
     cat({unit('a'), unit('b', 5), unit('c', 5), unit(0), word(1), unit('x'), unit(0), word(2)}),
     {{"abc", 1}, {"abx", 2}}},
    {"branch to a unit that starts no entry is ignored",
     cat({unit('a'), unit('b', 5), unit(0), word(1), unit('c'), unit(0), word(2)}),
     {{"ab", 1}, {"c", 2}}},
    {"branch at the unit count is ignored",
     cat({unit('a'), unit('b', 7), unit(0), word(1), unit('c'), unit(0), word(2)}),
     {{"ab", 1}, {"c", 2}}},
    {"largest branch position is ignored",
     cat({unit('a'), unit('b', 0xFFFFFF), unit(0), word(1), unit('c'), unit(0), word(2)}),
     {{"ab", 1}, {"c", 2}}},
    {"bytes above 0x7F are copied as they are",
     cat({unit('\xE4'), unit('\xFF'), unit(0), word(0xFFFFFFFFU)}),
     {{"\xE4\xFF", 0xFFFFFFFFU}}},
};

class NameTableCase : public testing::TestWithParam<NameCase> {};

TEST_P(NameTableCase, DecodesNamesAndValuesInStoredOrder) {
    const NameCase& c = GetParam();
    PtrArray<NameTableEntry> list;
    list.append(NameTableEntry{StringBuffer::fromBytes("stale"), 99}); // refilled, not appended to
    decodeNameTable(list, c.table);
    Names got;
    for (const NameTableEntry& entry : list) {
        got.emplace_back(std::string(entry.name.view()), entry.value);
        EXPECT_FALSE(entry.name.isAbsent());
    }
    EXPECT_EQ(got, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Tables, NameTableCase, testing::ValuesIn(nameCases));

struct MalformedCase {
    const char* what;
    Bytes table;
    const char* reasonPart;
};

const MalformedCase malformedCases[] = {
    {"table shorter than one unit", {0x61, 0, 0}, "name unit at byte 0 crosses the end"},
    {"size not a multiple of 4: two bytes past the last entry", cat({twoNames, {0, 0}}),
     "name unit at byte 28 crosses the end"},
    {"name runs to the end without a terminator", cat({unit('a'), unit('b')}), "name unit at byte 8 crosses"},
    {"last payload cut short", cut(twoNames, 26), "4-byte payload of entry 1 at byte 24 crosses the end"},
    {"first payload missing", cut(twoNames, 12), "payload of entry 0 at byte 12 crosses the end"},
};

class MalformedNameTable : public testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedNameTable, IsAFormatErrorNamingTheTable) {
    const MalformedCase& c = GetParam();
    PtrArray<NameTableEntry> list;
    try {
        decodeNameTable(list, c.table, "group name table");
        FAIL() << "no error for: " << c.what;
    } catch (const PackageFormatError& error) {
        const std::string reason = error.what();
        EXPECT_EQ(reason.rfind("group name table: ", 0), 0U) << reason;
        EXPECT_NE(reason.find(c.reasonPart), std::string::npos) << reason;
    }
}

INSTANTIATE_TEST_SUITE_P(Tables, MalformedNameTable, testing::ValuesIn(malformedCases));

TEST(NameTableExpansion, NamesInheritedOverAndOverAreRefusedBeyondTheBudget) {
    // One long name whose terminator hands it on, then a chain of entries that
    // are only a terminator handing the same name on again: 8 table bytes per
    // entry, each decoding to the whole long name.
    constexpr std::uint32_t nameLength = 20000;
    constexpr std::uint32_t chain = 10000;
    Bytes table;
    for (std::uint32_t i = 0; i < nameLength; ++i) {
        const Bytes u = unit('n');
        table.insert(table.end(), u.begin(), u.end());
    }
    std::uint32_t next = nameLength + 2; // unit after the terminator and its payload
    for (std::uint32_t i = 0; i <= chain; ++i) {
        const Bytes t = cat({unit(0, i < chain ? next : 0), word(i)});
        table.insert(table.end(), t.begin(), t.end());
        next += 2;
    }
    PtrArray<NameTableEntry> list;
    try {
        decodeNameTable(list, table, "file name table");
        FAIL() << "a table of " << table.size() << " bytes decoded to " << list.count() << " names";
    } catch (const PackageFormatError& error) {
        EXPECT_NE(std::string(error.what()).find("names expand to more than"), std::string::npos) << error.what();
    }
}

TEST(NameTableExpansion, ChainOfInheritedNamesWithinTheBudgetDecodes) {
    // Same shape, small enough: every entry is the whole first name.
    Bytes table = cat({unit('p'), unit('q'), unit(0, 4), word(0)});
    for (std::uint32_t i = 1; i <= 50; ++i) {
        const Bytes t = cat({unit(0, i < 50 ? 4 + 2 * i : 0), word(i)});
        table.insert(table.end(), t.begin(), t.end());
    }
    PtrArray<NameTableEntry> list;
    decodeNameTable(list, table);
    ASSERT_EQ(list.count(), 51U);
    for (std::uint32_t i = 0; i < list.count(); ++i) {
        EXPECT_EQ(list[i].name.view(), "pq") << i;
        EXPECT_EQ(list[i].value, i);
    }
}

// --- packet file lists: the same walk with 12- or 32-byte descriptions ---

Bytes description(std::uint32_t type, std::uint32_t offset, std::uint32_t size) {
    return cat({word(type), word(offset), word(size)});
}
Bytes atlasDescription(std::uint32_t offset, std::uint32_t size, std::uint32_t atlasIndex, std::uint32_t width,
                       std::uint32_t height) {
    // Bytes 16 to 23 hold values the reader must skip.
    return cat({description(1, offset, size), word(atlasIndex), word(0xDEADBEEF), word(0xCAFEF00D), word(width),
                word(height)});
}

TEST(PacketFileList, ReadsTwelveOrThirtyTwoBytesAfterEachNameByType) {
    // "a/x" type 0, "a/y" type 1 (inherits "a/"), "a/z" type 7 (inherits "a/").
    const Bytes table = cat({unit('a'), unit('/'), unit('x', 7), unit(0), description(0, 16, 5),       // units 0..6
                             unit('y', 17), unit(0), atlasDescription(100, 200, 3, 64, 32),            // units 7..16
                             unit('z'), unit(0), description(7, 1, 2)});                               // units 17..21
    PacketFileList list;
    decodePacketFileList(list, table);
    ASSERT_EQ(list.count(), 3U);

    struct Expected {
        const char* name;
        std::uint32_t type, offset, size, atlasIndex, width, height;
    };
    const Expected expected[] = {
        {"a/x", 0, 16, 5, 0, 0, 0},
        {"a/y", 1, 100, 200, 3, 64, 32},
        {"a/z", 7, 1, 2, 0, 0, 0},
    };
    for (std::uint32_t i = 0; i < 3; ++i) {
        const PacketFileEntry& got = list[i];
        const Expected& want = expected[i];
        EXPECT_EQ(got.name.view(), want.name) << i;
        EXPECT_EQ(got.type, want.type) << i;
        EXPECT_EQ(got.offset, want.offset) << i;
        EXPECT_EQ(got.size, want.size) << i;
        EXPECT_EQ(got.atlasIndex, want.atlasIndex) << i;
        EXPECT_EQ(got.width, want.width) << i;
        EXPECT_EQ(got.height, want.height) << i;
    }
}

TEST(PacketFileList, DescriptionCrossingTheEndIsAFormatError) {
    const Bytes name = cat({unit('f'), unit(0)});
    const struct {
        const char* what;
        Bytes table;
    } cases[] = {
        {"atlas description cut to 12 bytes", cat({name, description(1, 0, 0)})},
        {"atlas description one byte short", cut(cat({name, atlasDescription(0, 0, 0, 1, 1)}), 8 + 31)},
        {"type word cut", cat({name, {1, 0}})},
        {"resource description cut", cut(cat({name, description(0, 0, 0)}), 8 + 11)},
    };
    for (const auto& c : cases) {
        PacketFileList list;
        EXPECT_THROW(decodePacketFileList(list, c.table, "subgroup 0 (s): file list"), PackageFormatError) << c.what;
    }
}

} // namespace
