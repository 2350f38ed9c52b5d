#pragma once

#include <cstdint>
#include <functional>
#include <span>

// Image size in pixels as the decoder takes it: signed, and square.
struct PvrtcSize {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// Morton number of block (blockX, blockY): the bits of blockY go to the even
// bit positions, those of blockX to the odd ones. Coordinates up to 16 bits.
std::uint32_t pvrtcMortonIndex(std::uint32_t blockX, std::uint32_t blockY);

// Decodes a square 4-bit-per-pixel PVRTC image whose 8-byte packets are stored
// in Morton order. Pixel (X, Y) is written to result[Y * size.x + X] as a word
// holding B in bits 0-7, G in 8-15, R in 16-23 and A in 24-31.
//
// A side below 4 holds no whole block and decodes nothing. Packets that lie
// past the end of `data` (wholly or partly) read their missing bytes as zero.
// Throws std::invalid_argument when size.x != size.y or when `result` holds
// fewer than size.x * size.y words.
void decodePvrtc4Bpp(std::span<std::uint32_t> result, PvrtcSize size, std::span<const std::uint8_t> data);

// The same decoding, handing each pixel row to `takeRow(y, words)` as it is
// finished, top row first: `words` holds the row's size.x pixel words as
// above and is valid only during the call. Lets a caller store the pixels in
// a layout of its own without a second image. Throws as above except for the
// size of a result array.
using PvrtcRowSink = std::function<void(std::uint32_t y, std::span<const std::uint32_t> words)>;
void decodePvrtc4BppRows(PvrtcSize size, std::span<const std::uint8_t> data, const PvrtcRowSink& takeRow);
