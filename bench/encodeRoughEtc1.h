#pragma once

#include <cstdint>
#include <vector>

// A quick ETC1 encoding of RGBA pixels (alpha ignored), good enough to give
// the decoder realistic blocks: differential mode, each 2 x 4 half takes its
// average colour, the modifier table that spans its brightness range and, per
// pixel, the nearest modifier. `width` and `height` are multiples of 4; blocks
// are laid out left to right, then top to bottom, 8 bytes each.
std::vector<std::uint8_t> encodeRoughEtc1(const std::vector<std::uint8_t>& rgba, std::uint32_t width,
                                          std::uint32_t height);
