#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/FatalError.h"
#include "description/listPackageFiles.h"
#include "description/SmallPackage.h"

namespace {

using Lines = std::vector<std::string>;

PacketFileEntry sized(PacketFileEntry entry, std::uint32_t offset, std::uint32_t size) {
    entry.offset = offset;
    entry.size = size;
    return entry;
}

// Two packets: "Pack_A" with a resource file and two atlases, its atlas data
// compressed; "Sounds" with one resource file, its resource data compressed.
// "Pack_A" is named by two slots, "Sounds" by one.
PackageRecords samplePackage() {
    PackageRecords records;
    records.textures.append(TextureInfo {99, 99, 0, 0});
    records.textures.append(TextureInfo {2, 2, 0, 0});
    records.textures.append(TextureInfo {3, 1, 77, 0});
    PacketFileList pack;
    pack.append(sized(resourceFile("data/x.txt"), 0, 14));
    pack.append(sized(atlasFile("img/a", 0, 2, 2), 0, 16));
    pack.append(sized(atlasFile("img\\deep/b", 1, 3, 1), 16, 9));
    addSubGroup(records, "Pack_A", 1, compressAtlasFlag, std::move(pack));
    records.packetHeaders[0].resourceDataSize = 14;
    records.packetHeaders[0].atlasDataSize = 25;
    PacketFileList sounds;
    sounds.append(sized(resourceFile("snd/s.txt"), 0, 5));
    addSubGroup(records, "Sounds", 0, compressResourceFlag, std::move(sounds));
    records.packetHeaders[1].resourceDataSize = 5;
    CompositeGroup& g1 = addGroup(records, "G1");
    addSlot(g1, 0, 1, 0);
    addSlot(addGroup(records, "G2"), 0, 2, 0);
    addSlot(g1, 1, 3, 0);
    return records;
}

TextureFormatIndex formatsOf(std::initializer_list<std::pair<std::uint32_t, const char*>> entries) {
    TextureFormatIndex formats;
    for (const auto& [code, name] : entries) {
        formats.add(FormatEntry {.name = StringBuffer::fromBytes(name), .index = code});
    }
    return formats;
}

TEST(ListPackageFiles, GivesEightFieldsPerFileEveryPacketOnce) {
    EXPECT_EQ(listPackageFiles(samplePackage(), FileSelection(), nullptr),
              (Lines {"Pack_A\tdata/x.txt\t14\tno\t\t\t\t",
                      "Pack_A\timg/a\t16\tyes\t2\t2\t0\t",
                      "Pack_A\timg\\\\deep/b\t9\tyes\t3\t1\t77\t",
                      "Sounds\tsnd/s.txt\t5\tyes\t\t\t\t"}));
}

TEST(ListPackageFiles, NamesTheFormatsTheIndexListsAndLeavesTheOthersEmpty) {
    const TextureFormatIndex formats = formatsOf({{0, "RGBA32"}, {0, "Second"}, {5, "RGB24"}});
    const Lines lines = listPackageFiles(samplePackage(), FileSelection(), &formats);
    ASSERT_EQ(lines.size(), 4U);
    EXPECT_EQ(lines[0], "Pack_A\tdata/x.txt\t14\tno\t\t\t\t");
    EXPECT_EQ(lines[1], "Pack_A\timg/a\t16\tyes\t2\t2\t0\tRGBA32") << "the first entry of a code wins";
    EXPECT_EQ(lines[2], "Pack_A\timg\\\\deep/b\t9\tyes\t3\t1\t77\t");
}

TEST(ListPackageFiles, TheSelectionFiltersLines) {
    EXPECT_EQ(listPackageFiles(samplePackage(), FileSelection({"img/**", "snd/*"}), nullptr),
              (Lines {"Pack_A\timg/a\t16\tyes\t2\t2\t0\t", "Pack_A\timg\\\\deep/b\t9\tyes\t3\t1\t77\t",
                      "Sounds\tsnd/s.txt\t5\tyes\t\t\t\t"}));
    EXPECT_TRUE(listPackageFiles(samplePackage(), FileSelection({"nothing"}), nullptr).empty());
}

TEST(ListPackageFiles, NamesCannotBreakTheColumns) {
    PackageRecords records = samplePackage();
    records.subGroups[1].name = nameField("So\tunds\n");
    records.packetFileLists[1][0].name = StringBuffer::fromBytes(std::string_view("a\tb\nc\rd\\e\x01\x7f", 11));
    const TextureFormatIndex formats = formatsOf({{77, "Odd\tName"}});
    const Lines lines = listPackageFiles(records, FileSelection(), &formats);
    ASSERT_EQ(lines.size(), 4U);
    EXPECT_EQ(lines[2], "Pack_A\timg\\\\deep/b\t9\tyes\t3\t1\t77\tOdd\\tName");
    EXPECT_EQ(lines[3], "So\\tunds\\n\ta\\tb\\nc\\rd\\\\e\\x01\\x7F\t5\tyes\t\t\t\t");
}

TEST(ListField, EscapesOnlyWhatWouldBreakALine) {
    EXPECT_EQ(listField("plain/path.png"), "plain/path.png");
    EXPECT_EQ(listField("\\\t\n\r"), "\\\\\\t\\n\\r");
    EXPECT_EQ(listField(std::string_view("\0\x1f\x7f\xc3\xa9", 5)), "\\x00\\x1F\\x7F\xc3\xa9");
}

struct Damage {
    const char* name;
    void (*apply)(PackageRecords&);
    const char* reasonPart;
};

// A subgroup that no group names is one unpacking never reaches: the listing
// leaves it out, so that damage in it refuses neither.
TEST(ListPackageFiles, LeavesOutSubgroupsNoGroupNamesDamagedOrNot) {
    for (const unsigned flags : {1U, 5U}) {
        SCOPED_TRACE(flags);
        PackageRecords records = samplePackage();
        records.groups[0].subGroupCount = 1; // drops the slot naming "Sounds"
        records.packetHeaders[1].compressionFlags = flags;
        records.packetFileLists[1][0].name = StringBuffer::fromBytes(flags == 5U ? "../x" : "snd/s.txt");
        EXPECT_EQ(listPackageFiles(records, FileSelection(), nullptr),
                  (Lines {"Pack_A\tdata/x.txt\t14\tno\t\t\t\t", "Pack_A\timg/a\t16\tyes\t2\t2\t0\t",
                          "Pack_A\timg\\\\deep/b\t9\tyes\t3\t1\t77\t"}));
    }
}

class DamagedPackageList : public testing::TestWithParam<Damage> {};

TEST_P(DamagedPackageList, ThrowsAFormatErrorNamingThePacket) {
    PackageRecords records = samplePackage();
    GetParam().apply(records);
    try {
        (void)listPackageFiles(records, FileSelection({"nothing matches"}), nullptr);
        FAIL() << "no error";
    } catch (const PackageFormatError& error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().reasonPart), std::string::npos) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DamagedPackageList,
    testing::Values(
        Damage {"CompressionFlagsAboveThree", [](PackageRecords& r) { r.packetHeaders[1].compressionFlags = 4; },
                "subgroup 1 (Sounds): packet compression flags 4"},
        Damage {"FileOutsideItsBlock", [](PackageRecords& r) { r.packetFileLists[1][0].size = 6; }, "Sounds"},
        Damage {"UnknownFileType", [](PackageRecords& r) { r.packetFileLists[0][0].type = 2; }, "type 2"},
        Damage {"PathLeavesTheFolder", [](PackageRecords& r) { r.packetFileLists[0][0].name = StringBuffer::fromBytes("../x"); },
                "climbs out"},
        Damage {"TextureBeyondTheList", [](PackageRecords& r) { r.packetFileLists[0][2].atlasIndex = 7; },
                "texture number 8"}),
    [](const testing::TestParamInfo<Damage>& row) { return row.param.name; });

} // namespace
