// Writes the starting corpora of the fuzz targets (seedCorpus), each input
// as one file in the folder of its target.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz/seeds/seedCorpus.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeSeeds CORPUS_ROOT\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    for (const samples::SeedInput& seed : samples::seedCorpus()) {
        const std::filesystem::path folder = root / seed.corpus;
        std::filesystem::create_directories(folder);
        std::ofstream out(folder / seed.name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(seed.bytes.data()), static_cast<std::streamsize>(seed.bytes.size()));
        if (!out) {
            throw std::runtime_error("cannot write seed " + (folder / seed.name).string());
        }
    }
    return 0;
}
