// Output that cannot be written: a read-only file system and one that fills
// up part way through a run, both a small tmpfs mounted by the test (so the
// test needs root; it is skipped otherwise). Every run must end with a
// message naming what could not be written and exit status 1, never a
// crash, and every file the console reported as written must be complete.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "IsolatedRun.h"
#include "packagewriter/writePackage.h"
#include "support/Noise.h"
#include "support/SmallDisk.h"

namespace {

// One packet, stored uncompressed: a 40 KiB resource file and two 96 x 96
// RGBA32 atlases of noise, so neither the extracted files nor the PNGs shrink.
constexpr std::uint32_t atlasSide = 96;

packagewriter::Package bulkyPlan() {
    using namespace packagewriter;
    Package plan;
    plan.groups = {Group{"Bulky", {Slot{0, 1, 0}}, {}}};
    SubGroup sub;
    sub.name = "Bulky_Sub";
    PacketFile big{"res/big.bin", resourceFile, noise(40 * 1024, 1), 0, 0, 0, {}, {}};
    PacketFile first{"img/first.ptx", atlasFile, noise(atlasSide * atlasSide * 4, 2), 0, atlasSide, atlasSide, {}, {}};
    PacketFile second{"img/second.ptx", atlasFile, noise(atlasSide * atlasSide * 4, 3), 1, atlasSide, atlasSide, {},
                      {}};
    sub.files = {big, first, second};
    plan.subGroups = {sub};
    plan.textures = {Texture{atlasSide, atlasSide, 0, 0, 0, 0}, Texture{atlasSide, atlasSide, 0, 0, 0, 0}};
    return plan;
}

class WriteFailure : public testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "mounting a small tmpfs needs root; this run is not root";
        }
        std::string pattern = (std::filesystem::temp_directory_path() / "resunpack-diskfull-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        written_ = packagewriter::writePackage(bulkyPlan()).bytes;
        writeBytes(root_ / "bulky.rsb", written_);
        std::ofstream(root_ / "index.json") << sampleIndexText;
    }
    void TearDown() override {
        if (!root_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(root_, ignored);
        }
    }

    std::unique_ptr<SmallDisk> mountDisk(std::size_t bytes, bool readOnly) {
        return std::make_unique<SmallDisk>(root_ / "disk", bytes, readOnly);
    }

    BinaryRun runInto(const std::filesystem::path& output, bool keepExtracted = false) {
        std::vector<std::string> arguments {"bulky.rsb", "-f", "index.json", "-o", output.string(), "--skip-unknown",
                                            "--jobs", "1"};
        if (keepExtracted) {
            arguments.emplace_back("--keep-extracted");
        }
        return runBinary(root_, arguments, "", 60);
    }

    std::filesystem::path root_;
    std::vector<std::uint8_t> written_;
};

// What a finished run left behind against what its console said.
std::string reportedButIncomplete(const BinaryRun& run, const std::filesystem::path& output) {
    std::string problems;
    const std::filesystem::path description = output / "Information.json";
    if (run.out.find("Finish : Analysis ResourcePackage Information") != std::string::npos &&
        !(std::filesystem::exists(description) && isJsonText(description))) {
        problems += "Information.json reported written but not whole\n";
    }
    for (const std::string atlas : {"img/first.ptx", "img/second.ptx"}) {
        // Each atlas's lines start with its name and end with the outcome.
        const std::size_t start = run.out.find("\t\t" + atlas + "\n");
        if (start == std::string::npos) {
            continue;
        }
        const std::size_t finish = run.out.find("\t\tDeCode Finish", start);
        const std::size_t next = run.out.find("\t\timg/", start + 1);
        if (finish == std::string::npos || (next != std::string::npos && finish > next)) {
            continue;
        }
        const std::filesystem::path png = output / "OutPut" / (atlas + ".png");
        if (!std::filesystem::exists(png) || !endsWithIend(png)) {
            problems += png.string() + " reported written but not whole\n";
        }
    }
    return problems;
}

