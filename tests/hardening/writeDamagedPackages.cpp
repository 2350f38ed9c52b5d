// Writes the sweep's packages into a folder for the Windows build's
// comparison with the Linux build (scripts/test-windows): each sample whole
// and every damaged copy as NNNNN.rsb, with list.txt giving each file's
// name and what was done to it, and index.json, the index file the runs use.
// With a second argument N, only every Nth damaged copy is written.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "DamagedPackages.h"
#include "IsolatedRun.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: write_damaged_packages FOLDER [EVERY]\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const long every = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 1;
    if (every < 1) {
        std::fprintf(stderr, "EVERY must be 1 or more\n");
        return 2;
    }
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "index.json", std::ios::binary) << sampleIndexText;
    std::ofstream list(folder / "list.txt", std::ios::binary);
    std::set<std::string> samplesWritten;
    long count = 0;
    long written = 0;
    char name[32];
    for (const damaged::SweepShard& shard : damaged::sweepShards()) {
        const packagewriter::WrittenPackage sample = damaged::writtenSample(shard.sample);
        if (samplesWritten.insert(shard.sample).second) {
            writeBytes(folder / (shard.sample + ".rsb"), sample.bytes);
            list << shard.sample << ".rsb\tthe sample " << shard.sample << " whole\n";
        }
        for (const damaged::DamagedPackage& copy : damaged::casesOf(shard, sample)) {
            if (count++ % every != 0) {
                continue;
            }
            std::snprintf(name, sizeof name, "%05ld.rsb", written++);
            writeBytes(folder / name, copy.bytes);
            list << name << '\t' << shard.sample << ": " << copy.label << '\n';
        }
    }
    std::printf("%ld of %ld damaged copies written, and %zu samples\n", written, count, samplesWritten.size());
    return list.good() ? 0 : 1;
}
