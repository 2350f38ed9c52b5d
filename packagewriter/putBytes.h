#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace packagewriter {

// Written into bytes that no reader looks at, so a reader that strays into
// them returns something recognisably wrong instead of a plausible zero.
inline constexpr std::uint32_t unreadFiller = 0xA5A5A5A5U;

// Little-endian stores into a byte vector; the place must already exist.
inline void putU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    if (at > bytes.size() || bytes.size() - at < 4) {
        throw std::out_of_range("putU32 past the end");
    }
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8U * i));
    }
}

inline void putU24(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    if (at > bytes.size() || bytes.size() - at < 3) {
        throw std::out_of_range("putU24 past the end");
    }
    for (std::size_t i = 0; i < 3; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8U * i));
    }
}

inline void putFiller(std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t length) {
    for (std::size_t i = 0; i < length; i += 4) {
        putU32(bytes, at + i, unreadFiller);
    }
}

// A 128-byte name field: the name, zero-padded.
inline void putName(std::vector<std::uint8_t>& bytes, std::size_t at, std::string_view name) {
    constexpr std::size_t fieldSize = 128;
    if (name.size() > fieldSize) {
        throw std::invalid_argument("a name field holds at most 128 bytes");
    }
    if (at > bytes.size() || bytes.size() - at < fieldSize) {
        throw std::out_of_range("putName past the end");
    }
    for (std::size_t i = 0; i < fieldSize; ++i) {
        bytes[at + i] = i < name.size() ? static_cast<std::uint8_t>(name[i]) : 0;
    }
}

} // namespace packagewriter
