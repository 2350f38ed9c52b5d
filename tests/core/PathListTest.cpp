#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/PathList.h"

namespace {

std::vector<std::string> components(const PathList& list) {
    std::vector<std::string> out;
    for (const StringBuffer& component : list) {
        out.emplace_back(component.view());
    }
    return out;
}

std::string withSeparator(std::string text) {
    for (char& c : text) {
        if (c == '|') {
            c = pathSeparator;
        }
    }
    return text;
}

struct SplitCase {
    const char* name;
    std::string text;
    std::vector<std::string> parts;
    std::string joined; // '|' stands for the platform separator
};

class SplitJoin : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitJoin, SplitsAtBothSeparatorsAndJoinsWithThePlatformOne) {
    const SplitCase& c = GetParam();
    PathList list;
    list.split(c.text);
    EXPECT_EQ(components(list), c.parts);
    for (const StringBuffer& component : list) {
        EXPECT_FALSE(component.isAbsent()) << "every split component has a block";
    }
    EXPECT_EQ(std::string(list.join().view()), withSeparator(c.joined));

    // Cut onto the end of a list, the same components follow it.
    PathList appended = PathList::fromText("Temp");
    appended.appendSplit(c.text);
    std::vector<std::string> expected = {"Temp"};
    expected.insert(expected.end(), c.parts.begin(), c.parts.end());
    EXPECT_EQ(components(appended), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SplitJoin,
    testing::Values(SplitCase {"LeadingBackslash", "\\games\\a.obb", {"", "games", "a.obb"}, "|games|a.obb"},
                    SplitCase {"Absolute", "/games/data/main.obb", {"", "games", "data", "main.obb"},
                               "|games|data|main.obb"},
                    SplitCase {"MixedAndDoubled", "x/y\\\\z", {"x", "y", "", "z"}, "x|y||z"},
                    SplitCase {"Empty", "", {""}, ""},
                    SplitCase {"TrailingSeparator", "a/", {"a", ""}, "a|"},
                    SplitCase {"DotsKept", "../a/./b", {"..", "a", ".", "b"}, "..|a|.|b"}),
    [](const testing::TestParamInfo<SplitCase>& row) { return row.param.name; });

TEST(PathList, SplitReplacesEarlierContents) {
    PathList list = PathList::fromText("a/b/c");
    list.split("d");
    EXPECT_EQ(components(list), std::vector<std::string>({"d"}));
}

TEST(PathList, PrefixLastPutsTildeBeforeTheLastComponent) {
    PathList list = PathList::fromText("/dir/file.rsb");
    list.prefixLast();
    EXPECT_EQ(components(list), std::vector<std::string>({"", "dir", "~file.rsb"}));
}

TEST(PathList, AppendAllAddsEveryComponentInOrder) {
    PathList list = PathList::fromText("a/b/c");
    list.appendAll(PathList::fromText("d/e"));
    EXPECT_EQ(components(list), std::vector<std::string>({"a", "b", "c", "d", "e"}));
}

TEST(PathList, CopiesAreDeep) {
    PathList original = PathList::fromText("a/b");
    PathList copy;
    copy.copyFrom(original);
    original[0].data()[0] = 'z';
    EXPECT_EQ(components(copy), std::vector<std::string>({"a", "b"}));
}

TEST(PathList, ClearIsHarmlessTwice) {
    PathList list = PathList::fromText("a");
    list.clear();
    list.clear();
    EXPECT_EQ(list.count(), 0U);
}

TEST(PathList, ToJsonArrayPushesEveryComponent) {
    JsonDocument document;
    JsonValue array(rapidjson::kArrayType);
    PathList::fromText("/a\xC3\xA9/b").toJsonArray(array, document.GetAllocator());
    ASSERT_EQ(array.Size(), 3U);
    EXPECT_STREQ(array[0].GetString(), "");
    EXPECT_STREQ(array[1].GetString(), "a\xC3\xA9");
    EXPECT_STREQ(array[2].GetString(), "b");
}

} // namespace
