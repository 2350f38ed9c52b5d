#pragma once

// The numbers of the ETC1 block format that the decoder and the texture
// encoder share.

#include <array>
#include <cstddef>

// Channel values of 4, 5, 6 and 7 bits widened to 8 by bit replication, as
// the Khronos Data Format's sections on ETC1 and ETC2 expand base colours.
constexpr int extend4To8(int v) { return v * 17; }
constexpr int extend5To8(int v) { return (v << 3) | (v >> 2); }
constexpr int extend6To8(int v) { return (v << 2) | (v >> 4); }
constexpr int extend7To8(int v) { return (v << 1) | (v >> 6); }

// Modifier table of the ETC1 individual and differential modes (Khronos Data
// Format, section on ETC1): one row per 3-bit table codeword, columns from
// large negative to large positive.
inline constexpr std::array<std::array<int, 4>, 8> etcModifierTable = {{
    {-8, -2, 2, 8},
    {-17, -5, 5, 17},
    {-29, -9, 9, 29},
    {-42, -13, 13, 42},
    {-60, -18, 18, 60},
    {-80, -24, 24, 80},
    {-106, -33, 33, 106},
    {-183, -47, 47, 183},
}};

// Pixel index (MSB * 2 + LSB) to modifier column: 00 small positive,
// 01 large positive, 10 small negative, 11 large negative.
inline constexpr std::array<std::size_t, 4> etcModifierColumn = {2, 3, 1, 0};
