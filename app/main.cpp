#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Unpacker.h"
#include "app/listPackages.h"
#include "core/Console.h"

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
    if (options->list) {
        Console listing(stdin, stdout, false);
        Console messages(stdin, stderr, false);
        return listPackages(listing, messages, *options);
    }
    Console console(stdin, stdout, options->interactive);
    return runUnpacker(console, *options);
}
