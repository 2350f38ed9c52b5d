#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/FatalError.h"
#include "package/readPackage.h"
#include "packagewriter/putBytes.h"
#include "tests/package/PackageFixtures.h"

namespace {

namespace pw = packagewriter;

// Reads a copy of exactly `size` bytes on the heap, so that a read past the
// end is caught by the address sanitizer; returns the error reason or "".
std::string readError(const std::vector<std::uint8_t>& bytes, std::size_t size) {
    const std::vector<std::uint8_t> exact(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
    PackageRecords records;
    try {
        readPackage(exact, records);
    } catch (const PackageFormatError& error) {
        const std::string reason = error.what();
        return reason.empty() ? "(empty reason)" : reason;
    }
    return {};
}

std::string readError(const std::vector<std::uint8_t>& bytes) { return readError(bytes, bytes.size()); }

TEST(ReadPackageTruncated, EveryCutBeforeTheLastFileListEndsIsAFormatError) {
    const pw::WrittenPackage written = pw::writePackage(fixtures::threeSubGroups());
    const pw::Range lastList = written.layout.packets.back().fileList;
    const std::size_t needed = std::size_t{lastList.offset} + lastList.size;
    ASSERT_LT(needed, written.bytes.size()); // the last packet's data blocks follow
    for (std::size_t cut = 0; cut < needed; ++cut) {
        EXPECT_NE(readError(written.bytes, cut), "") << "cut at " << cut;
    }
    // The data blocks are extraction's business: the reader does not need them.
    EXPECT_EQ(readError(written.bytes, needed), "");
}

struct MalformedCase {
    const char* what;
    std::function<void(pw::Package&)> change;
    const char* reasonPart;
};

constexpr std::uint32_t huge = 0xFFFFFFFFU;

const MalformedCase malformedCases[] = {
    {"texture record size 20", [](pw::Package& p) { p.header.textureInfoEntrySize = 20; },
     "texture records are 20 bytes long"},
    {"4 billion groups", [](pw::Package& p) { p.header.groupCount = huge; }, "composite group records: 4294967295"},
    {"4 billion subgroups", [](pw::Package& p) { p.header.subGroupCount = huge; }, "subgroup records: 4294967295"},
    {"4 billion subgroups at stride 0",
     [](pw::Package& p) {
         p.header.subGroupCount = huge;
         p.header.subGroupInfoEntrySize = 0;
     },
     "more than a package of"},
    {"4 billion pools", [](pw::Package& p) { p.header.poolCount = huge; }, "pool records: 4294967295"},
    {"4 billion textures", [](pw::Package& p) { p.header.textureCount = huge; }, "texture records: 4294967295"},
    {"group records past the end", [](pw::Package& p) { p.header.groupInfoOffset = huge - 100; },
     "composite group records: 3 records at offset 4294967195"},
    {"subgroup stride that reaches past the end", [](pw::Package& p) { p.header.subGroupInfoEntrySize = huge; },
     "subgroup records: 3 records"},
    {"pool offset past the end", [](pw::Package& p) { p.header.poolInfoOffset = huge; }, "pool records"},
    {"texture offset past the end", [](pw::Package& p) { p.header.textureInfoOffset = 0x7FFFFFFF; },
     "texture records"},
    {"group name table wrapping in 32 bits",
     [](pw::Package& p) {
         p.header.groupNameTableOffset = huge - 3;
         p.header.groupNameTableSize = 0x20;
     },
     "group name table at offset 4294967292 (32 bytes) lies outside the package"},
    {"subgroup name table too long", [](pw::Package& p) { p.header.subGroupNameTableSize = huge; },
     "subgroup name table at offset"},
    {"file name table past the end", [](pw::Package& p) { p.header.fileNameTableOffset = huge; },
     "file name table at offset 4294967295"},
    {"packet past the end", [](pw::Package& p) { p.subGroups[1].overrides.packetOffset = 81234567; },
     "subgroup 1 (SOUNDS): packet at offset 81234567 (80 bytes) lies outside the package"},
    {"packet of a subgroup whose name holds control bytes",
     [](pw::Package& p) {
         p.subGroups[1].name = "SO\tUN\x7F";
         p.subGroups[1].overrides.packetOffset = huge;
     },
     "subgroup 1 (SO\\x09UN\\x7F): packet at offset 4294967295"},
    {"packet whose header crosses the end", [](pw::Package& p) { p.subGroups[2].overrides.packetOffset = huge - 40; },
     "subgroup 2 (LLLL"},
    {"file list offset wrapping in 32 bits", [](pw::Package& p) { p.subGroups[0].overrides.fileListOffset = huge; },
     "subgroup 0 (UI_SCREEN): file list at offset"},
    {"file list too long", [](pw::Package& p) { p.subGroups[1].overrides.fileListSize = 1U << 30U; },
     "subgroup 1 (SOUNDS): file list"},
    {"file list cut inside a description", [](pw::Package& p) { p.subGroups[1].overrides.fileListSize = 72; },
     "subgroup 1 (SOUNDS): file list: the 12-byte payload of entry 0"},
    {"slot count above 64", [](pw::Package& p) { p.groups[1].subGroupCount = 65; },
     "group 1 (MainMenu): 65 subgroups in use"},
    {"slot naming a subgroup that does not exist", [](pw::Package& p) { p.groups[1].slots[1].subGroupIndex = 3; },
     "group 1 (MainMenu), slot 1: subgroup index 3 is beyond the package's 3 subgroups"},
    {"slot in use beyond the subgroup list", [](pw::Package& p) {
         p.groups[0].slots.resize(3, {.subGroupIndex = 9});
         p.groups[0].subGroupCount = 3;
     },
     "group 0 (Init), slot 1: subgroup index 9"},
};

class ReadPackageMalformed : public testing::TestWithParam<MalformedCase> {};

TEST_P(ReadPackageMalformed, IsAFormatErrorWithAReason) {
    const MalformedCase& c = GetParam();
    pw::Package plan = fixtures::threeSubGroups();
    c.change(plan);
    const std::string reason = readError(pw::writePackage(plan).bytes);
    EXPECT_NE(reason.find(c.reasonPart), std::string::npos) << c.what << ": got \"" << reason << '"';
}

INSTANTIATE_TEST_SUITE_P(Packages, ReadPackageMalformed, testing::ValuesIn(malformedCases));

TEST(ReadPackageMalformed, PacketsSharingOneFileListCannotMultiplyIt) {
    // Many subgroups whose packets all point at one large file list.
    pw::Package plan;
    pw::SubGroup big;
    big.name = "big";
    for (int i = 0; i < 200; ++i) {
        big.files.push_back({.path = "some/longer/folder/name/file_" + std::to_string(i)});
    }
    plan.subGroups.assign(40, pw::SubGroup{.name = "small"});
    plan.subGroups[0] = big;
    const pw::WrittenPackage first = pw::writePackage(plan);
    for (std::size_t k = 1; k < plan.subGroups.size(); ++k) {
        plan.subGroups[k].overrides.packetOffset = first.layout.packets[0].packet;
    }
    const std::string reason = readError(pw::writePackage(plan).bytes);
    EXPECT_NE(reason.find("file lists add up to"), std::string::npos) << reason;
}

TEST(ReadPackageMalformed, BranchPositionsOutsideTheTableAreIgnored) {
    // "Init", "MainMenu", "Again" share no prefix; point the first unit of
    // each at units that do not exist or start no entry.
    const pw::WrittenPackage written = pw::writePackage(fixtures::threeSubGroups());
    std::vector<std::uint8_t> bytes = written.bytes;
    const pw::Range table = written.layout.groupNameTable;
    pw::putU24(bytes, table.offset + 1, 0xFFFFFF);
    pw::putU24(bytes, table.offset + 5, table.size / 4);
    pw::putU24(bytes, table.offset + 9, 1);
    PackageRecords records;
    readPackage(bytes, records);
    ASSERT_EQ(records.groupNames.count(), 3U);
    EXPECT_EQ(records.groupNames[0].name.view(), "Init");
    EXPECT_EQ(records.groupNames[1].name.view(), "MainMenu");
    EXPECT_EQ(records.groupNames[2].name.view(), "Again");
}

TEST(ReadPackageMalformed, FailedReadLeavesTheOutputsAsTheyWere) {
    PackageRecords records;
    readPackage(pw::writePackage(fixtures::threeSubGroups()).bytes, records);
    pw::Package plan = fixtures::threeSubGroups();
    plan.header.textureCount = huge;
    EXPECT_THROW(readPackage(pw::writePackage(plan).bytes, records), PackageFormatError);
    EXPECT_EQ(records.subGroups.count(), 3U);
    EXPECT_EQ(records.packetFileLists.count(), 3U);
}

} // namespace
