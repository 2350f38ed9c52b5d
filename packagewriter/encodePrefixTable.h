#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "packagewriter/PackagePlan.h"

namespace packagewriter {

struct TableEntry {
    std::string name; // no zero bytes
    std::vector<std::uint8_t> payload; // a multiple of 4 bytes
};

// Encodes entries, in the given order, as a prefix-compressed table: each
// name reuses the longest prefix that an earlier entry can hand on through a
// free branch slot of one of its own units (a trie of earlier names finds it),
// so siblings, nested prefixes and terminators carrying a branch arise from
// the names themselves. `payloadOffsets`, when given, receives where each
// entry's payload starts in the table. Throws std::invalid_argument for a
// name with a zero byte or a payload that is not a multiple of 4 bytes.
std::vector<std::uint8_t> encodePrefixTable(std::span<const TableEntry> entries,
                                            std::vector<std::uint32_t>* payloadOffsets = nullptr);

// A package-level name table: each name followed by its 32-bit value.
std::vector<std::uint8_t> encodeNameTable(std::span<const NamedValue> names);

// The 12-byte description of a file (type, offset, size), or the 32-byte one
// of an atlas file (adds atlasIndex at 12, width at 24, height at 28; bytes
// 16 to 23 hold a filler nobody reads).
std::vector<std::uint8_t> fileDescription(std::uint32_t type, std::uint32_t offset, std::uint32_t size,
                                          std::uint32_t atlasIndex = 0, std::uint32_t width = 0,
                                          std::uint32_t height = 0);

} // namespace packagewriter
