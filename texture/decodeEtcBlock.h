#pragma once

#include <array>
#include <cstdint>

// One decoded 4 x 4 block: pixel (column c, row r) is element 4r + c, its
// bytes R, G, B and an opaque alpha of 255, so a tile row copies as 16 bytes
// into RGBA pixel rows.
using EtcTile = std::array<std::array<std::uint8_t, 4>, 16>;

// Decodes one 8-byte ETC block given as two big-endian words (word1 from bytes
// 0-3, word2 from bytes 4-7). Handles the individual and differential modes
// and, for differential blocks whose offset leaves the 5-bit range, the T, H
// and planar modes of ETC2 RGB (Khronos Data Format, section on ETC2).
EtcTile decodeEtcBlock(std::uint32_t word1, std::uint32_t word2);
