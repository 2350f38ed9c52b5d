#include <gtest/gtest.h>

#include <string>

#include "core/FileSelection.h"
#include "core/matchesPattern.h"

namespace {

struct MatchCase {
    const char* name;
    std::string pattern;
    std::string path;
    bool matches;
};

class MatchesPattern : public testing::TestWithParam<MatchCase> {};

TEST_P(MatchesPattern, DecidesAsTheRowSays) {
    EXPECT_EQ(matchesPattern(GetParam().pattern, GetParam().path), GetParam().matches)
        << "pattern '" << GetParam().pattern << "', path '" << GetParam().path << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MatchesPattern,
    testing::Values(
        MatchCase {"LiteralPath", "img/a", "img/a", true},
        MatchCase {"LiteralDiffers", "img/a", "img/b", false},
        MatchCase {"LetterCaseCounts", "img/A", "img/a", false},
        MatchCase {"PrefixIsNotEnough", "img", "img/a", false},
        MatchCase {"LongerPatternFails", "img/a/b", "img/a", false},
        MatchCase {"StarWithinComponent", "img/*.png", "img/a.png", true},
        MatchCase {"StarMatchesNothing", "img/a*", "img/a", true},
        MatchCase {"StarStopsAtSlash", "img/*", "img/deep/d", false},
        MatchCase {"StarStopsAtBackslash", "img/*", "img\\deep\\d", false},
        MatchCase {"StarMatchesEmptyComponent", "img/*/a", "img//a", true},
        MatchCase {"SeveralStars", "*a*b*c", "xxaybzzc", true},
        MatchCase {"StarsNeedOrder", "*a*b*c", "cba", false},
        MatchCase {"StarThenLiteralRetries", "*ab", "aab", true},
        MatchCase {"QuestionOneCharacter", "img/?", "img/a", true},
        MatchCase {"QuestionNotZero", "img/a?", "img/a", false},
        MatchCase {"QuestionNotTwo", "img/?", "img/ab", false},
        MatchCase {"QuestionNotSeparator", "img?a", "img/a", false},
        MatchCase {"DoubleStarZeroComponents", "img/**/a", "img/a", true},
        MatchCase {"DoubleStarManyComponents", "img/**/a", "img/x/y\\z/a", true},
        MatchCase {"DoubleStarAlone", "**", "a/b/c", true},
        MatchCase {"DoubleStarLeading", "**/*.png", "a.png", true},
        MatchCase {"DoubleStarLeadingDeep", "**/*.png", "x/y/a.png", true},
        MatchCase {"DoubleStarTrailing", "img/**", "img/x/y", true},
        MatchCase {"DoubleStarTrailingOtherFolder", "img/**", "snd/x", false},
        MatchCase {"DoubleStarNeedsTheRest", "**/a/b", "a/x/b", false},
        MatchCase {"TwoDoubleStars", "**/ui/**/b", "x/ui/y/z/b", true},
        MatchCase {"DoubleStarInsideComponentIsStar", "img**", "img/a", false},
        MatchCase {"DoubleStarInsideComponentWithinIt", "i**g", "img", true},
        MatchCase {"BackslashSeparatesInPattern", "img\\*", "img/a", true},
        MatchCase {"MixedSeparatorsInPath", "img/deep/d", "img\\deep/d", true},
        MatchCase {"DotIsNotIgnored", "./img/a", "img/a", false},
        MatchCase {"LeadingSeparatorIsNotIgnored", "/img/a", "img/a", false},
        MatchCase {"DoubledSeparatorIsNotIgnored", "img//a", "img/a", false},
        MatchCase {"BracketsAreLiteral", "img/[ab]", "img/[ab]", true},
        MatchCase {"BracketsAreNoClass", "img/[ab]", "img/a", false},
        MatchCase {"EmptyPatternEmptyPath", "", "", true},
        MatchCase {"EmptyPatternOtherPath", "", "a", false},
        MatchCase {"StarEmptyPath", "*", "", true}),
    [](const testing::TestParamInfo<MatchCase>& row) { return row.param.name; });

// Patterns and names built to make a backtracking matcher take exponential
// (or, per star, quadratic-squared) time. Each call must come back at once;
// a blow-up shows as a test that never ends.
TEST(MatchesPatternHostile, ManyStarsAgainstALongNameFail) {
    std::string pattern;
    for (int i = 0; i < 200; ++i) {
        pattern += "*a";
    }
    pattern += "*b";
    EXPECT_FALSE(matchesPattern(pattern, std::string(20000, 'a')));
    EXPECT_TRUE(matchesPattern(pattern, std::string(20000, 'a') + "b"));
}

TEST(MatchesPatternHostile, ManyDoubleStarsAgainstADeepPathFail) {
    std::string pattern;
    for (int i = 0; i < 200; ++i) {
        pattern += "**/a/";
    }
    pattern += "b";
    std::string path;
    for (int i = 0; i < 5000; ++i) {
        path += "a/";
    }
    EXPECT_FALSE(matchesPattern(pattern, path + "c"));
    EXPECT_TRUE(matchesPattern(pattern, path + "b"));
}

TEST(FileSelection, NoPatternSelectsEverythingAndAnyPatternSuffices) {
    const FileSelection everything;
    EXPECT_TRUE(everything.selectsEverything());
    EXPECT_TRUE(everything.selects("any/path"));

    const FileSelection some({"img/*", "**/*.txt"});
    EXPECT_FALSE(some.selectsEverything());
    EXPECT_TRUE(some.selects("img/a"));
    EXPECT_TRUE(some.selects("data/deep/x.txt"));
    EXPECT_FALSE(some.selects("img/deep/d"));
    EXPECT_FALSE(some.selects("snd/s.wav"));
}

} // namespace
