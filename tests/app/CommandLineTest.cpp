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
                    BadLine {"BudgetWithoutValue", {"a.obb", "--max-output"}},
                    BadLine {"BudgetUnknownUnit", {"a.obb", "--max-output", "5X"}},
                    BadLine {"BudgetTwoUnits", {"a.obb", "--max-output", "5MB"}},
                    BadLine {"BudgetNegative", {"a.obb", "--max-output", "-5"}},
                    BadLine {"BudgetPast64Bits", {"a.obb", "--max-output", "17000000T"}}),
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
}

TEST(CommandLine, OutputBudgetTakesBytesOrPowersOf1024) {
    struct Row {
        const char* text;
        std::uint64_t bytes;
    };
    for (const Row& row : {Row {"0", 0}, Row {"1000", 1000}, Row {"2K", 2048}, Row {"3m", 3U << 20},
                           Row {"5G", std::uint64_t {5} << 30}, Row {"16T", std::uint64_t {16} << 40}}) {
        std::string error;
        const auto line = parseCommandLine({"a.obb", "--max-output", row.text}, error);
        ASSERT_TRUE(line.has_value()) << row.text << ": " << error;
        EXPECT_EQ(line->maxOutput, row.bytes) << row.text;
    }
}

} // namespace
