#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "core/FatalError.h"
#include "description/findFormatEntry.h"
#include "description/loadTextureFormatIndex.h"
#include "description/parseTextureFormatIndex.h"
#include "support/ConsoleCapture.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t noIndex = 0xFFFFFFFFU;

struct Expected {
    std::optional<std::string> name; // nothing: absent
    std::uint32_t index;
};

void expectEntry(const FormatEntry* found, const Expected& expected) {
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->index, expected.index);
    if (expected.name) {
        ASSERT_FALSE(found->name.isAbsent());
        EXPECT_EQ(found->name.view(), *expected.name);
    } else {
        EXPECT_TRUE(found->name.isAbsent());
    }
}

// `elements` are the file's elements in file order. Looking up each one's
// code gives the first element with that code; the table holds one entry
// per code, in the order the codes first appear.
void expectTable(const TextureFormatIndex& table, const std::vector<Expected>& elements) {
    std::vector<std::size_t> firsts;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        SCOPED_TRACE("element " + std::to_string(i));
        std::size_t first = 0;
        while (elements[first].index != elements[i].index) {
            ++first;
        }
        if (first == i) {
            firsts.push_back(i);
        }
        expectEntry(findFormatEntry(table, elements[i].index), elements[first]);
    }
    ASSERT_EQ(table.count(), firsts.size());
    for (std::uint32_t i = 0; i < table.count(); ++i) {
        SCOPED_TRACE("entry " + std::to_string(i));
        expectEntry(&table[i], elements[firsts[i]]);
    }
}

// --- accepted files -----------------------------------------------------------------

struct AcceptedCase {
    const char* name;
    std::string text;
    std::vector<Expected> table;
};

class AcceptedIndexFile : public testing::TestWithParam<AcceptedCase> {};

TEST_P(AcceptedIndexFile, GivesTheFirstElementOfEachCode) {
    const std::optional<TextureFormatIndex> table = parseTextureFormatIndex(GetParam().text);
    ASSERT_TRUE(table.has_value());
    expectTable(*table, GetParam().table);
}

