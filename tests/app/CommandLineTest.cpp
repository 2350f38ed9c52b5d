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
                    BadLine {"OnlyOptions", {"--skip-unknown"}}, BadLine {"ListWithoutPackage", {"--list"}},
                    BadLine {"OnlyWithoutPattern", {"a.obb", "--only"}},
                    BadLine {"OnlyWithEmptyPattern", {"a.obb", "--only", ""}},
                    BadLine {"SameNameTwiceIntoOneFolder", {"x/a.obb", "y/a.obb", "-o", "out"}},
                    BadLine {"SamePackageTwiceIntoOneFolder", {"a.obb", "-o", "out", "a.obb"}},
                    BadLine {"IndexTwice", {"a.obb", "-f", "x", "-f", "y"}},
                    BadLine {"ZeroJobs", {"a.obb", "--jobs", "0"}}, BadLine {"WordJobs", {"a.obb", "-j", "many"}},
                    BadLine {"BudgetWithoutValue", {"a.obb", "--max-output"}},
                    BadLine {"BudgetUnknownUnit", {"a.obb", "--max-output", "5X"}},
                    BadLine {"BudgetTwoUnits", {"a.obb", "--max-output", "5MB"}},
                    BadLine {"BudgetNegative", {"a.obb", "--max-output", "-5"}},
                    BadLine {"BudgetPast64Bits", {"a.obb", "--max-output", "17000000T"}},
                    BadLine {"UnknownCompression", {"a.obb", "--compression", "fastest"}},
                    BadLine {"MissingCompression", {"a.obb", "--compression"}},
                    BadLine {"CompressionTwice", {"a.obb", "--compression", "fast", "--compression", "best"}}),
    [](const testing::TestParamInfo<BadLine>& row) { return row.param.name; });

TEST(CommandLine, NoArgumentsIsTheInteractiveRun) {
    std::string error;
    const auto line = parseCommandLine({}, error);
    ASSERT_TRUE(line.has_value());
    EXPECT_TRUE(line->interactive);
    EXPECT_TRUE(line->packagePaths.empty());
}

TEST(CommandLine, ArgumentModeTakesEveryOption) {
    std::string error;
    const auto line = parseCommandLine({"-f", "index.json", "pkg.obb", "-o", "out", "--skip-unknown", "-j", "3"}, error);
    ASSERT_TRUE(line.has_value()) << error;
    EXPECT_FALSE(line->interactive);
    EXPECT_EQ(line->packagePaths, std::vector<std::string> {"pkg.obb"});
    EXPECT_EQ(line->indexPath, "index.json");
    EXPECT_EQ(line->outputFolder, "out");
    EXPECT_TRUE(line->skipUnknown);
    EXPECT_EQ(line->jobs, 3U);
    EXPECT_FALSE(line->extractAll);
    EXPECT_TRUE(line->onlyPatterns.empty());
    EXPECT_FALSE(line->keepExtracted);
    EXPECT_FALSE(line->list);
    EXPECT_FALSE(line->gallery);
    EXPECT_EQ(line->compression, PngCompression::standard);
}

TEST(CommandLine, TakesThePackagesAndPatternsInOrderWithTheSelectionOptions) {
    std::string error;
    const auto line = parseCommandLine({"a.obb", "--only", "img/*", "--all", "b.rsb", "--keep-extracted", "--only",
                                        "-x", "c.rsb.smf", "--list", "-o", "out", "--gallery"},
                                       error);
    ASSERT_TRUE(line.has_value()) << error;
    EXPECT_EQ(line->packagePaths, (std::vector<std::string> {"a.obb", "b.rsb", "c.rsb.smf"}));
    EXPECT_EQ(line->onlyPatterns, (std::vector<std::string> {"img/*", "-x"})) << "a pattern may start with '-'";
    EXPECT_TRUE(line->extractAll);
    EXPECT_TRUE(line->keepExtracted);
    EXPECT_TRUE(line->list);
    EXPECT_TRUE(line->gallery);
}

TEST(CommandLine, SeveralPackagesOfOneNameAreFineWithoutAnOutputFolderOrWhenListed) {
    std::string error;
    EXPECT_TRUE(parseCommandLine({"x/a.obb", "y/a.obb"}, error).has_value()) << error;
    EXPECT_TRUE(parseCommandLine({"x/a.obb", "y/a.obb", "-o", "out", "--list"}, error).has_value()) << error;
    EXPECT_TRUE(parseCommandLine({"x/a.obb", "x/b.obb", "-o", "out"}, error).has_value()) << error;
}

// With -o, each package goes to OUTDIR/~NAME: two packages are refused when
// the system would take their folders for one. On Windows letter case does
// not tell names apart, nor do trailing dots; on POSIX every byte does, a
// backslash included.
TEST(CommandLine, PackagesWhoseFoldersTheSystemTakesForOneAreRefused) {
    struct Row {
        const char* first;
        const char* second;
        bool refusedOnWindows;
        bool refusedOnPosix;
    };
    const Row rows[] = {
        {"x/a.rsb", "y/a.rsb", true, true},
        {"x/Main.rsb", "y/main.rsb", true, false},
        {"x/MAIN.RSB", "main.rsb", true, false},
        {"x/\xC3\x89t\xC3\xA9.rsb", "y/\xC3\xA9T\xC3\x89.rsb", true, false}, // "Été", "éTÉ"
        {"x/a.rsb.", "y/a.rsb", true, false},
        {"x/a\\b.rsb", "b.rsb", true, false},
        {"x/a\\b.rsb", "y/a\\b.rsb", true, true},
        {"x/a.rsb", "y/b.rsb", false, false},
        {"x/a.rsb", "y/a.rsb.smf", false, false},
    };
#ifdef _WIN32
    constexpr bool windows = true;
#else
    constexpr bool windows = false;
#endif
    for (const Row& row : rows) {
        std::string error;
        const bool refused = !parseCommandLine({row.first, row.second, "-o", "out"}, error).has_value();
        EXPECT_EQ(refused, windows ? row.refusedOnWindows : row.refusedOnPosix)
            << row.first << " and " << row.second << ": " << error;
        if (refused) {
            EXPECT_NE(error.find("would share the folder"), std::string::npos) << error;
        }
    }
}

TEST(CommandLine, UsageNamesEveryOption) {
    const std::string usage = usageText();
    for (const char* option : {"-f INDEX", "-o OUTDIR", "--skip-unknown", "--jobs N", "--all", "--only PATTERN",
                               "--keep-extracted", "--list", "--help", "--version", "--max-output SIZE",
                               "--compression fast|default|best", "--gallery"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
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
