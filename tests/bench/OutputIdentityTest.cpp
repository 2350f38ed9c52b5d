// Runs the tool on small packages shaped like the benchmark's and compares
// everything it produces (exit status, console transcript, Information.json,
// the files left in Temp, every PNG byte) with SHA-256 digests recorded by
// sha256sum from a known-good build, for one job and for several. A change
// that makes the tool faster must leave every digest as it is.
//
// The PNG digests follow the system's libdeflate and the PNG encoder's
// default settings. To record the digests anew (only after checking that
// every PNG still decodes to the same pixels as before):
//   RESUNPACK_RECORD_DIGESTS=1 build/tests/bench/test_bench
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/makeBenchPlan.h"
#include "packagewriter/writePackage.h"
#include "support/RunBinary.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
namespace pw = packagewriter;

namespace {

struct Scenario {
    const char* name;        // also the name of the stored digest file
    const char* input;       // standard input: the answers to the prompts
    bool skipUnknown;
    // Damages the plan so the run ends early.
    void (*damage)(pw::Package&);
};

void noDamage(pw::Package&) {}

// The compressed resource block of the third atlas-bearing packet is not a
// zlib stream: a fatal package error after two packets have been written.
void brokenBlockInThirdAtlasPacket(pw::Package& plan) {
    int seen = 0;
    for (pw::SubGroup& sub : plan.subGroups) {
        if (sub.name.starts_with("Atlas_") && ++seen == 3) {
            sub.overrides.resourceBlock = std::vector<std::uint8_t>(64, 0xFF);
        }
    }
}

const Scenario scenarios[] = {
    // Every atlas written; the unlisted code is skipped.
    {"whole-run", "", true, noDamage},
    // The unlisted code amid the second atlas packet is answered 0: the run
    // stops there and no later atlas may be written, however many jobs.
    {"stop-at-unlisted", "0\n", false, noDamage},
    {"broken-block", "", true, brokenBlockInThirdAtlasPacket},
};

std::string shellOutput(const std::string& command) {
    const fs::path out = fs::current_path() / "shell-output";
    const int status = std::system((command + " >" + shellQuoted(out.string())).c_str());
    EXPECT_EQ(status, 0) << command;
    std::string text = readFileText(out);
    fs::remove(out);
    return text;
}

std::string sha256(const fs::path& file) {
    const std::string line = shellOutput("sha256sum " + shellQuoted(file.string()));
    return line.substr(0, line.find(' '));
}

// Exit status, the transcript's digest (with the run's folder shown as
// "<dir>") and "digest  path" for every file below the output folder.
std::string runAndDigest(const fs::path& folder, const Scenario& scenario, unsigned jobs) {
    const fs::path out = folder / ("out-" + std::to_string(jobs));
    std::vector<std::string> arguments = {"bench.rsb", "-f", "index.json", "-o", out.filename().string(),
                                          "--jobs", std::to_string(jobs)};
    if (scenario.skipUnknown) {
        arguments.emplace_back("--skip-unknown");
    }
    const BinaryRun run = runBinary(folder, arguments, scenario.input);
    std::string transcript = run.out;
    const std::string dir = folder.string();
    for (std::size_t at = transcript.find(dir); at != std::string::npos; at = transcript.find(dir, at)) {
        transcript.replace(at, dir.size(), "<dir>");
    }
    const fs::path transcriptFile = folder / ("transcript-" + std::to_string(jobs));
    std::ofstream(transcriptFile, std::ios::binary) << transcript;

    std::string listing = "exit " + std::to_string(run.status) + "\n";
    listing += sha256(transcriptFile) + "  transcript\n";
    listing += shellOutput("cd " + shellQuoted(out.string()) +
                           " && find . -type f | LC_ALL=C sort | xargs -r -d '\\n' sha256sum");
    return listing;
}

class OutputIdentity : public ::testing::TestWithParam<Scenario> {};

TEST_P(OutputIdentity, MatchesRecordedDigestsWithAnyNumberOfJobs) {
    const Scenario& scenario = GetParam();
    TempFolder temp;
    pw::Package plan = makeBenchPlan(smallBenchShape());
    scenario.damage(plan);
    const pw::WrittenPackage written = pw::writePackage(plan);
    std::ofstream(temp.path() / "bench.rsb", std::ios::binary)
        .write(reinterpret_cast<const char*>(written.bytes.data()), static_cast<std::streamsize>(written.bytes.size()));
    std::ofstream(temp.path() / "index.json", std::ios::binary) << benchFormatIndex();

    const fs::path stored =
        fs::path(RESUNPACK_SOURCE_DIR) / "tests" / "bench" / "expected" / (std::string(scenario.name) + ".sha256");
    const std::string oneJob = runAndDigest(temp.path(), scenario, 1);
    if (std::getenv("RESUNPACK_RECORD_DIGESTS") != nullptr) {
        std::ofstream(stored, std::ios::binary) << oneJob;
        GTEST_SKIP() << "recorded " << stored << " from the run:\n" << readFileText(temp.path() / "transcript-1");
    }
    ASSERT_TRUE(fs::exists(stored)) << stored;
    const std::string expected = readFileText(stored);
    // A listing of a few lines would mean the run wrote next to nothing.
    ASSERT_GT(std::count(expected.begin(), expected.end(), '\n'), 8);
    EXPECT_EQ(oneJob, expected) << "one job";
    for (const unsigned jobs : {2U, 3U, 8U}) {
        EXPECT_EQ(runAndDigest(temp.path(), scenario, jobs), expected) << jobs << " jobs";
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, OutputIdentity, ::testing::ValuesIn(scenarios),
                         [](const ::testing::TestParamInfo<Scenario>& param) {
                             std::string name = param.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
