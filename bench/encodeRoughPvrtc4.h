#pragma once

#include <cstdint>
#include <vector>

// A quick PVRTC 4 bpp encoding of a square RGBA picture whose side is a power
// of two of at least 4: each block's two colours are its average shifted
// darker and lighter, each pixel's modulation follows its brightness against
// the average, and translucent blocks use the translucent colour layout.
// Blocks are stored in Morton order, 8 bytes each (modulation word, then
// colour word, little-endian). Realistic input for the decoder, not a good
// encoder.
std::vector<std::uint8_t> encodeRoughPvrtc4(const std::vector<std::uint8_t>& rgba, std::uint32_t side);
