#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Unpacker.h"
#include "core/Console.h"
#include "core/Platform.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
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
        std::puts("resunpack " RESUNPACK_VERSION);
        return exitSuccess;
    }
    platform::returnLargeBlocksPromptly();
    Console console(stdin, stdout, options->interactive);
    return runUnpacker(console, *options);
}
