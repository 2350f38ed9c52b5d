#pragma once

#include <optional>

// Whether a run waits for a key before it ends, so that its window stays open
// for the user to read the transcript: when the program was given arguments
// (packages dropped on it, "Open with") and its console was made for this
// run alone (`consoleProcesses` is 1: it closes with the program), reading
// keys from and writing to that console. A run started from a command
// prompt, a terminal or a script shares its console, has none, or has its
// streams redirected, and ends as it always did; the run without arguments
// has waits of its own.
bool waitsBeforeClosing(bool argumentMode, std::optional<unsigned> consoleProcesses, bool inputIsConsole,
                        bool outputIsConsole);
