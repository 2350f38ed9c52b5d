// Replays every input a fuzz target once failed on (regressions/<target>/)
// and the corpora the fuzzers start from (the generated seeds and the
// hand-made index files), through the same entry points the fuzz targets
// call. A regression shows as a crash, an escaped exception or a sanitizer
// report in the sanitizer build.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/entries/exerciseDecodePixels.h"
#include "fuzz/entries/exerciseNameTables.h"
#include "fuzz/entries/exercisePackage.h"
#include "fuzz/entries/exerciseTextureFormatIndex.h"
#include "fuzz/seeds/seedCorpus.h"
#include "description/parseTextureFormatIndex.h"
#include "support/RunBinary.h"

namespace {

using Entry = std::function<void(const std::string&)>;

ByteSpan bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

struct ReplaySet {
    std::string name;   // test name
    std::string folder; // recorded inputs, relative to the source tree
    std::string corpus; // the generated seeds of this corpus (seedCorpus), or none
    Entry entry;
};

std::string replayName(const testing::TestParamInfo<ReplaySet>& info) { return info.param.name; }

class FuzzRegression : public testing::TestWithParam<ReplaySet> {};

TEST_P(FuzzRegression, ReplaysWithoutFault) {
    const std::filesystem::path folder = std::filesystem::path(RESUNPACK_SOURCE_DIR) / GetParam().folder;
    std::size_t replayed = 0;
    if (std::filesystem::is_directory(folder)) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.is_regular_file()) {
                SCOPED_TRACE(entry.path().string());
                EXPECT_NO_THROW(GetParam().entry(readFileText(entry.path())));
                ++replayed;
            }
        }
    }
    for (const samples::SeedInput& seed : samples::seedCorpus()) {
        if (seed.corpus == GetParam().corpus) {
            SCOPED_TRACE(seed.corpus + "/" + seed.name);
            EXPECT_NO_THROW(GetParam().entry(std::string(seed.bytes.begin(), seed.bytes.end())));
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0U) << "no inputs for " << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Targets, FuzzRegression,
    testing::Values(
        ReplaySet{"Package", "tests/hardening/regressions/fuzzPackage", "package",
                  [](const std::string& input) { exercisePackage(bytesOf(input)); }},
        ReplaySet{"NameTables", "tests/hardening/regressions/fuzzNameTables", "nametables",
                  [](const std::string& input) { exerciseNameTables(bytesOf(input)); }},
        ReplaySet{"TextureFormatIndex", "tests/hardening/regressions/fuzzTextureFormatIndex", "",
                  [](const std::string& input) { exerciseTextureFormatIndex(input); }},
        ReplaySet{"DecodePixels", "tests/hardening/regressions/fuzzDecodePixels", "decodepixels",
                  [](const std::string& input) { exerciseDecodePixels(bytesOf(input)); }},
        ReplaySet{"IndexSeeds", "fuzz/seeds/index", "",
                  [](const std::string& input) { exerciseTextureFormatIndex(input); }}),
    replayName);

// The index fuzzer's first finding: a zero written with a large exponent sent
// the number conversion into undefined behaviour. Such numbers are plain
// numbers: the file is accepted, and as an "Index" they are no format code.
struct ZeroExponentCase {
    const char* text;
    std::uint32_t index;
};

class ZeroWithExponent : public testing::TestWithParam<ZeroExponentCase> {};

TEST_P(ZeroWithExponent, IsAcceptedAndIsNoFormatCode) {
    const std::optional<TextureFormatIndex> table = parseTextureFormatIndex(GetParam().text);
    ASSERT_TRUE(table.has_value()) << GetParam().text;
    ASSERT_EQ(table->count(), 1U);
    EXPECT_EQ((*table)[0].index, GetParam().index);
    EXPECT_EQ((*table)[0].name.view(), "RGBA32");
}

INSTANTIATE_TEST_SUITE_P(
    IndexFile, ZeroWithExponent,
    testing::Values(ZeroExponentCase{R"({"TextureFormat": [{"Index": 0e30, "TextureFormat": "RGBA32"}]})", 0xFFFFFFFFU},
                    ZeroExponentCase{R"({"TextureFormat": [{"Index": 0E+0222, "TextureFormat": "RGBA32"}]})",
                                     0xFFFFFFFFU},
                    ZeroExponentCase{R"({"TextureFormat": [{"Index": 0.000e-400, "TextureFormat": "RGBA32"}]})",
                                     0xFFFFFFFFU},
                    ZeroExponentCase{R"({"TextureFormat": [{"Scale": 0e300, "Index": 7, "TextureFormat": "RGBA32"}]})",
                                     7U}));

} // namespace
