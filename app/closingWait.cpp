#include "app/closingWait.h"

bool waitsBeforeClosing(bool argumentMode, std::optional<unsigned> consoleProcesses, bool inputIsConsole,
                        bool outputIsConsole) {
    return argumentMode && consoleProcesses == 1U && inputIsConsole && outputIsConsole;
}
