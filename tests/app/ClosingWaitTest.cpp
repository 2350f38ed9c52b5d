#include <gtest/gtest.h>

#include <optional>

#include "app/closingWait.h"

namespace {

struct Start {
    const char* name;
    bool argumentMode;
    std::optional<unsigned> consoleProcesses;
    bool inputIsConsole;
    bool outputIsConsole;
    bool waits;
};

// How the program was started, as the console tells it, and whether the run
// keeps its window open at the end.
TEST(ClosingWait, OnlyARunInAWindowOfItsOwnWaitsForAKey) {
    const Start starts[] = {
        {"packages dropped on the program, or Open with", true, 1U, true, true, true},
        {"from a command prompt or PowerShell", true, 2U, true, true, false},
        {"from a batch file started by double-click", true, 3U, true, true, false},
        {"double-clicked, no arguments: waits of its own", false, 1U, true, true, false},
        {"a window of its own, input redirected", true, 1U, false, true, false},
        {"a window of its own, output redirected", true, 1U, true, false, false},
        {"no console at all", true, std::nullopt, false, false, false},
        {"POSIX terminal", true, std::nullopt, true, true, false},
    };
    for (const Start& start : starts) {
        EXPECT_EQ(waitsBeforeClosing(start.argumentMode, start.consoleProcesses, start.inputIsConsole,
                                     start.outputIsConsole),
                  start.waits)
            << start.name;
    }
}

} // namespace
