// Which extracted atlas copies the plan lets the run leave unwritten: only
// those removed again as soon as the atlas is decoded from memory, in visits
// sure to run to their end, with nothing of the visit written below them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "atlas/AtlasPlan.h"
#include "description/parseTextureFormatIndex.h"
#include "package/readPackage.h"
#include "packagewriter/writePackage.h"

namespace pw = packagewriter;

namespace {

pw::PacketFile atlasFile(const std::string& path, std::uint32_t index) {
    return {.path = path, .type = pw::atlasFile, .data = std::vector<std::uint8_t>(16, 9), .atlasIndex = index,
            .width = 2, .height = 2};
}

pw::PacketFile resourceFile(const std::string& path) {
    return {.path = path, .data = std::vector<std::uint8_t>(4, 1)};
}

struct CopyCase {
    const char* name;
    std::vector<pw::PacketFile> files;
    std::vector<std::uint32_t> textureFormats; // one texture per entry; 0 is listed, 9 is not
    bool keepExtracted = false;
    bool skipUnknown = false;
    const char* only = nullptr;          // a --only pattern
    std::uint64_t budget = UINT64_MAX;
    std::vector<bool> expected;          // copyOnlyOnFailure of each planned atlas
    std::vector<std::uint32_t> positions = {}; // listPosition of each planned atlas, when checked
};

class CopiesOnlyOnFailure : public testing::TestWithParam<CopyCase> {};

TEST_P(CopiesOnlyOnFailure, AreMarkedWhereNothingCanMeetTheCopy) {
    const CopyCase& c = GetParam();
    pw::Package plan;
    plan.subGroups = {{.name = "Sub", .files = c.files}};
    for (const std::uint32_t format : c.textureFormats) {
        plan.textures.push_back({.width = 2, .height = 2, .format = format});
    }
    plan.groups = {{.name = "G", .slots = {{0, 1, 0}}}};
    const std::vector<std::uint8_t> bytes = pw::writePackage(plan).bytes;
    PackageRecords records;
    readPackage(ByteSpan(bytes.data(), bytes.size()), records);
    const std::optional<TextureFormatIndex> formats =
        parseTextureFormatIndex(R"({"TextureFormat": [{"Index": 0, "TextureFormat": "RGBA32"}]})");
    ASSERT_TRUE(formats);

    const FileSelection selection(c.only != nullptr ? std::vector<std::string> {c.only} : std::vector<std::string> {});
    const AtlasPlan atlasPlan = planAtlasStage(
        records, *formats,
        PlanChoices {c.budget, false, &selection, !c.keepExtracted, !c.skipUnknown});
    ASSERT_EQ(atlasPlan.visits.size(), 1U);
    const PlannedVisit& visit = atlasPlan.visits[0];
    ASSERT_EQ(visit.atlases.size(), c.expected.size());
    for (std::size_t a = 0; a < visit.atlases.size(); ++a) {
        EXPECT_EQ(visit.atlases[a].copyOnlyOnFailure, c.expected[a]) << "atlas " << a;
        if (!c.positions.empty()) {
            EXPECT_EQ(visit.atlases[a].listPosition, c.positions.at(a)) << "atlas " << a;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Plans, CopiesOnlyOnFailure,
    testing::Values(
        CopyCase {.name = "Decoded",
                  .files = {resourceFile("res/a"), atlasFile("img/a", 0), atlasFile("img/b", 1)},
                  .textureFormats = {0, 0}, .expected = {true, true}, .positions = {1, 2}},
        CopyCase {.name = "KeptExtracted", .files = {atlasFile("img/a", 0), atlasFile("img/b", 1)},
                  .textureFormats = {0, 0}, .keepExtracted = true, .expected = {false, false}},
        // The prompt may end the run in the middle of the visit.
        CopyCase {.name = "UnlistedFormatAsked", .files = {atlasFile("img/a", 0), atlasFile("img/b", 1)},
                  .textureFormats = {0, 9}, .expected = {false, false}},
        CopyCase {.name = "UnlistedFormatSkipped", .files = {atlasFile("img/a", 0), atlasFile("img/b", 1)},
                  .textureFormats = {0, 9}, .skipUnknown = true, .expected = {true, false}},
        // 16 + 16 bytes extracted and 16 decoded fit, the second atlas's 16 do not.
        CopyCase {.name = "BudgetEndsTheVisit", .files = {atlasFile("img/a", 0), atlasFile("img/b", 1)},
                  .textureFormats = {0, 0}, .budget = 60, .expected = {false, false}},
        // Two files at one name: the atlas's copy in "Temp" is always written.
        CopyCase {.name = "SameFileTwice",
                  .files = {atlasFile("img/a", 0), resourceFile("IMG/A"), atlasFile("img/b", 1)},
                  .textureFormats = {0, 0}, .expected = {false, true}},
        // A later file below the atlas's name would meet its copy there.
        CopyCase {.name = "LaterFileBelow",
                  .files = {atlasFile("img/a", 0), resourceFile("img/a/x"), atlasFile("img/b", 1)},
                  .textureFormats = {0, 0}, .expected = {false, true}},
        // Below it under another spelling of the same folders.
        CopyCase {.name = "LaterFileBelowSpelledOtherwise",
                  .files = {atlasFile("deep/img/a", 0), resourceFile("DEEP\\.\\img//A/x/y"), atlasFile("img/b", 1)},
                  .textureFormats = {0, 0}, .expected = {false, true}},
        // A name that only begins like the atlas's is beside it, not below.
        CopyCase {.name = "LaterFileBeside",
                  .files = {atlasFile("img/a", 0), resourceFile("img/ab/x"), resourceFile("img/a.x"),
                            atlasFile("img/b", 1)},
                  .textureFormats = {0, 0}, .expected = {true, true}},
        CopyCase {.name = "EarlierFileBelow", .files = {resourceFile("img/a/x"), atlasFile("img/a", 0)},
                  .textureFormats = {0}, .expected = {true}},
        CopyCase {.name = "Selected",
                  .files = {resourceFile("res/a"), atlasFile("img/a", 0), resourceFile("img/c"), atlasFile("img/b", 1)},
                  .textureFormats = {0, 0}, .only = "img/*", .expected = {true, true}, .positions = {0, 2}}),
    [](const testing::TestParamInfo<CopyCase>& testCase) { return std::string(testCase.param.name); });

} // namespace
