#include "app/CommandLine.h"

#include <charconv>
#include <set>
#include <string_view>

namespace {

// The package's own file name: the text after its last '/' or '\'.
std::string_view packageFileName(std::string_view path) {
    const std::size_t cut = path.find_last_of("/\\");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

} // namespace

#include "atlas/OutputBudget.h"

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
        // Each package goes to OUTDIR/~name: two of the same name would share a folder.
        std::set<std::string_view> names;
        for (const std::string& path : line.packagePaths) {
            if (!names.insert(packageFileName(path)).second) {
                error = "two packages named " + std::string(packageFileName(path)) + " would share the folder " +
                        *line.outputFolder + "/~" + std::string(packageFileName(path));
                return std::nullopt;
            }
        }
    }
    return line;
}

std::string usageText() {
    return "Usage: resunpack                      (interactive: asks for the files)\n"
           "       resunpack PACKAGE... [-f INDEX] [-o OUTDIR] [--skip-unknown] [--jobs N]\n"
           "                 [--max-output SIZE] [--compression fast|default|best]\n"
           "                 [--all] [--only PATTERN]... [--keep-extracted]\n"
           "       resunpack --list PACKAGE... [-f INDEX] [--only PATTERN]...\n"
           "\n"
           "Unpacks the image resources of a resource package (.obb, .rsb, .rsb.smf):\n"
           "writes Information.json, the packet files under Temp and every atlas as a\n"
           "PNG under OutPut, in the output folder.\n"
           "\n"
           "  PACKAGE...        the package files, unpacked one after the other; one\n"
           "                    that fails does not stop the next, the answer 0 at the\n"
           "                    unlisted-format question stops them all\n"
           "  -f INDEX          the TextureFormat index file (JSON); asked for when absent\n"
           "  -o OUTDIR         output folder (default: \"~\" + package name, beside the\n"
           "                    package); with several packages, OUTDIR/~NAME for each\n"
           "  --skip-unknown    skip atlases whose format code the index file does not list\n"
           "  -j, --jobs N      threads that inflate, decode and encode (default: one\n"
           "                    per core)\n"
           "  --max-output SIZE stop a run that would extract more bytes plus 4 per\n"
           "                    decoded pixel than SIZE (K, M, G, T: powers of 1024;\n"
           "                    default: 10000 times the package's size, at least 256M)\n"
           "  --compression fast|default|best\n"
           "                    PNG size against speed (the pixels are the same); every\n"
           "                    row takes the filter whose bytes sum least, and the\n"
           "                    whole image is compressed once, at level 6 for default\n"
           "                    (about libpng's size, several times as fast), level 2\n"
           "                    for fast, level 12 for best (smallest and slowest)\n"
           "  --all             also extract the packets that hold no atlases, under Temp\n"
           "  --only PATTERN    work only on the files whose path inside their packet\n"
           "                    matches; repeatable (a file matching any one is taken).\n"
           "                    '*' and '?' match within a folder name, a \"**\" component\n"
           "                    any number of folders; '/' and '\\' both separate folders\n"
           "  --keep-extracted  keep each decoded atlas's extracted file under Temp\n"
           "  --list            write nothing; print one line per file of every packet,\n"
           "                    8 tab-separated fields: subgroup, path, size in bytes,\n"
           "                    compressed (yes/no), then for atlases width, height,\n"
           "                    format code and (with -f) format name, else empty.\n"
           "                    Tab, line end, carriage return and '\\' in names are\n"
           "                    written as \\t, \\n, \\r and \\\\, other control bytes as \\xNN.\n"
           "                    Nothing else goes to the output; errors go to the\n"
           "                    error stream\n"
           "  -h, --help        this text\n"
           "  --version         the version\n"
           "\n"
           "Exit status: 0 when every package's run completes, 1 when one ended early or\n"
           "an atlas failed, 2 for a bad command line.\n";
}
