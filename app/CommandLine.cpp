#include "app/CommandLine.h"

#include <charconv>

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
        } else if (!line.packagePath) {
            line.packagePath = argument;
        } else {
            error = "more than one package given: " + argument;
            return std::nullopt;
        }
    }
    if (!line.showHelp && !line.showVersion && !line.packagePath) {
        error = "no package given";
        return std::nullopt;
    }
    return line;
}

std::string usageText() {
    return "Usage: resunpack                      (interactive: asks for the files)\n"
           "       resunpack PACKAGE [-f INDEX] [-o OUTDIR] [--skip-unknown] [--jobs N]\n"
           "                [--compression fast|default|best]\n"
           "\n"
           "Unpacks the image resources of a resource package (.obb, .rsb, .rsb.smf):\n"
           "writes Information.json, the packet files under Temp and every atlas as a\n"
           "PNG under OutPut, in the output folder.\n"
           "\n"
           "  PACKAGE          the package file\n"
           "  -f INDEX         the TextureFormat index file (JSON); asked for when absent\n"
           "  -o OUTDIR        output folder (default: \"~\" + package name, beside the package)\n"
           "  --skip-unknown   skip atlases whose format code the index file does not list\n"
           "  -j, --jobs N     atlases decoded at once (default: one per core)\n"
           "  --compression fast|default|best\n"
           "                   PNG size against speed (the pixels are the same): default\n"
           "                   no larger than libpng's defaults, fast up to 5 % larger\n"
           "                   and several times quicker, best the smallest and slowest\n"
           "  -h, --help       this text\n"
           "  --version        the version\n"
           "\n"
           "Exit status: 0 when the run completes, 1 when it ends early or an atlas\n"
           "failed, 2 for a bad command line.\n";
}
