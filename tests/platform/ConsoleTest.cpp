#include <gtest/gtest.h>

#include <optional>
#include <string>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#endif

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

#ifndef _WIN32
// A pseudo-terminal whose far end the test reads: what a Console writes to
// its near end is what a terminal would get. Output processing is off, so
// the bytes arrive as written.
class Terminal {
public:
    Terminal() {
        if (::openpty(&reading_, &near_, nullptr, nullptr, nullptr) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        termios modes {};
        ::tcgetattr(near_, &modes);
        ::cfmakeraw(&modes);
        ::tcsetattr(near_, TCSANOW, &modes);
        stream_ = ::fdopen(near_, "w");
    }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;
    ~Terminal() {
        std::fclose(stream_);
        ::close(reading_);
    }
    std::FILE* stream() const { return stream_; }
    std::string received() {
        std::string text;
        char buffer[4096];
        pollfd wait {reading_, POLLIN, 0};
        while (::poll(&wait, 1, 200) > 0) {
            const ssize_t got = ::read(reading_, buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            text.append(buffer, static_cast<std::size_t>(got));
        }
        return text;
    }

private:
    int reading_ = -1;
    int near_ = -1;
    std::FILE* stream_ = nullptr;
};

// Whatever a line holds, a terminal gets no byte that it would act on: not
// from a name put into the line by whatever message, nor from a prompt. A
// file gets the line as it is.
TEST(Console, TerminalGetsEveryLineEscapedAndAFileGetsItAsStored) {
    const std::string hostile = "Cannot Write File : Temp/\x1B]0;PWNED\x07\x1B[2J\xC2\x9B" "2J\xC2\x9D" "0;t : x";
    const std::string escaped = "Cannot Write File : Temp/\\x1B]0;PWNED\\x07\\x1B[2J\\xC2\\x9B2J\\xC2\\x9D0;t : x";
    Terminal terminal;
    Console console(stdin, terminal.stream(), false);
    console.line(hostile);
    console.text("\tPath : \x1B[2J");
    EXPECT_EQ(terminal.received(), escaped + "\n\tPath : \\x1B[2J");

    ConsoleCapture file("", false);
    file.console().line(hostile);
    EXPECT_EQ(file.output(), hostile + "\n");
}

// The bell before the unlisted-format question is the program's own, and
// rings on a terminal.
TEST(Console, OwnLineKeepsItsBellOnATerminal) {
    Terminal terminal;
    Console console(stdin, terminal.stream(), false);
    console.ownLine("\t\t\t\a UnKnown TextureFormat Index : 7");
    EXPECT_EQ(terminal.received(), "\t\t\t\a UnKnown TextureFormat Index : 7\n");
}

// Output that cannot be written is noticed, as a full disk under a
// redirected listing is.
TEST(Console, RemembersTheFirstFailedWrite) {
    std::FILE* full = std::fopen("/dev/full", "w");
    if (full == nullptr) {
        GTEST_SKIP() << "no /dev/full here";
    }
    Console console(stdin, full, false);
    EXPECT_EQ(console.writeError(), 0);
    console.line("a line that cannot be written");
    console.line("nor this one");
    EXPECT_EQ(console.writeError(), ENOSPC);
    std::fclose(full);

    ConsoleCapture fine("", false);
    fine.console().line("x");
    EXPECT_EQ(fine.console().writeError(), 0);
}
#endif

} // namespace
