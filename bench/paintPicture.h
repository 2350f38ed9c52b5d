#pragma once

#include <cstdint>
#include <vector>

// A deterministic RGBA picture (4 bytes per pixel, rows top to bottom) that
// compresses like game art: a transparent sheet holding shaded sprites with
// soft edges, stripes and a little grain, so PNG and zlib see neither
// emptiness nor pure noise. The same seed always gives the same bytes.
std::vector<std::uint8_t> paintPicture(std::uint32_t width, std::uint32_t height, std::uint64_t seed);

// A 64-bit step of a fixed pseudo-random sequence (splitmix64), so generated
// data does not depend on the standard library's distributions.
std::uint64_t nextRandom(std::uint64_t& state);
