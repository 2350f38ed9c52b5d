#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace {

struct BadLine {
    const char* name;
    std::vector<std::string> arguments;
};

class BadCommandLine : public testing::TestWithParam<BadLine> {};

TEST_P(BadCommandLine, IsRefusedWithAReason) {
    std::string error;
    EXPECT_FALSE(parseCommandLine(GetParam().arguments, error).has_value());
    EXPECT_FALSE(error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BadCommandLine,
    testing::Values(BadLine {"UnknownOption", {"a.obb", "--frobnicate"}}, BadLine {"MissingIndexValue", {"a.obb", "-f"}},
                    BadLine {"TwoPackages", {"a.obb", "b.obb"}}, BadLine {"OnlyOptions", {"--skip-unknown"}},
                    BadLine {"IndexTwice", {"a.obb", "-f", "x", "-f", "y"}},
                    BadLine {"ZeroJobs", {"a.obb", "--jobs", "0"}}, BadLine {"WordJobs", {"a.obb", "-j", "many"}},
                    BadLine {"UnknownCompression", {"a.obb", "--compression", "fastest"}},
                    BadLine {"MissingCompression", {"a.obb", "--compression"}},
                    BadLine {"CompressionTwice", {"a.obb", "--compression", "fast", "--compression", "best"}}),
    [](const testing::TestParamInfo<BadLine>& row) { return row.param.name; });

TEST(CommandLine, NoArgumentsIsTheInteractiveRun) {
    std::string error;
    const auto line = parseCommandLine({}, error);
    ASSERT_TRUE(line.has_value());
    EXPECT_TRUE(line->interactive);
    EXPECT_FALSE(line->packagePath.has_value());
}

TEST(CommandLine, ArgumentModeTakesEveryOption) {
    std::string error;
    const auto line = parseCommandLine({"-f", "index.json", "pkg.obb", "-o", "out", "--skip-unknown", "-j", "3"}, error);
    ASSERT_TRUE(line.has_value()) << error;
    EXPECT_FALSE(line->interactive);
    EXPECT_EQ(line->packagePath, "pkg.obb");
    EXPECT_EQ(line->indexPath, "index.json");
    EXPECT_EQ(line->outputFolder, "out");
    EXPECT_TRUE(line->skipUnknown);
    EXPECT_EQ(line->jobs, 3U);
    EXPECT_EQ(line->compression, PngCompression::standard);
}

TEST(CommandLine, CompressionNamesPickTheirSettings) {
    const std::pair<const char*, PngCompression> names[] = {
        {"fast", PngCompression::fast}, {"default", PngCompression::standard}, {"best", PngCompression::best}};
    for (const auto& [name, compression] : names) {
        std::string error;
        const auto line = parseCommandLine({"pkg.obb", "--compression", name}, error);
        ASSERT_TRUE(line.has_value()) << name << ": " << error;
        EXPECT_EQ(line->compression, compression) << name;
    }
}

} // namespace
