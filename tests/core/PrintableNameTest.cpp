#include <gtest/gtest.h>

#include <string>

#include "core/printableName.h"

namespace {

struct NameCase {
    const char* name;
    std::string stored;
    std::string shown;
};

class PrintableName : public testing::TestWithParam<NameCase> {};

// What a terminal would act on is shown as \xNN; every other byte, UTF-8
// text included, stays as it is.
TEST_P(PrintableName, ShowsWhatATerminalWouldActOnAsHex) {
    EXPECT_EQ(printableName(GetParam().stored, '\t'), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PrintableName,
    testing::Values(NameCase {"Plain", "img/a.ptx", "img/a.ptx"},
                    NameCase {"EscapeAndBell", "a\x1B]0;x\x07", "a\\x1B]0;x\\x07"},
                    NameCase {"Delete", "a\x7F", "a\\x7F"},
                    NameCase {"TabKept", "a\tb", "a\tb"},
                    NameCase {"C1CsiInUtf8", "a\xC2\x9B" "2J", "a\\xC2\\x9B2J"},
                    NameCase {"C1OscInUtf8", "\xC2\x9D" "0;t", "\\xC2\\x9D0;t"},
                    NameCase {"FirstAndLastC1", "\xC2\x80\xC2\x9F", "\\xC2\\x80\\xC2\\x9F"},
                    NameCase {"LoneC1Byte", "a\x9B" "2J", "a\\x9B2J"},
                    NameCase {"Utf8TextKept", "caf\xC3\xA9/\xE4\xB8\xAD", "caf\xC3\xA9/\xE4\xB8\xAD"},
                    NameCase {"NoBreakSpaceKept", "a\xC2\xA0" "b", "a\xC2\xA0" "b"},
                    NameCase {"ContinuationOfAThreeByteCharacterKept", "\xE2\x80\x9C", "\xE2\x80\x9C"},
                    NameCase {"CutSequenceBeforeC1", "\xE2\x9B", "\xE2\\x9B"}),
    [](const testing::TestParamInfo<NameCase>& row) { return row.param.name; });

TEST(PrintableName, WithoutAKeptByteShowsTabsToo) { EXPECT_EQ(printableName("a\tb"), "a\\x09b"); }

} // namespace
