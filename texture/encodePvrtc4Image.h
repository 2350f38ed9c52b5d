#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Encodes a square image of 8-bit R, G, B, A pixels (rows top to bottom) as
// 4-bit-per-pixel PVRTC packets in Morton order, as decodePvrtc4Bpp reads
// them. Each block's colour A is the per-channel minimum of its pixels and
// colour B the maximum (opaque encodings when the block is opaque, else the
// translucent ones); each pixel then takes the modulation value whose blend
// of the interpolated colours comes closest to it. Meant for test and sample
// textures, not for top quality.
//
// Throws std::invalid_argument unless side is a power of two of at least 8
// and `rgba` holds exactly side * side * 4 bytes.
std::vector<std::uint8_t> encodePvrtc4Image(std::span<const std::uint8_t> rgba, std::uint32_t side);
