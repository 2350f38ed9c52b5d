#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/LargeBlock.h"

namespace {

constexpr std::size_t mebibyte = std::size_t {1} << 20U;

// Sizes below, at and around the point where blocks come straight from the
// system, and a size that is not a whole number of its pages.
const std::vector<std::size_t> blockSizes = {0, 1, 4095, 2 * mebibyte - 1, 2 * mebibyte, 2 * mebibyte + 1,
                                             5 * mebibyte + 3};

TEST(LargeBlock, EveryByteIsZeroAndWritable) {
    for (const std::size_t size : blockSizes) {
        SCOPED_TRACE(size);
        LargeBlock block(size);
        ASSERT_NE(block.data(), nullptr);
        EXPECT_EQ(block.size(), size);
        std::uint8_t* bytes = block.data();
        EXPECT_TRUE(std::all_of(bytes, bytes + size, [](std::uint8_t byte) { return byte == 0; }));
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<std::uint8_t>(i * 13U);
        }
        for (std::size_t i = 0; i < size; i += 4093) {
            ASSERT_EQ(bytes[i], static_cast<std::uint8_t>(i * 13U));
        }
        if (size > 0) {
            EXPECT_EQ(bytes[size - 1], static_cast<std::uint8_t>((size - 1) * 13U));
        }
    }
}

TEST(LargeBlock, MovingHandsTheBytesOver) {
    LargeBlock first(3 * mebibyte);
    first.data()[3 * mebibyte - 1] = 7;
    std::uint8_t* const bytes = first.data();
    LargeBlock second(std::move(first));
    EXPECT_EQ(second.data(), bytes);
    EXPECT_EQ(second.size(), 3 * mebibyte);
    EXPECT_EQ(second.data()[3 * mebibyte - 1], 7);
    second = LargeBlock(10);
    EXPECT_EQ(second.size(), 10U);
    EXPECT_EQ(second.data()[9], 0);
}

#ifdef __linux__
// The process's mapped address space in KiB (VmSize).
std::size_t addressSpaceKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmSize:", 0) == 0) {
            return std::stoul(line.substr(7));
        }
    }
    return 0;
}

// A block handed back must give back all it mapped, the alignment's spare
// included; otherwise a run of many images would keep growing.
TEST(LargeBlock, BlocksGiveBackAllTheyMapped) {
    const std::size_t before = addressSpaceKiB();
    ASSERT_GT(before, 0U);
    for (int i = 0; i < 200; ++i) {
        LargeBlock block(4 * mebibyte + static_cast<std::size_t>(i) * 4096U);
        block.data()[block.size() - 1] = 1;
    }
    const std::size_t after = addressSpaceKiB();
    // Room for the heap's own bookkeeping, far below the 800 MiB a leak would leave.
    EXPECT_LT(after, before + 16 * 1024);
}
#endif

} // namespace
