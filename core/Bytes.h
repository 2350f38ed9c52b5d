#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>

using ByteSpan = std::span<const std::uint8_t>;

// True when [offset, offset + length) lies inside a buffer of `size` bytes.
// 64-bit arithmetic: no 32-bit offset or length can wrap it.
constexpr bool rangeInside(std::uint64_t size, std::uint64_t offset, std::uint64_t length) {
    return offset <= size && length <= size - offset;
}

// How many bytes of [offset, offset + length) lie at or past the end of a
// buffer of `size` bytes: what a reader that takes missing bytes as zero
// went without. The range's end must fit in 64 bits.
constexpr std::uint64_t bytesPastEnd(std::uint64_t size, std::uint64_t offset, std::uint64_t length) {
    const std::uint64_t end = offset + length;
    return end <= size ? 0 : end - std::max(offset, size);
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

// Stores `value` at `p` as 4 bytes, least significant first.
inline void storeU32LE(std::uint8_t* p, std::uint32_t value) {
    for (unsigned i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(value >> (8U * i));
    }
}

// Stores `value` at `p` as 4 bytes, most significant first.
inline void storeU32BE(std::uint8_t* p, std::uint32_t value) {
    for (unsigned i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(value >> (24U - 8U * i));
    }
}

// Smallest power of two that is >= side, at least 2. Sides above 2^31 have
// none in 32 bits; callers reject them first.
constexpr std::uint32_t roundUpToPowerOfTwo(std::uint32_t side) {
    return std::max(std::uint32_t{2}, std::bit_ceil(side));
}
