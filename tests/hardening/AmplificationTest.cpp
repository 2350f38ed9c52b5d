// Packages that ask for far more work than they hold, run through the real
// binary under a limit on its address space: each must end within seconds,
// by the output budget or by finishing, never by a signal.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "SpawnedRun.h"
#include "packagewriter/writePackage.h"
#include "support/AmplifiedPackages.h"

namespace fs = std::filesystem;
namespace pw = packagewriter;

// The sanitizers reserve more address space than the limit these runs set
// can allow, so the plain build alone has them.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)

namespace {

pw::PacketFile smallAtlas() {
    return {.path = "img/a", .type = pw::atlasFile, .data = std::vector<std::uint8_t>(16, 9), .atlasIndex = 0,
            .width = 2, .height = 2};
}

// Every slot of twelve groups names one subgroup of 400 files with long
// names: 768 visits, each described in full in Information.json.
pw::Package manySlotsOneSubgroup() {
    pw::SubGroup packet {.name = "Shared"};
    const std::string folder = std::string(190, 'n') + "/";
    for (int i = 0; i < 400; ++i) {
        packet.files.push_back({.path = folder + std::to_string(i), .data = {1, 2, 3}});
    }
    packet.files.push_back(smallAtlas());
    return amplified::namedByEverySlot(packet, {.width = 2, .height = 2, .format = 0});
}

struct AmplificationCase {
    const char* name;
    pw::Package (*plan)();
    bool finishes; // else the budget ends it
};

class Amplification : public testing::TestWithParam<AmplificationCase> {};

TEST_P(Amplification, EndsWithinSecondsAndWithinMemory) {
    std::string pattern = (fs::temp_directory_path() / "resunpack-amplified-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    const fs::path root = pattern;
    {
        const std::vector<std::uint8_t> package = pw::writePackage(GetParam().plan()).bytes;
        std::ofstream(root / "p.rsb", std::ios::binary)
            .write(reinterpret_cast<const char*>(package.data()), static_cast<std::streamsize>(package.size()));
        std::ofstream(root / "index.json") << R"({"TextureFormat": [{"Index": 0, "TextureFormat": "RGBA32"}]})";
    }
    SpawnSettings settings;
    settings.folder = root;
    settings.arguments = {"p.rsb", "-f", "index.json", "-o", "out", "--jobs", "2"};
    settings.timeoutSeconds = 20; // the work refused would take minutes
    settings.addressSpace = rlim_t {1} << 30U;
    const SpawnedRun run = spawnBinary(settings);
    const std::string tail = run.out.substr(run.out.size() - std::min<std::size_t>(run.out.size(), 600));
    EXPECT_FALSE(run.timedOut) << tail;
    ASSERT_TRUE(run.exited) << "ended by signal " << run.signal << ":\n" << tail;
    if (GetParam().finishes) {
        EXPECT_EQ(run.status, 0) << tail;
        EXPECT_TRUE(run.out.ends_with("Finish!\n")) << tail;
    } else {
        EXPECT_EQ(run.status, 1) << tail;
        EXPECT_NE(run.out.find("Output Budget : Exceeded\n"), std::string::npos) << tail;
    }
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

INSTANTIATE_TEST_SUITE_P(Packages, Amplification,
                         testing::Values(AmplificationCase {"SameBytesMany", amplified::sameBytesMany, false},
                                         AmplificationCase {"HugeEmptyAtlas", amplified::hugeEmptyAtlas, false},
                                         AmplificationCase {"ManySlotsOneSubgroup", manySlotsOneSubgroup, true}),
                         [](const testing::TestParamInfo<AmplificationCase>& row) { return std::string(row.param.name); });

} // namespace

#endif
