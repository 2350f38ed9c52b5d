// Writes a generated package and its texture-format index file:
//   make_bench_package OUTFILE INDEXFILE [--small | --names COUNT | --whole | --tiles |
//                      --wide COUNT SIDE FORMAT | --filler MIB | --packets COUNT |
//                      --deep DEPTH COUNT]
// Without options the package is the large one the end-to-end benchmark runs
// on; --small gives a few kilobytes of the same shape with the unusual
// cases; --names gives a package with COUNT file names; --whole and --tiles
// one 2048 x 2048 picture as one atlas or as 1,024 atlases of 64 x 64; --wide
// one packet of COUNT atlases of SIDE x SIDE in FORMAT; --filler about MIB MiB
// of resource files around one small atlas; --packets COUNT packets of one
// atlas each; --deep COUNT empty files and an atlas DEPTH folders deep.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "bench/makeBenchPlan.h"
#include "packagewriter/writePackage.h"

namespace {

bool writeFile(const std::string& path, const void* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = size == 0 || std::fwrite(data, size, 1, file) == 1;
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 7) {
        std::fprintf(stderr,
                     "usage: %s OUTFILE INDEXFILE [--small | --names COUNT | --whole | --tiles |"
                     " --wide COUNT SIDE FORMAT | --filler MIB | --packets COUNT | --deep DEPTH COUNT]\n",
                     argv[0]);
        return 2;
    }
    const std::string option = argc >= 4 ? argv[3] : "";
    try {
        packagewriter::Package plan;
        if (option == "--small") {
            plan = makeBenchPlan(smallBenchShape());
        } else if (option == "--names" && argc == 5) {
            plan = makeNamesPlan(static_cast<std::uint32_t>(std::strtoul(argv[4], nullptr, 10)));
        } else if (option == "--whole" || option == "--tiles") {
            plan = makeTilesPlan(option == "--tiles");
        } else if (option == "--wide" && argc == 7) {
            plan = makeWidePacketPlan(static_cast<std::uint32_t>(std::strtoul(argv[4], nullptr, 10)),
                                      static_cast<std::uint32_t>(std::strtoul(argv[5], nullptr, 10)), argv[6]);
        } else if (option == "--filler" && argc == 5) {
            plan = makeFillerPlan(std::strtoull(argv[4], nullptr, 10) << 20U);
        } else if (option == "--packets" && argc == 5) {
            plan = makeManyPacketsPlan(static_cast<std::uint32_t>(std::strtoul(argv[4], nullptr, 10)));
        } else if (option == "--deep" && argc == 6) {
            plan = makeDeepPlan(static_cast<std::uint32_t>(std::strtoul(argv[4], nullptr, 10)),
                                static_cast<std::uint32_t>(std::strtoul(argv[5], nullptr, 10)));
        } else if (option.empty()) {
            plan = makeBenchPlan(BenchShape {});
        } else {
            std::fprintf(stderr, "unknown option %s\n", option.c_str());
            return 2;
        }
        const packagewriter::WrittenPackage written = packagewriter::writePackage(plan);
        const std::string index = benchFormatIndex();
        if (!writeFile(argv[1], written.bytes.data(), written.bytes.size()) ||
            !writeFile(argv[2], index.data(), index.size())) {
            std::fprintf(stderr, "cannot write the output files\n");
            return 1;
        }
        std::size_t atlases = 0;
        for (const auto& sub : plan.subGroups) {
            for (const auto& file : sub.files) {
                atlases += file.type == packagewriter::atlasFile ? 1U : 0U;
            }
        }
        std::printf("%s: %zu bytes, %zu packets, %zu atlases\n", argv[1], written.bytes.size(), plan.subGroups.size(),
                    atlases);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "cannot generate: %s\n", error.what());
        return 1;
    }
    return 0;
}
