#pragma once

#include <array>
#include <cstddef>

// Modifier table of the ETC1 individual and differential modes (Khronos ETC1
// and ETC2 formats): one row per 3-bit table codeword, columns from large
// negative to large positive. Shared by the decoder and our test encoder.
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
