#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

// Hand-made name-table bytes for tests, written independently of the package writer.

// One name unit: character and 24-bit little-endian branch position.
inline std::vector<std::uint8_t> unit(char c, std::uint32_t branch = 0) {
    return {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(branch & 0xFFU),
            static_cast<std::uint8_t>((branch >> 8U) & 0xFFU), static_cast<std::uint8_t>((branch >> 16U) & 0xFFU)};
}

// A little-endian 32-bit value.
inline std::vector<std::uint8_t> word(std::uint32_t v) { return unit(static_cast<char>(v & 0xFFU), v >> 8U); }

// The parts one after another.
inline std::vector<std::uint8_t> cat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}
