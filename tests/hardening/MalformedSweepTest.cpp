// Damaged copies of sound packages, run through the real binary: truncated
// at every header field and section boundary, single fields set to values
// that point nowhere, and random byte flips. Every run must end with status
// 0 or 1 (never a signal or a hang), report a damaged package as such, leave
// nothing outside its output folder and no half-written file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DamagedPackages.h"
#include "IsolatedRun.h"

namespace {

using namespace damaged;

std::string shardName(const testing::TestParamInfo<SweepShard>& info) {
    std::string name = info.param.sample;
    std::replace(name.begin(), name.end(), '-', '_');
    switch (info.param.damage) {
    case Damage::Truncation: return name + "_Truncation";
    case Damage::Corruption: return name + "_Corruption";
    case Damage::ByteFlips: return name + "_ByteFlips";
    }
    return name;
}

class MalformedSweep : public testing::TestWithParam<SweepShard> {};

TEST_P(MalformedSweep, EveryDamagedCopyEndsCleanly) {
    const SweepShard& shard = GetParam();
    const packagewriter::WrittenPackage written = writtenSample(shard.sample);
    const std::vector<DamagedPackage> cases = casesOf(shard, written);
    ASSERT_GT(cases.size(), 20U) << "the sweep lost its cases";

    IsolatedRun run(shard.sample + ".rsb");
    // The sound package itself completes.
    ASSERT_EQ(run.check(written.bytes), "");
    ASSERT_EQ(run.last().status, 0) << run.last().out;

    std::size_t failures = 0;
    std::size_t rejected = 0;
    for (const DamagedPackage& damaged : cases) {
        const std::string problems = run.check(damaged.bytes);
        rejected += run.last().status == 1 ? 1U : 0U;
        if (!problems.empty()) {
            ADD_FAILURE() << damaged.label << "\n" << problems;
            if (++failures == 10) {
                FAIL() << "stopping after 10 failing cases";
            }
        }
    }
    // Most damage is caught; a sweep where nothing is rejected damaged nothing.
    EXPECT_GT(rejected, 0U);
}

INSTANTIATE_TEST_SUITE_P(Samples, MalformedSweep, testing::ValuesIn(sweepShards()), shardName);

} // namespace
