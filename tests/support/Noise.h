#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

// `count` bytes that do not compress, the same for the same seed.
inline std::vector<std::uint8_t> noise(std::size_t count, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(count);
    for (std::uint8_t& byte : bytes) {
        byte = static_cast<std::uint8_t>(random());
    }
    return bytes;
}