INSTANTIATE_TEST_SUITE_P(
    Files, AcceptedIndexFile,
    testing::Values(
        AcceptedCase {"Plain",
                      R"({"TextureFormat":[{"Index":0,"TextureFormat":"RGBA32"},{"Index":147,"TextureFormat":"RGB_ETC1"}]})",
                      {{"RGBA32", 0}, {"RGB_ETC1", 147}}},
        AcceptedCase {"CommentsAndTrailingCommas",
                      "// formats\n{ /* list */ \"TextureFormat\" : [\r\n"
                      "  {\"Index\": 1, // one\n \"TextureFormat\": \"RGB24\",},\n"
                      "  {\"Index\": 2, \"TextureFormat\": \"BGR24\"},\n],\n} /* end */ // done",
                      {{"RGB24", 1}, {"BGR24", 2}}},
        AcceptedCase {"EmptyList", R"({"TextureFormat":[]})", {}},
        AcceptedCase {"IndexForms",
                      R"({"TextureFormat":[{"Index":5.0},{"Index":5e0},{"Index":"5"},{"Index":-1},)"
                      R"({"Index":4294967296},{},{"Index":true},{"Index":null},{"Index":4294967295},)"
                      R"({"Index":0},{"Index":-0},{"Index":18446744073709551615}]})",
                      {{std::nullopt, noIndex}, {std::nullopt, noIndex}, {std::nullopt, noIndex},
                       {std::nullopt, noIndex}, {std::nullopt, noIndex}, {std::nullopt, noIndex},
                       {std::nullopt, noIndex}, {std::nullopt, noIndex}, {std::nullopt, 4294967295U},
                       {std::nullopt, 0}, {std::nullopt, 0}, {std::nullopt, noIndex}}},
        AcceptedCase {"NameForms",
                      "{\"TextureFormat\":[{\"Index\":1,\"TextureFormat\":5},{\"Index\":2,\"TextureFormat\":\"\"},"
                      "{\"Index\":3,\"TextureFormat\":\"A\\u0000B\"},{\"Index\":4,\"TextureFormat\":\"\\u00e9\"},"
                      "{\"Index\":5,\"TextureFormat\":\"\\uD83D\\uDE00\"},{\"Index\":6,\"TextureFormat\":\"\xE9\xFF\"},"
                      "{\"Index\":7,\"TextureFormat\":null},{\"Index\":8,\"TextureFormat\":[\"RGB24\"]}]}",
                      {{std::nullopt, 1}, {"", 2}, {std::string("A\0B", 3), 3}, {"\xC3\xA9", 4},
                       {"\xF0\x9F\x98\x80", 5}, {"\xE9\xFF", 6}, {std::nullopt, 7}, {std::nullopt, 8}}},
        AcceptedCase {"FirstOfTwoSameNamedMembersCounts",
                      R"({"TextureFormat":[{"Index":1,"Index":2,"TextureFormat":"X","TextureFormat":"Y"}],"TextureFormat":5})",
                      {{"X", 1}}},
        AcceptedCase {"ExtraMembersChangeNothing",
                      R"({"Version":3,"TextureFormat":[{"Comment":"x","Index":9,"TextureFormat":"RGBA_PVRTC4","Z":[{}]}],"More":{}})",
                      {{"RGBA_PVRTC4", 9}}},
        AcceptedCase {"DuplicatesKeepTheFirst",
                      R"({"TextureFormat":[{"Index":5},{"Index":5,"TextureFormat":"B"},{"TextureFormat":"X"},)"
                      R"({"Index":6,"TextureFormat":"C"},{"Index":"x","TextureFormat":"Y"},{"Index":6},{}]})",
                      {{std::nullopt, 5}, {"B", 5}, {"X", noIndex}, {"C", 6}, {"Y", noIndex}, {std::nullopt, 6},
                       {std::nullopt, noIndex}}},
        AcceptedCase {"MembersOfNestedValuesAreNotTheElements",
                      R"({"TextureFormat":[{"Index":{"Index":4,"TextureFormat":"N"},"TextureFormat":"T"},)"
                      R"({"Z":{"Index":5,"TextureFormat":"Q"},"Index":6},{"TextureFormat":{"TextureFormat":"R"},"Index":7},)"
                      R"({"A":[{"Index":8},[{"Index":10}]],"Index":9,"TextureFormat":"S"}]})",
                      {{"T", noIndex}, {std::nullopt, 6}, {std::nullopt, 7}, {"S", 9}}},
        AcceptedCase {"OnlyTheRootsFirstListCounts",
                      R"({"Other":{"TextureFormat":[{"Index":1,"TextureFormat":"W"}]},)"
                      R"("TextureFormat":[{"Index":2,"TextureFormat":"V"}],"More":[{"TextureFormat":[{"Index":3}]}],)"
                      R"("TextureFormat":[{"Index":4,"TextureFormat":"U"}]})",
                      {{"V", 2}}},
        AcceptedCase {"WideIntegers",
                      R"({"TextureFormat":[{"Index":2147483648},{"Index":-2147483649},{"Index":9223372036854775808},)"
                      R"({"Index":-9223372036854775808},{"Index":1e2},{"Index":4294967295.0},{"Index":-2147483648}]})",
                      {{std::nullopt, 2147483648U}, {std::nullopt, noIndex}, {std::nullopt, noIndex},
                       {std::nullopt, noIndex}, {std::nullopt, noIndex}, {std::nullopt, noIndex},
                       {std::nullopt, noIndex}}},
        AcceptedCase {"DeepNestingElsewhere",
                      "{\"Deep\":" + std::string(100000, '[') + std::string(100000, ']') +
                          ",\"TextureFormat\":[{\"Index\":1,\"TextureFormat\":\"RGB24\"}]}",
                      {{"RGB24", 1}}}),
    [](const testing::TestParamInfo<AcceptedCase>& row) { return row.param.name; });

// --- rejected files ------------------------------------------------------------------

struct RejectedCase {
    const char* name;
    std::string text;
};

class RejectedIndexFile : public testing::TestWithParam<RejectedCase> {};

TEST_P(RejectedIndexFile, GivesNothing) { EXPECT_FALSE(parseTextureFormatIndex(GetParam().text).has_value()); }

const std::string valid = R"({"TextureFormat":[{"Index":1,"TextureFormat":"RGB24"}]})";

