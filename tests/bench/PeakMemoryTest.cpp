// Checks the atlas stage's memory bound (docs/design.md, "Memory of the atlas
// stage") by the peak resident memory of a real run on a packet larger than
// the pool's budget: the packet is resident once, and the atlases in flight
// stay within the budget however many the packet holds.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/makeBenchPlan.h"
#include "packagewriter/writePackage.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
namespace pw = packagewriter;

namespace {

// A sanitizer's shadow memory is part of the peak the kernel reports, so the
// bound is checked only in builds without one.
#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Runs the tool with `arguments` and gives its exit status and peak resident
// memory in bytes (its own, not that of any other child of this process).
struct PeakRun {
    int status = -1;
    std::uint64_t peakBytes = 0;
};

PeakRun runForPeak(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    std::string program = RESUNPACK_BINARY;
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const int devNull = ::open("/dev/null", O_RDWR);
        ::dup2(devNull, STDIN_FILENO);
        ::dup2(devNull, STDOUT_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    PeakRun run;
    int raw = 0;
    struct rusage usage {};
    if (child > 0 && ::wait4(child, &raw, 0, &usage) == child) {
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        run.peakBytes = static_cast<std::uint64_t>(usage.ru_maxrss) * 1024U; // Linux gives KiB
    }
    return run;
}

TEST(PeakMemory, AWidePacketStaysWithinTheStatedBound) {
    constexpr std::uint64_t MiB = std::uint64_t {1} << 20;
    constexpr std::uint32_t atlasCount = 24;
    constexpr std::uint32_t side = 1024;
    const TempFolder folder;
    const pw::WrittenPackage written = pw::writePackage(makeWidePacketPlan(atlasCount, side, "RGBA32"));
    std::ofstream(folder.path() / "wide.rsb", std::ios::binary)
        .write(reinterpret_cast<const char*>(written.bytes.data()), static_cast<std::streamsize>(written.bytes.size()));
    std::ofstream(folder.path() / "index.json", std::ios::binary) << benchFormatIndex();

    const PeakRun run = runForPeak({(folder.path() / "wide.rsb").string(), "-f", (folder.path() / "index.json").string(),
                                    "-o", (folder.path() / "out").string(), "--jobs", "2", "--compression", "fast"});
    ASSERT_EQ(run.status, 0);
    ASSERT_TRUE(fs::exists(folder.path() / "out" / "OutPut" / "wide" / "atlas00023.png"));

    // The bound of docs/design.md for this package: the package itself, its
    // one packet's inflated atlas block, the pool's budget for atlases in
    // flight (2 x the largest atlas's RGBA bytes + 32 MiB), a second PNG
    // stream for the two atlases being encoded, and the program's fixed part.
    const std::uint64_t atlasBytes = std::uint64_t {side} * side * 4U;
    const std::uint64_t packet = atlasCount * atlasBytes;
    const std::uint64_t budget = 2U * atlasBytes + 32U * MiB;
    const std::uint64_t bound = written.bytes.size() + packet + budget + 2U * (atlasBytes / 2U) + 48U * MiB;
    EXPECT_LE(run.peakBytes, bound) << "peak " << run.peakBytes / MiB << " MiB, bound " << bound / MiB << " MiB";
}
#endif

} // namespace