TEST_F(WriteFailure, ReadOnlyDiskWithoutTheOutputFolder) {
    const std::unique_ptr<SmallDisk> disk = mountDisk(1024 * 1024, true);
    if (!disk->mounted()) {
        GTEST_SKIP() << "cannot mount a tmpfs here: " << disk->error();
    }
    const std::filesystem::path output = disk->path() / "out";
    const BinaryRun run = runInto(output);
    EXPECT_FALSE(run.signaled) << run.out;
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find("Output Folder : CanNot Enter " + output.string() + " : Read-only file system\n"),
              std::string::npos)
        << "the message must name the folder and the real reason:\n"
        << run.out;
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(WriteFailure, ReadOnlyOutputFolder) {
    const std::unique_ptr<SmallDisk> disk = mountDisk(1024 * 1024, false);
    if (!disk->mounted()) {
        GTEST_SKIP() << "cannot mount a tmpfs here: " << disk->error();
    }
    const std::filesystem::path output = disk->path() / "out";
    std::filesystem::create_directories(output);
    ASSERT_TRUE(disk->remountReadOnly()) << std::strerror(errno);

    const BinaryRun run = runInto(output);
    EXPECT_FALSE(run.signaled) << run.out;
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find("Information.json"), std::string::npos) << "the message must name the file:\n" << run.out;
    EXPECT_EQ(run.out.find("Finish : Analysis ResourcePackage Information"), std::string::npos) << run.out;
    EXPECT_TRUE(std::filesystem::is_empty(output));
}

// Disk sizes from one that holds little more than the description to one
// that holds everything, so the disk fills at each stage of the run. With
// --keep-extracted every extracted file is written first: the disk fills
// while extracting the resource file (8 KiB), the first or the second atlas
// file (48, 100 KiB), or while writing the PNGs (120 to 152 KiB). Without it
// an atlas's extracted copy is written only when its PNG could not be: the
// disk fills on the resource file (8 KiB), on the first PNG and then on its
// copy (48, 64 KiB), on the second PNG and its copy (80, 100 KiB) or on the
// second PNG alone (120 KiB).
struct DiskCase {
    std::size_t bytes;
    bool keepExtracted;
    bool mustFail;
    bool mustSucceed;
};

std::string diskCaseName(const testing::TestParamInfo<DiskCase>& param) {
    return std::to_string(param.param.bytes / 1024) + "KiB" + (param.param.keepExtracted ? "Kept" : "");
}

class DiskFills : public WriteFailure, public testing::WithParamInterface<DiskCase> {};

TEST_P(DiskFills, EndsWithAClearMessageAndOnlyWholeReportedFiles) {
    const std::unique_ptr<SmallDisk> disk = mountDisk(GetParam().bytes, false);
    if (!disk->mounted()) {
        GTEST_SKIP() << "cannot mount a tmpfs here: " << disk->error();
    }
    const std::filesystem::path output = disk->path() / "out";
    const BinaryRun run = runInto(output, GetParam().keepExtracted);
    ASSERT_FALSE(run.signaled) << run.out << run.err;
    ASSERT_TRUE(run.status == 0 || run.status == 1) << run.status << "\n" << run.out << run.err;
    if (GetParam().mustFail) {
        EXPECT_EQ(run.status, 1) << run.out;
    }
    if (GetParam().mustSucceed) {
        EXPECT_EQ(run.status, 0) << run.out;
    }
    if (run.status == 1) {
        // The message names the file that could not be written.
        const bool named = run.out.find("Information.json") != std::string::npos ||
                           run.out.find("res/big.bin") != std::string::npos ||
                           run.out.find("first.ptx") != std::string::npos ||
                           run.out.find("second.ptx") != std::string::npos;
        EXPECT_TRUE(named) << run.out;
    } else {
        const std::filesystem::path big = output / "Temp" / "res" / "big.bin";
        EXPECT_EQ(readBytes(big).size(), 40U * 1024U);
    }
    EXPECT_EQ(reportedButIncomplete(run, output), "") << run.out;
    // A PNG that could not be finished is removed, reported or not.
    if (std::filesystem::exists(output / "OutPut")) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(output / "OutPut")) {
            if (entry.is_regular_file()) {
                EXPECT_TRUE(endsWithIend(entry.path())) << entry.path();
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, DiskFills,
                         testing::Values(DiskCase{8 * 1024, true, true, false}, DiskCase{48 * 1024, true, true, false},
                                         DiskCase{100 * 1024, true, true, false}, DiskCase{120 * 1024, true, false, false},
                                         DiskCase{128 * 1024, true, true, false}, DiskCase{136 * 1024, true, false, false},
                                         DiskCase{144 * 1024, true, false, false}, DiskCase{152 * 1024, true, false, false},
                                         DiskCase{8 * 1024 * 1024, true, false, true},
                                         DiskCase{8 * 1024, false, true, false}, DiskCase{48 * 1024, false, true, false},
                                         DiskCase{64 * 1024, false, true, false}, DiskCase{80 * 1024, false, true, false},
                                         DiskCase{100 * 1024, false, true, false}, DiskCase{120 * 1024, false, false, false},
                                         DiskCase{128 * 1024, false, false, false}, DiskCase{136 * 1024, false, false, false},
                                         DiskCase{8 * 1024 * 1024, false, false, true}),
                         diskCaseName);

} // namespace
