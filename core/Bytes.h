#pragma once

#include <cstdint>
#include <cstring>
#include <span>

using ByteSpan = std::span<const std::uint8_t>;

// True when [offset, offset + length) lies inside a buffer of `size` bytes.
// 64-bit arithmetic: no 32-bit offset or length can wrap it.
constexpr bool rangeInside(std::uint64_t size, std::uint64_t offset, std::uint64_t length) {
    return offset <= size && length <= size - offset;
}

// Unsigned little-endian 32-bit value at `p`.
inline std::uint32_t loadU32LE(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

// Unsigned big-endian 32-bit value at `p`.
inline std::uint32_t loadU32BE(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

// Smallest power of two that is >= side, starting at 2. Sides above 2^31 have
// none in 32 bits; callers reject them first.
constexpr std::uint32_t roundUpToPowerOfTwo(std::uint32_t side) {
    std::uint32_t value = 2;
    while (value < side) {
        value <<= 1U;
    }
    return value;
}
