#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/CommandLine.h"
#include "app/Unpacker.h"
#include "app/closingWait.h"
#include "app/listPackages.h"
#include "platform/Console.h"
#include "platform/Platform.h"
#include "platform/Interruption.h"

namespace {

// Where the run's messages go: standard output, or standard error for
// --list, whose standard output holds the listing alone.
std::FILE* messageStream = stdout;

// The run's last line when it ends by an exception no stage expected; plain
// output calls, since memory may be short.
int endUnexpectedly(const char* reason, const char* detail) {
    std::fflush(stdout);
    std::fputs(reason, messageStream);
    if (detail != nullptr) {
        std::fputs(detail, messageStream);
    }
    std::fputs("\nNow Exit\n", messageStream);
    std::fflush(messageStream);
    return exitFailure;
}

int run(int argc, char** argv) {
    const std::vector<std::string> arguments = platform::commandLineArguments(argc, argv);
    std::string error;
    const std::optional<CommandLine> options = parseCommandLine(arguments, error);
    if (!options) {
        std::fprintf(stderr, "resunpack: %s\n\n%s", error.c_str(), usageText().c_str());
        return exitUsage;
    }
    if (options->showHelp) {
        std::fputs(usageText().c_str(), stdout);
        return exitSuccess;
    }
    if (options->showVersion) {
        // The commit is empty when the sources did not come from git.
        std::string version = "resunpack " RESUNPACK_VERSION;
        if (!std::string_view(RESUNPACK_COMMIT).empty()) {
            version += " (commit " RESUNPACK_COMMIT ")";
        }
        std::puts(version.c_str());
        return exitSuccess;
    }
    if (options->list) {
        messageStream = stderr;
        Console listing(stdin, stdout, false);
        Console messages(stdin, stderr, false);
        return listPackages(listing, messages, *options);
    }
    Console console(stdin, stdout, options->interactive);
    return runUnpacker(console, *options);
}

// The wait before a console window made for this run closes (see
// waitsBeforeClosing), whatever the run's end.
void waitBeforeClosing() {
    std::fputs("Press any key to close this window . . .", stdout);
    std::fflush(stdout);
    platform::waitForKey(stdin);
    std::fputs("\n", stdout);
    std::fflush(stdout);
}

int guardedRun(int argc, char** argv, bool& holdWindow) {
    // The one outermost handler: whatever no stage turned into a message of
    // its own ends the run here with one, never by std::terminate.
    try {
        platform::returnLargeBlocksPromptly();
        platform::prepareConsole();
        holdWindow = waitsBeforeClosing(argc > 1, platform::consoleProcessCount(), platform::isTerminal(stdin),
                                        platform::isTerminal(stdout));
        // Before any other thread exists, so that only the watcher takes the signals.
        watchForInterruptions();
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        return endUnexpectedly("Error: not enough memory for the run", nullptr);
    } catch (const std::system_error& error) {
        return endUnexpectedly("Error: the system refused a request: ", error.what());
    } catch (const std::exception& error) {
        return endUnexpectedly("Error: ", error.what());
    }
}

} // namespace

int main(int argc, char** argv) {
    bool holdWindow = false;
    const int status = guardedRun(argc, argv, holdWindow);
    if (holdWindow) {
        waitBeforeClosing();
    }
    return status;
}
