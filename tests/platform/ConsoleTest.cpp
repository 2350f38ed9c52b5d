#include <gtest/gtest.h>

#include <optional>

#include "support/ConsoleCapture.h"

namespace {

struct IntegerCase {
    const char* name;
    std::string input;
    std::optional<std::int64_t> expected;
};

class ReadInteger : public testing::TestWithParam<IntegerCase> {};

TEST_P(ReadInteger, SkipsRepliesThatAreNotIntegers) {
    ConsoleCapture capture(GetParam().input);
    EXPECT_EQ(capture.console().readInteger(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ReadInteger,
    testing::Values(IntegerCase {"Zero", "0\n", 0}, IntegerCase {"One", "1\n", 1},
                    IntegerCase {"Negative", "-1\n", -1}, IntegerCase {"Blanks", "  5 \r\n", 5},
                    IntegerCase {"WordThenNumber", "x\n1\n", 1}, IntegerCase {"EmptyThenNumber", "\n7\n", 7},
                    IntegerCase {"NumberWithTail", "3x\n0\n", 0}, IntegerCase {"NoLineEnd", "4", 4},
                    IntegerCase {"EndOfInput", "", std::nullopt},
                    IntegerCase {"OnlyWords", "yes\nno\n", std::nullopt}),
    [](const testing::TestParamInfo<IntegerCase>& row) { return row.param.name; });

TEST(Console, LinesEndWithLineEnd) {
    ConsoleCapture capture("");
    capture.console().line("a");
    capture.console().text("b");
    capture.console().line("\tc");
    EXPECT_EQ(capture.output(), "a\nb\tc\n");
}

TEST(Console, PauseOnlyInInteractiveRuns) {
    ConsoleCapture scripted("k", false);
    scripted.console().pause();
    EXPECT_EQ(scripted.output(), "");

    ConsoleCapture interactive("k");
    interactive.console().pause();
    EXPECT_EQ(interactive.output(), "Press any key to continue . . .\n");
}

} // namespace
