#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/FatalError.h"
#include "package/readPackage.h"
#include "tests/package/PackageFixtures.h"

namespace {

namespace pw = packagewriter;

std::uint32_t u32At(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return loadU32LE(bytes.data() + at);
}

std::vector<std::string> names(const PtrArray<NameTableEntry>& list) {
    std::vector<std::string> out;
    for (const NameTableEntry& entry : list) {
        out.emplace_back(entry.name.view());
    }
    return out;
}

class ReadPackage : public testing::Test {
protected:
    pw::Package plan = fixtures::threeSubGroups();
    pw::WrittenPackage written = pw::writePackage(plan);
    PackageRecords records = read(written.bytes);

    static PackageRecords read(const std::vector<std::uint8_t>& bytes) {
        PackageRecords r;
        readPackage(bytes, r);
        return r;
    }
};

TEST_F(ReadPackage, HeaderFieldsInMemoryOrder) {
    const PackageHeader& h = records.header;
    const pw::Layout& l = written.layout;
    EXPECT_EQ(h.magic, 0x11111111U);
    EXPECT_EQ(h.version, 0x22222222U);
    EXPECT_EQ(h.reserved0C, 0x33333333U);
    EXPECT_EQ(h.reserved6C, 0x44444444U);
    EXPECT_EQ(h.groupNameTableOffset, l.groupNameTable.offset);
    EXPECT_EQ(h.groupNameTableSize, l.groupNameTable.size);
    EXPECT_EQ(h.groupInfoOffset, l.groupRecords);
    EXPECT_EQ(h.groupInfoEntrySize, 1156U);
    EXPECT_EQ(h.groupCount, 3U);
    EXPECT_EQ(h.subGroupNameTableOffset, l.subGroupNameTable.offset);
    EXPECT_EQ(h.subGroupNameTableSize, l.subGroupNameTable.size);
    EXPECT_EQ(h.subGroupInfoOffset, l.subGroupRecords);
    EXPECT_EQ(h.subGroupInfoEntrySize, 204U);
    EXPECT_EQ(h.subGroupCount, 3U);
    EXPECT_EQ(h.fileNameTableOffset, l.fileNameTable.offset);
    EXPECT_EQ(h.fileNameTableSize, l.fileNameTable.size);
    EXPECT_EQ(h.textureInfoOffset, l.textureRecords);
    EXPECT_EQ(h.textureInfoEntrySize, 24U);
    EXPECT_EQ(h.textureCount, 3U);
    EXPECT_EQ(h.poolInfoOffset, l.poolRecords);
    EXPECT_EQ(h.poolInfoEntrySize, 140U);
    EXPECT_EQ(h.poolCount, 2U);
}

TEST_F(ReadPackage, NameTables) {
    EXPECT_EQ(names(records.groupNames), (std::vector<std::string>{"Init", "MainMenu", "Again"}));
    EXPECT_EQ(names(records.subGroupNames), (std::vector<std::string>{"UI_SCREEN", "SOUNDS", std::string(128, 'L')}));
    EXPECT_EQ(names(records.fileNames),
              (std::vector<std::string>{"data/ui/layout.bin", "data/ui/strings.txt", "images/ui/atlas_0.ptx",
                                        "images/ui/atlas_1.ptx", "sounds\\click.wav", "images/big.ptx"}));
    for (std::uint32_t i = 0; i < records.fileNames.count(); ++i) {
        EXPECT_EQ(records.fileNames[i].value, i);
    }
}

TEST_F(ReadPackage, GroupsWithAll64SlotsAndASubGroupNamedTwice) {
    ASSERT_EQ(records.groups.count(), 3U);
    const CompositeGroup& menu = records.groups[1];
    EXPECT_EQ(nameText(menu.name), "MainMenu");
    EXPECT_EQ(menu.subGroupCount, 2U);
    ASSERT_EQ(menu.subGroups.count(), 64U);
    EXPECT_EQ(menu.subGroups[0].subGroupIndex, 0U);
    EXPECT_EQ(menu.subGroups[0].resId, 200U);
    EXPECT_EQ(menu.subGroups[0].locId, 0x41414141U);
    EXPECT_EQ(menu.subGroups[1].subGroupIndex, 2U);
    EXPECT_EQ(menu.subGroups[1].resId, 201U);
    // Slot 0 of "Again" names the same subgroup as slot 0 of "MainMenu".
    EXPECT_EQ(records.groups[2].subGroups[0].subGroupIndex, 0U);
    EXPECT_EQ(records.groups[2].subGroups[0].resId, 300U);
    EXPECT_EQ(records.groups[0].subGroups[0].locId, 0x6E655F5FU);
    EXPECT_EQ(records.subGroups.count(), 3U);
}

TEST_F(ReadPackage, SlotsBeyondTheCountAreReadToo) {
    plan.groups[0].slots.resize(64);
    plan.groups[0].slots[63] = {77, 78, 79}; // index 77 is not checked: the slot is not in use
    plan.groups[0].subGroupCount = 0;
    records = read(pw::writePackage(plan).bytes);
    const CompositeGroup& group = records.groups[0];
    EXPECT_EQ(group.subGroupCount, 0U);
    EXPECT_EQ(group.subGroups[63].subGroupIndex, 77U);
    EXPECT_EQ(group.subGroups[63].resId, 78U);
    EXPECT_EQ(group.subGroups[63].locId, 79U);
}

TEST_F(ReadPackage, SubGroupsPoolsAndTextures) {
    const SubGroupInfo& ui = records.subGroups[0];
    EXPECT_EQ(nameText(ui.name), "UI_SCREEN");
    EXPECT_EQ(ui.packetOffset, written.layout.packets[0].packet);
    EXPECT_EQ(ui.infoWords, (std::array<std::uint32_t, 11>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(ui.atlasCount, 2U);
    EXPECT_EQ(ui.firstTextureIndex, 1U);
    EXPECT_EQ(records.subGroups[1].atlasCount, 0U);
    EXPECT_EQ(records.subGroups[1].infoWords[10], 31U);
    EXPECT_EQ(nameText(records.subGroups[2].name), std::string(128, 'L'));

    ASSERT_EQ(records.pools.count(), 2U);
    EXPECT_EQ(nameText(records.pools[1].name), "pool_b");
    EXPECT_EQ(records.pools[1].poolWords, (std::array<std::uint32_t, 3>{8, 9, 10}));

    ASSERT_EQ(records.textures.count(), 3U);
    ASSERT_EQ(records.moreAtlasInfo.count(), 3U);
    EXPECT_TRUE(records.useMoreAtlasInfo);
    for (std::uint32_t k = 0; k < 3; ++k) {
        const pw::Texture& want = plan.textures[k];
        EXPECT_EQ(records.textures[k].width, want.width) << k;
        EXPECT_EQ(records.textures[k].height, want.height) << k;
        EXPECT_EQ(records.textures[k].format, want.format) << k;
        EXPECT_EQ(records.textures[k].reserved08, want.reserved08) << k;
        EXPECT_EQ(records.moreAtlasInfo[k].moreInfo0, want.moreInfo0) << k;
        EXPECT_EQ(records.moreAtlasInfo[k].moreInfo1, want.moreInfo1) << k;
    }
}

TEST_F(ReadPackage, PacketHeadersAndFileListsOfEverySubGroup) {
    ASSERT_EQ(records.packetHeaders.count(), 3U);
    ASSERT_EQ(records.packetFileLists.count(), 3U);
    const pw::PacketLayout& at = written.layout.packets[0];
    const PacketHeader& h = records.packetHeaders[0];
    EXPECT_EQ(h.magic, 0x50505050U);
    EXPECT_EQ(h.version, 7U);
    EXPECT_EQ(h.reserved14, 0x1414U);
    EXPECT_EQ(h.compressionFlags, 3U);
    EXPECT_EQ(h.fileListOffset, at.fileList.offset - at.packet);
    EXPECT_EQ(h.fileListSize, at.fileList.size);
    EXPECT_EQ(h.resourceDataOffset, at.resourceData.offset - at.packet);
    EXPECT_EQ(h.resourceDataCompressedSize, at.resourceData.size);
    EXPECT_EQ(h.resourceDataSize, 17U); // "layout bytes" + "hello"
    EXPECT_EQ(h.atlasDataOffset, at.atlasData.offset - at.packet);
    EXPECT_EQ(h.atlasDataCompressedSize, at.atlasData.size);
    EXPECT_EQ(h.atlasDataSize, 21U);

    const PacketFileList& ui = records.packetFileLists[0];
    ASSERT_EQ(ui.count(), 4U);
    EXPECT_EQ(ui[1].name.view(), "data/ui/strings.txt");
    EXPECT_EQ(ui[1].type, 0U);
    EXPECT_EQ(ui[1].offset, 12U);
    EXPECT_EQ(ui[1].size, 5U);
    EXPECT_EQ(ui[3].name.view(), "images/ui/atlas_1.ptx");
    EXPECT_EQ(ui[3].type, 1U);
    EXPECT_EQ(ui[3].offset, 10U);
    EXPECT_EQ(ui[3].size, 11U);
    EXPECT_EQ(ui[3].atlasIndex, 1U);
    EXPECT_EQ(ui[3].width, 128U);
    EXPECT_EQ(ui[3].height, 16U);

    // A packet without atlases still has its header and list read.
    EXPECT_EQ(records.packetHeaders[1].compressionFlags, 2U);
    ASSERT_EQ(records.packetFileLists[1].count(), 1U);
    EXPECT_EQ(records.packetFileLists[1][0].name.view(), "sounds\\click.wav");
}

TEST_F(ReadPackage, SameOutputsCanBeFilledAgain) {
    plan.subGroups.pop_back();
    plan.groups[1].slots.pop_back();
    readPackage(pw::writePackage(plan).bytes, records);
    EXPECT_EQ(records.subGroups.count(), 2U);
    EXPECT_EQ(records.packetFileLists.count(), 2U);
    EXPECT_EQ(records.subGroupNames.count(), 2U);
}

// --- strides and record sizes ---

struct StrideCase {
    const char* what;
    std::uint32_t textureRecordSize;
    std::uint32_t subGroupStride;
    std::uint32_t poolStride;
    std::uint32_t groupInfoEntrySize;
};

const StrideCase strideCases[] = {
    {"packed records, 16-byte textures", 16, 204, 140, 1156},
    {"packed records, 24-byte textures", 24, 204, 140, 1156},
    {"larger strides skip trailing bytes", 16, 260, 200, 1156},
    {"smaller strides overlap records", 24, 200, 136, 1156},
    {"group entry size is not consulted", 16, 204, 140, 0},
    {"group entry size is not consulted, large", 24, 204, 140, 4000},
};

class ReadPackageStrides : public testing::TestWithParam<StrideCase> {};

TEST_P(ReadPackageStrides, RecordsAreReadAtTheStoredStrides) {
    const StrideCase& c = GetParam();
    pw::Package plan = fixtures::threeSubGroups();
    plan.textureRecordSize = c.textureRecordSize;
    plan.subGroupStride = c.subGroupStride;
    plan.poolStride = c.poolStride;
    plan.groupInfoEntrySize = c.groupInfoEntrySize;
    const pw::WrittenPackage written = pw::writePackage(plan);
    PackageRecords r;
    readPackage(written.bytes, r);

    EXPECT_EQ(r.useMoreAtlasInfo, c.textureRecordSize == 24);
    EXPECT_EQ(r.moreAtlasInfo.count(), c.textureRecordSize == 24 ? 3U : 0U);
    EXPECT_EQ(r.groups.count(), 3U);
    EXPECT_EQ(nameText(r.groups[2].name), "Again");
    EXPECT_EQ(r.header.groupInfoEntrySize, c.groupInfoEntrySize);
    for (std::uint32_t k = 0; k < 3; ++k) {
        EXPECT_EQ(r.textures[k].format, plan.textures[k].format) << k;
        EXPECT_EQ(r.textures[k].reserved08, plan.textures[k].reserved08) << k;
        const SubGroupInfo& sub = r.subGroups[k];
        EXPECT_EQ(nameText(sub.name), plan.subGroups[k].name.substr(0, std::min<std::size_t>(c.subGroupStride, 128)));
        EXPECT_EQ(sub.packetOffset, written.layout.packets[k].packet) << k;
        EXPECT_EQ(sub.infoWords, plan.subGroups[k].infoWords) << k;
        // With overlapping records the last field of each but the last record
        // comes from the next record's name.
        const std::size_t at = written.layout.subGroupRecords + std::size_t{k} * c.subGroupStride;
        EXPECT_EQ(sub.firstTextureIndex, u32At(written.bytes, at + 200)) << k;
        if (c.subGroupStride >= 204 || k == 2) {
            EXPECT_EQ(sub.firstTextureIndex, plan.subGroups[k].firstTextureIndex) << k;
        }
    }
    EXPECT_EQ(r.subGroups[0].firstTextureIndex == 1U, c.subGroupStride >= 204);
    EXPECT_EQ(r.pools[0].poolWords[2] == 7U, c.poolStride >= 140);
    EXPECT_EQ(r.pools[1].poolWords[2], 10U);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ReadPackageStrides, testing::ValuesIn(strideCases));

TEST(ReadPackageStrideZero, EveryRecordIsTheFirstOne) {
    pw::Package plan = fixtures::threeSubGroups();
    plan.header.subGroupInfoEntrySize = 0;
    plan.header.poolInfoEntrySize = 0;
    PackageRecords r;
    readPackage(pw::writePackage(plan).bytes, r);
    ASSERT_EQ(r.subGroups.count(), 3U);
    for (std::uint32_t k = 0; k < 3; ++k) {
        EXPECT_EQ(nameText(r.subGroups[k].name), "UI_SCREEN") << k;
        EXPECT_EQ(r.packetFileLists[k].count(), 4U) << k;
    }
    EXPECT_EQ(nameText(r.pools[1].name), "pool_a");
}

} // namespace
