#pragma once

#include <cstdint>
#include <string_view>

#include "texture/PixelRows.h"
#include "core/Bytes.h"

// How a texture record's size becomes the size its atlas is decoded and
// written at (see decodeSize).
enum class SizeRule {
    recordSize,       // as recorded
    powerOfTwoSides,  // each side rounded up to a power of two, at least 2
    powerOfTwoSquare, // both sides rounded so, then both the larger of the two
};

// Fills every pixel of `rows`, whose size is the decode size, from the
// texture bytes in `source`; bytes the layout needs beyond the end of
// `source` read as zero, and their number is returned.
using PixelDecoder = std::uint64_t (*)(ByteSpan source, PixelRows& rows);

// What the program knows of a pixel format.
struct PixelFormat {
    SizeRule sizeRule = SizeRule::recordSize;
    PixelDecoder decode = nullptr; // null: no decoder, every pixel stays (0, 0, 0, 0)
};

// The pixel format of a format name from the texture-format index file,
// looked up once per atlas. The nine decodable names "RGBA32", "BGRA32",
// "RGB24", "BGR24", "RGB24_ALPHA", "BGR24_ALPHA", "RGB_ETC1",
// "RGB_ETC1_ALPHA" and "RGBA_PVRTC4" are matched byte for byte. Any other
// name has no decoder; it still gets the size rule of a family whose mark it
// contains: "ETC1" anywhere pads each side, otherwise "PVRTC4" anywhere pads
// to a square (so "RGB_ETC1_ALPHA_UNKNOWN" is written, all zero, at the size
// an "RGB_ETC1" atlas would have).
PixelFormat pixelFormatNamed(std::string_view name);