INSTANTIATE_TEST_SUITE_P(
    Files, RejectedIndexFile,
    testing::Values(RejectedCase {"Empty", ""}, RejectedCase {"ThreeBytes", "{ }"},
                    RejectedCase {"OnlyWhitespace", " \t\r\n  "}, RejectedCase {"OnlyComment", "// nothing here\n"},
                    RejectedCase {"Null", "null"}, RejectedCase {"NullWithComment", "/* x */ null // y"},
                    RejectedCase {"ByteOrderMark", "\xEF\xBB\xBF" + valid},
                    RejectedCase {"UnterminatedComment", valid + " /* open"},
                    RejectedCase {"SecondValue", valid + " {}"}, RejectedCase {"TrailingWord", valid + " x"},
                    RejectedCase {"ZeroByteThenContent", valid + std::string("\0{}", 3)},
                    RejectedCase {"TrailingZeroByte", valid + std::string("\0", 1)},
                    RejectedCase {"Unterminated", R"({"TextureFormat":[{"Index":1}])"},
                    RejectedCase {"TwoTrailingCommas", R"({"TextureFormat":[{"Index":1},,]})"},
                    RejectedCase {"LeadingComma", R"({"TextureFormat":[,{"Index":1}]})"},
                    RejectedCase {"RawControlByteInString", "{\"TextureFormat\":[{\"TextureFormat\":\"a\tb\"}]}"},
                    RejectedCase {"PlusSign", R"({"TextureFormat":[{"Index":+1}]})"},
                    RejectedCase {"NaN", R"({"TextureFormat":[{"Index":NaN}]})"},
                    RejectedCase {"RootIsArray", R"([{"Index":1,"TextureFormat":"RGB24"}])"},
                    RejectedCase {"RootIsString", R"("TextureFormat")"},
                    RejectedCase {"NoTextureFormat", R"({"Formats":[]})"},
                    RejectedCase {"TextureFormatIsObject", R"({"TextureFormat":{"Index":1}})"},
                    RejectedCase {"TextureFormatIsNull", R"({"TextureFormat":null})"},
                    RejectedCase {"ElementIsNumber", R"({"TextureFormat":[{"Index":1},2]})"},
                    RejectedCase {"ElementIsArray", R"({"TextureFormat":[[1,"RGB24"]]})"},
                    RejectedCase {"FirstTextureFormatIsNoList", R"({"TextureFormat":5,"TextureFormat":[{"Index":1}]})"},
                    RejectedCase {"ElementIsNull", R"({"TextureFormat":[{"Index":1},null]})"},
                    RejectedCase {"ElementIsString", R"({"TextureFormat":["RGB24"]})"},
                    RejectedCase {"ElementIsTrue", R"({"TextureFormat":[true,{"Index":1}]})"},
                    RejectedCase {"RootIsNumber", "1234"},
                    RejectedCase {"SyntaxErrorAfterTheList", R"({"TextureFormat":[{"Index":1}],"x":[})"},
                    RejectedCase {"ListInsideAnotherMemberOnly", R"({"Other":{"TextureFormat":[{"Index":1}]}})"},
                    RejectedCase {"DeepUnclosedNesting", "{\"Deep\":" + std::string(100000, '[')}),
    [](const testing::TestParamInfo<RejectedCase>& row) { return row.param.name; });

// --- lookups -------------------------------------------------------------------------

struct LookupCase {
    const char* name;
    std::uint32_t code;
    std::optional<std::size_t> entry; // the element of the file it gives; nothing: not found
};

class FindFormatEntry : public testing::TestWithParam<LookupCase> {};

TEST_P(FindFormatEntry, GivesTheFirstEntryWithTheCode) {
    const std::optional<TextureFormatIndex> table = parseTextureFormatIndex(
        R"({"TextureFormat":[{"Index":3,"TextureFormat":"A"},{"Index":7,"TextureFormat":"B"},)"
        R"({"Index":3,"TextureFormat":"C"},{"Index":"9","TextureFormat":"D"},{"Index":8}]})");
    const std::vector<Expected> elements = {{"A", 3}, {"B", 7}, {"C", 3}, {"D", noIndex}, {std::nullopt, 8}};
    ASSERT_TRUE(table.has_value());
    const FormatEntry* found = findFormatEntry(*table, GetParam().code);
    if (!GetParam().entry) {
        EXPECT_EQ(found, nullptr);
    } else {
        expectEntry(found, elements[*GetParam().entry]);
    }
}

INSTANTIATE_TEST_SUITE_P(Codes, FindFormatEntry,
                         testing::Values(LookupCase {"FirstOfTwo", 3, 0}, LookupCase {"Second", 7, 1},
                                         LookupCase {"EntryWithoutName", 8, 4},
                                         LookupCase {"StringIndexNeverMatchesItsNumber", 9, std::nullopt},
                                         LookupCase {"MissingMarkerMatchesBadIndex", noIndex, 3},
                                         LookupCase {"Unlisted", 0, std::nullopt}),
                         [](const testing::TestParamInfo<LookupCase>& row) { return row.param.name; });

TEST(FindFormatEntryInEmptyTable, FindsNothing) {
    EXPECT_EQ(findFormatEntry(TextureFormatIndex {}, 0), nullptr);
    EXPECT_EQ(findFormatEntry(TextureFormatIndex {}, noIndex), nullptr);
}

// --- the whole step with its console dialogue ------------------------------------

const std::string prompt = "Please Choose TextureFormat Index Information File\n";

