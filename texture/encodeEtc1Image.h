#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Encodes an image of 8-bit R, G, B, A pixels (rows top to bottom, alpha
// ignored) as ETC1 blocks: 8 bytes per 4 x 4 block, blocks row-major, each
// block in the individual or differential mode. Each half-block gets its
// average colour and the modifier table and per-pixel modifiers that fit its
// pixels best; the split (side by side or one above the other) with the
// smaller error is kept. Meant for making test and sample textures, not for
// top quality.
//
// Throws std::invalid_argument unless width and height are non-zero
// multiples of 4 and `rgba` holds exactly width * height * 4 bytes.
std::vector<std::uint8_t> encodeEtc1Image(std::span<const std::uint8_t> rgba, std::uint32_t width,
                                          std::uint32_t height);
