#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "SmallPackage.h"
#include "core/FatalError.h"
#include "description/PackageInformation.h"
#include "description/buildPackageInformation.h"
#include "description/buildSubGroupInformation.h"

namespace {

PtrArray<TextureInfo> oneTexture(std::uint32_t format) {
    PtrArray<TextureInfo> textures;
    textures.append(TextureInfo {16, 16, format, 0});
    return textures;
}

SubGroupInformation buildSlot(std::uint32_t resId, std::uint32_t locId, std::uint32_t compressionFlags,
                              const PacketFileList& files = {}) {
    SubGroupInformation target;
    buildSubGroupInformation(target, "Sub", resId, locId, compressionFlags, files, oneTexture(7), 0);
    return target;
}

// --- compression flags -------------------------------------------------------

struct FlagsCase {
    std::uint32_t flags;
    bool compressResource;
    bool compressAtlasResource;
};

class CompressionFlags : public testing::TestWithParam<FlagsCase> {};

TEST_P(CompressionFlags, SelectTheTwoBooleans) {
    const SubGroupInformation info = buildSlot(1, 0, GetParam().flags);
    EXPECT_EQ(info.compressResource, GetParam().compressResource);
    EXPECT_EQ(info.compressAtlasResource, GetParam().compressAtlasResource);
}

INSTANTIATE_TEST_SUITE_P(AllValid, CompressionFlags,
                         testing::Values(FlagsCase {0, false, false}, FlagsCase {1, false, true},
                                         FlagsCase {2, true, false}, FlagsCase {3, true, true}));

// --- locale id ---------------------------------------------------------------

struct LocIdCase {
    const char* name;
    std::uint32_t stored;
    std::optional<std::string> text; // nothing: absent
};

class LocaleId : public testing::TestWithParam<LocIdCase> {};

TEST_P(LocaleId, IsTheStoredBytesReversed) {
    const SubGroupInformation info = buildSlot(1, GetParam().stored, 0);
    if (!GetParam().text) {
        EXPECT_TRUE(info.locId.isAbsent());
        return;
    }
    ASSERT_FALSE(info.locId.isAbsent());
    EXPECT_EQ(info.locId.view(), *GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, LocaleId,
    testing::Values(LocIdCase {"AllZero", 0, std::nullopt},
                    LocIdCase {"Letters", storedLocId('S', 'U', 'n', 'e'), "enUS"},
                    LocIdCase {"ZeroBytesStayCharacters", storedLocId('e', 'n', '\0', '\0'), std::string("\0\0ne", 4)},
                    LocIdCase {"OnlyLastByte", storedLocId('\0', '\0', '\0', 'x'), std::string("x\0\0\0", 4)},
                    LocIdCase {"HighBytes", storedLocId('\xFF', '\x80', 'a', 'b'), "ba\x80\xFF"}),
    [](const testing::TestParamInfo<LocIdCase>& row) { return row.param.name; });

// --- file list ----------------------------------------------------------------

TEST(BuildSubGroupInformation, SortsFilesByTypeInListOrder) {
    PacketFileList files;
    files.append(atlasFile("a/one", 0, 64, 32));
    files.append(resourceFile("r1"));
    files.append(resourceFile("\\r2"));
    files.append(atlasFile("two", 0, 1, 2));
    const SubGroupInformation info = buildSlot(1, 0, 0, files);

    ASSERT_EQ(info.resources.count(), 2U);
    EXPECT_EQ(info.resources[0].join('|').view(), "r1");
    EXPECT_EQ(info.resources[1].join('|').view(), "|r2");
    ASSERT_EQ(info.atlasResources.count(), 2U);
    EXPECT_EQ(info.atlasResources[0].path.join('|').view(), "a|one");
    EXPECT_EQ(info.atlasResources[1].path.join('|').view(), "two");
    const AtlasInformation& first = info.atlasResources[0].atlasInformation;
    EXPECT_EQ(first.width, 64U);
    EXPECT_EQ(first.height, 32U);
    EXPECT_EQ(first.textureFormat, 7U);
}

TEST(BuildSubGroupInformation, TakesTheFormatFromTheTextureAtFirstPlusAtlasIndex) {
    PtrArray<TextureInfo> textures;
    for (std::uint32_t format : {10U, 11U, 12U, 13U}) {
        textures.append(TextureInfo {1, 1, format, 0});
    }
    PacketFileList files;
    files.append(atlasFile("a", 1, 1, 1));
    files.append(atlasFile("b", 0, 1, 1));
    SubGroupInformation info;
    buildSubGroupInformation(info, "Sub", 1, 0, 0, files, textures, 2);
    ASSERT_EQ(info.atlasResources.count(), 2U);
    EXPECT_EQ(info.atlasResources[0].atlasInformation.index, 1U);
    EXPECT_EQ(info.atlasResources[0].atlasInformation.textureFormat, 13U);
    EXPECT_EQ(info.atlasResources[1].atlasInformation.index, 0U);
    EXPECT_EQ(info.atlasResources[1].atlasInformation.textureFormat, 12U);
}

// --- null rules of the JSON conversion ----------------------------------------

struct ResIdCase {
    std::uint32_t resId;
    std::optional<std::uint32_t> written; // nothing: null
};

class ResIdJson : public testing::TestWithParam<ResIdCase> {};

TEST_P(ResIdJson, ZeroAndAllOnesAreNull) {
    JsonAllocator allocator;
    JsonValue object(rapidjson::kObjectType);
    buildSlot(GetParam().resId, 0, 0).fillJson(object, allocator);
    ASSERT_TRUE(object.HasMember("ResID"));
    const JsonValue& value = object["ResID"];
    if (GetParam().written) {
        ASSERT_TRUE(value.IsUint());
        EXPECT_EQ(value.GetUint(), *GetParam().written);
    } else {
        EXPECT_TRUE(value.IsNull());
    }
}

INSTANTIATE_TEST_SUITE_P(Values, ResIdJson,
                         testing::Values(ResIdCase {0, std::nullopt}, ResIdCase {0xFFFFFFFFU, std::nullopt},
                                         ResIdCase {1, 1U}, ResIdCase {0xFFFFFFFEU, 0xFFFFFFFEU}));

struct AtlasNullCase {
    const char* name;
    AtlasInformation atlas;
    bool indexNull, widthNull, heightNull, formatNull;
};

class AtlasJson : public testing::TestWithParam<AtlasNullCase> {};

TEST_P(AtlasJson, EachMissingFieldIsNullAndOthersKeepTheirValue) {
    const AtlasNullCase& row = GetParam();
    JsonAllocator allocator;
    JsonValue object(rapidjson::kObjectType);
    row.atlas.fillJson(object, allocator);

    const auto check = [](const JsonValue& value, bool isNull, std::uint32_t expected) {
        if (isNull) {
            EXPECT_TRUE(value.IsNull());
        } else {
            ASSERT_TRUE(value.IsUint());
            EXPECT_EQ(value.GetUint(), expected);
        }
    };
    ASSERT_EQ(object.MemberCount(), 3U);
    check(object["Index"], row.indexNull, row.atlas.index);
    ASSERT_EQ(object["Size"].MemberCount(), 2U);
    check(object["Size"]["Width"], row.widthNull, row.atlas.width);
    check(object["Size"]["Height"], row.heightNull, row.atlas.height);
    check(object["TextureFormat"], row.formatNull, row.atlas.textureFormat);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, AtlasJson,
    testing::Values(AtlasNullCase {"NoneMissing", {0, 1, 2, 3}, false, false, false, false},
                    AtlasNullCase {"Index", {0xFFFFFFFFU, 1, 2, 3}, true, false, false, false},
                    AtlasNullCase {"Width", {5, 0xFFFFFFFFU, 0, 3}, false, true, false, false},
                    AtlasNullCase {"Height", {5, 0, 0xFFFFFFFFU, 3}, false, false, true, false},
                    AtlasNullCase {"TextureFormat", {5, 7, 9, 0xFFFFFFFFU}, false, false, false, true},
                    AtlasNullCase {"AlmostMissing", {0xFFFFFFFEU, 0xFFFFFFFEU, 0xFFFFFFFEU, 0xFFFFFFFEU},
                                   false, false, false, false}),
    [](const testing::TestParamInfo<AtlasNullCase>& row) { return row.param.name; });

TEST(PackageInformationJson, AbsentPackageNameIsNull) {
    PackageInformation information;
    buildPackageInformation(information, StringBuffer {}, false, {}, {}, {}, {}, {});
    JsonAllocator allocator;
    JsonValue root(rapidjson::kObjectType);
    information.fillJson(root, allocator);
    EXPECT_TRUE(root["ID"].IsNull());
    EXPECT_TRUE(root["Group"].IsArray());
}

// --- whole build --------------------------------------------------------------

TEST(BuildPackageInformation, RebuildingReplacesTheOldContent) {
    const PackageRecords records = smallPackage();
    PackageInformation information;
    buildPackageInformation(information, StringBuffer::fromBytes("a.rsb"), true, records.groups, records.subGroups,
                            records.textures, records.packetHeaders, records.packetFileLists);
    ASSERT_EQ(information.groups.count(), 3U);

    PtrArray<CompositeGroup> oneGroup;
    CompositeGroup& group = oneGroup.append();
    group.name = nameField("Only");
    addSlot(group, 0, 5, 0);
    buildPackageInformation(information, StringBuffer::fromBytes("b.rsb"), false, oneGroup, records.subGroups,
                            records.textures, records.packetHeaders, records.packetFileLists);
    EXPECT_EQ(information.id.view(), "b.rsb");
    EXPECT_FALSE(information.useMoreAtlasInformation);
    ASSERT_EQ(information.groups.count(), 1U);
    ASSERT_EQ(information.groups[0].subGroups.count(), 1U);
    EXPECT_EQ(information.groups[0].subGroups[0].resId, 5U);
}

TEST(BuildPackageInformation, NameWithoutZeroByteTakesAll128Bytes) {
    PackageRecords records = smallPackage();
    const std::string full(128, 'n');
    records.groups[0].name = nameField(full);
    PackageInformation information;
    buildPackageInformation(information, StringBuffer::fromBytes("a.rsb"), true, records.groups, records.subGroups,
                            records.textures, records.packetHeaders, records.packetFileLists);
    EXPECT_EQ(information.groups[0].id.view(), full);
}

// --- malformed packages --------------------------------------------------------

struct MalformedCase {
    const char* name;
    std::function<void(PackageRecords&)> damage;
    std::vector<std::string> reasonParts; // each must appear in the error's reason
};

class MalformedPackage : public testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedPackage, StopsTheBuildWithAReasonNamingTheSpot) {
    PackageRecords records = smallPackage();
    GetParam().damage(records);
    PackageInformation information;
    information.id = StringBuffer::fromBytes("untouched");
    try {
        buildPackageInformation(information, StringBuffer::fromBytes("p.rsb"), true, records.groups,
                                records.subGroups, records.textures, records.packetHeaders, records.packetFileLists);
        FAIL() << "no error raised";
    } catch (const PackageFormatError& error) {
        const std::string reason = error.what();
        for (const std::string& part : GetParam().reasonParts) {
            EXPECT_NE(reason.find(part), std::string::npos) << "reason: " << reason << "\nmissing: " << part;
        }
    }
    EXPECT_EQ(information.id.view(), "untouched");
}

INSTANTIATE_TEST_SUITE_P(
    Damage, MalformedPackage,
    testing::Values(
        MalformedCase {"CompressionFlagsAboveThree",
                       [](PackageRecords& r) { r.packetHeaders[1].compressionFlags = 4; },
                       {"group 0 \"Alpha\"", "slot 1", "\"Atlas_1536\"", "compression flags 4"}},
        MalformedCase {"UnknownFileType",
                       [](PackageRecords& r) { r.packetFileLists[0][2].type = 2; },
                       {"group 0 \"Alpha\"", "slot 0", "\"Common\"", "packet file 2", "file type 2"}},
        MalformedCase {"TextureNumberBeyondTheList",
                       [](PackageRecords& r) { r.packetFileLists[1][2].atlasIndex = 2; },
                       {"slot 1", "packet file 2 \"atlases\\ATLAS_01\"", "texture number 3"}},
        // 0xFFFFFFFF + 1 wraps to 0 in 32 bits, which would name the first texture.
        MalformedCase {"TextureNumberPastFourGi",
                       [](PackageRecords& r) {
                           r.subGroups[1].firstTextureIndex = 0xFFFFFFFFU;
                           r.packetFileLists[1][0].atlasIndex = 1;
                       },
                       {"packet file 0 \"atlases/ATLAS_00\"", "texture number 4294967296"}},
        MalformedCase {"AtlasIndexIsTheMissingMarker",
                       [](PackageRecords& r) { r.packetFileLists[1][0].atlasIndex = 0xFFFFFFFFU; },
                       {"packet file 0", "texture number 4294967296"}},
        MalformedCase {"ControlBytesInNamesAreShownAsHex",
                       [](PackageRecords& r) { r.packetHeaders[2].compressionFlags = 4; },
                       {"group 1 \"Tab\\x09Quote\"Back\\Slash/Ctl\\x01\\x1F\\x7F\\x08\\x0C\\x0A\\x0D\", slot 1"}}),
    [](const testing::TestParamInfo<MalformedCase>& row) { return row.param.name; });

TEST(BuildPackageInformation, AllSixtyFourSlotsAreUsable) {
    PackageRecords records = smallPackage();
    records.groups[2].subGroupCount = 64;
    PackageInformation information;
    buildPackageInformation(information, StringBuffer::fromBytes("p.rsb"), true, records.groups, records.subGroups,
                            records.textures, records.packetHeaders, records.packetFileLists);
    ASSERT_EQ(information.groups[2].subGroups.count(), 64U);
    // Unset slots select subgroup 0 with resource id 0.
    EXPECT_EQ(information.groups[2].subGroups[63].id.view(), "Common");
}

} // namespace