void writeFile(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

TEST(LoadTextureFormatIndex, GivenPathIsEchoedAndTabulated) {
    TempFolder folder;
    const std::string path = (folder.path() / "formats.json").string();
    writeFile(path, valid);
    ConsoleCapture capture("");
    const TextureFormatIndex table = loadTextureFormatIndex(capture.console(), path);
    EXPECT_EQ(capture.output(), prompt + path + "\nInPut : " + path + "\n");
    expectTable(table, {{"RGB24", 1}});
}

TEST(LoadTextureFormatIndex, WithoutGivenPathAsksForOne) {
    TempFolder folder;
    writeFile(folder.path() / "formats.json", valid);
    ConsoleCapture capture("formats.json\n");
    const TextureFormatIndex table = loadTextureFormatIndex(capture.console(), std::nullopt);
    const std::string path = (folder.path() / "formats.json").string();
    EXPECT_EQ(capture.output(), prompt + "Path : " + path + "\nInPut : " + path + "\n");
    expectTable(table, {{"RGB24", 1}});
}

struct LoadFailureCase {
    const char* name;
    std::optional<std::string> content; // nothing: no file at all
    std::string answer;                  // the reply to the path prompt
    std::string line;
};

class LoadTextureFormatIndexFailure : public testing::TestWithParam<LoadFailureCase> {};

TEST_P(LoadTextureFormatIndexFailure, AbortsWithoutPause) {
    TempFolder folder;
    if (GetParam().content) {
        writeFile(folder.path() / "formats.json", *GetParam().content);
    }
    ConsoleCapture capture(GetParam().answer + "\n");
    try {
        (void)loadTextureFormatIndex(capture.console(), std::nullopt);
        FAIL() << "no error raised";
    } catch (const RunAborted& aborted) {
        EXPECT_EQ(aborted.lines(), std::vector<std::string> {GetParam().line});
        EXPECT_FALSE(aborted.pause());
    }
    EXPECT_TRUE(capture.output().starts_with(prompt + "Path : ")) << capture.output();
}

// A file past the size limit exists: it is named as too large, not as missing.
// The file is sparse, so it takes no room.
TEST(LoadTextureFormatIndex, FileBeyondTheSizeLimitIsNamedTooLarge) {
    TempFolder folder;
    writeFile(folder.path() / "formats.json", "{}");
    std::filesystem::resize_file(folder.path() / "formats.json", (std::uintmax_t {64} << 20U) + 1U);
    ConsoleCapture capture("formats.json\n");
    try {
        (void)loadTextureFormatIndex(capture.console(), std::nullopt);
        FAIL() << "no error raised";
    } catch (const RunAborted& aborted) {
        ASSERT_EQ(aborted.lines().size(), 2U);
        EXPECT_EQ(aborted.lines()[0], "TextureFormat Index Information File : Too Large");
        EXPECT_NE(aborted.lines()[1].find("larger than 67108864 bytes"), std::string::npos) << aborted.lines()[1];
        EXPECT_FALSE(aborted.pause());
    }
}

const std::string notExist = "TextureFormat Index Information File : Not Exist";

// On Windows no file can have a name holding '|': the second line says why
// the file is not there. Elsewhere it is an ordinary name, here of no file.
TEST(LoadTextureFormatIndex, ANameWithACharacterWindowsDoesNotAllow) {
    TempFolder folder;
    const std::string path = (folder.path() / "for|mats.json").string();
    try {
        (void)readTextureFormatIndexFile(path);
        FAIL() << "no error raised";
    } catch (const RunAborted& aborted) {
#ifdef _WIN32
        EXPECT_EQ(aborted.lines(),
                  (std::vector<std::string> {notExist, "\t" + path +
                                                           " : the name holds '|', a character Windows does not "
                                                           "allow in file names"}));
#else
        EXPECT_EQ(aborted.lines(), std::vector<std::string> {notExist});
#endif
        EXPECT_FALSE(aborted.pause());
    }
}
const std::string formatError = "TextureFormat Index Information File : Format Error";

INSTANTIATE_TEST_SUITE_P(
    Causes, LoadTextureFormatIndexFailure,
    testing::Values(LoadFailureCase {"MissingFile", std::nullopt, "formats.json", notExist},
                    LoadFailureCase {"CancelledChoice", valid, "", notExist},
                    LoadFailureCase {"Folder", std::nullopt, ".", notExist},
                    LoadFailureCase {"LiteralNull", "null", "formats.json", formatError},
                    LoadFailureCase {"ShortFile", "{}", "formats.json", formatError},
                    LoadFailureCase {"WrongShape", R"({"TextureFormat":5})", "formats.json", formatError}),
    [](const testing::TestParamInfo<LoadFailureCase>& row) { return row.param.name; });

} // namespace
