#include "app/CommandLine.h"

#include <charconv>
#include <string_view>

#include "app/usageFile.h"
#include "atlas/OutputBudget.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"

std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& arguments, std::string& error) {
    CommandLine line;
    if (arguments.empty()) {
        return line;
    }
    line.interactive = false;
    std::optional<std::string> compression;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto takeValue = [&](std::optional<std::string>& target) -> bool {
            if (i + 1 >= arguments.size()) {
                error = "option " + argument + " needs a value";
                return false;
            }
            if (target) {
                error = "option " + argument + " given twice";
                return false;
            }
            target = arguments[++i];
            return true;
        };
        if (argument == "-h" || argument == "--help") {
            line.showHelp = true;
        } else if (argument == "--version") {
            line.showVersion = true;
        } else if (argument == "-f") {
            if (!takeValue(line.indexPath)) {
                return std::nullopt;
            }
        } else if (argument == "-o") {
            if (!takeValue(line.outputFolder)) {
                return std::nullopt;
            }
        } else if (argument == "--skip-unknown") {
            line.skipUnknown = true;
        } else if (argument == "--all") {
            line.extractAll = true;
        } else if (argument == "--keep-extracted") {
            line.keepExtracted = true;
        } else if (argument == "--list") {
            line.list = true;
        } else if (argument == "--gallery") {
            line.gallery = true;
        } else if (argument == "--only") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                error = "option --only needs a pattern";
                return std::nullopt;
            }
            line.onlyPatterns.push_back(arguments[++i]);
        } else if (argument == "-j" || argument == "--jobs") {
            if (i + 1 >= arguments.size()) {
                error = "option " + argument + " needs a value";
                return std::nullopt;
            }
            const std::string& value = arguments[++i];
            unsigned jobs = 0;
            const auto [end, code] = std::from_chars(value.data(), value.data() + value.size(), jobs);
            if (code != std::errc() || end != value.data() + value.size() || jobs == 0 || jobs > 256) {
                error = "option " + argument + " needs a number from 1 to 256";
                return std::nullopt;
            }
            line.jobs = jobs;
        } else if (argument == "--max-output") {
            if (i + 1 >= arguments.size()) {
                error = "option " + argument + " needs a value";
                return std::nullopt;
            }
            line.maxOutput = parseByteSize(arguments[++i]);
            if (!line.maxOutput) {
                error = "option " + argument + " needs a size in bytes, with K, M, G or T for powers of 1024";
                return std::nullopt;
            }
        } else if (argument == "--compression") {
            if (!takeValue(compression)) {
                return std::nullopt;
            }
            if (*compression == "fast") {
                line.compression = PngCompression::fast;
            } else if (*compression == "default") {
                line.compression = PngCompression::standard;
            } else if (*compression == "best") {
                line.compression = PngCompression::best;
            } else {
                error = "option --compression needs fast, default or best";
                return std::nullopt;
            }
        } else if (argument.size() > 1 && argument[0] == '-') {
            error = "unknown option " + argument;
            return std::nullopt;
        } else {
            line.packagePaths.push_back(argument);
        }
    }
    if (!line.showHelp && !line.showVersion && line.packagePaths.empty()) {
        error = "no package given";
        return std::nullopt;
    }
    if (line.outputFolder && line.packagePaths.size() > 1 && !line.list) {
        // Each package goes to OUTDIR/~name: two whose names the system takes
        // for one (on Windows, names differing in letter case) would share a
        // folder. The packages dropped on the program at once are a few
        // thousand at most, so every pair is compared.
        std::vector<std::string> names;
        for (const std::string& path : line.packagePaths) {
            std::string name = fileNameOf(path);
            for (const std::string& earlier : names) {
                if (platform::sameEntryName(earlier, name)) {
                    error = "two packages named " + earlier + (earlier == name ? "" : " and " + name) +
                            " would share the folder " + *line.outputFolder + "/~" + name;
                    return std::nullopt;
                }
            }
            names.push_back(std::move(name));
        }
    }
    return line;
}

std::string usageText() {
    return std::string(usageFile());
}
