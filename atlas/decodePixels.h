#pragma once

#include <cstdint>
#include <string_view>

#include "atlas/ImageSize.h"
#include "atlas/PixelRows.h"
#include "core/Bytes.h"

// Fills `rows` (zero-filled, of exactly `size`) from the texture bytes in
// `source` by the pixel format named `formatName`, matched byte for byte
// against the nine decodable names: "RGBA32", "BGRA32", "RGB24", "BGR24",
// "RGB24_ALPHA", "BGR24_ALPHA", "RGB_ETC1", "RGB_ETC1_ALPHA", "RGBA_PVRTC4".
// Any other name leaves every pixel (0, 0, 0, 0). "RGBA_PVRTC4" decodes only
// a square image whose side is a power of two, the only shape it can have.
//
// Never reads past `source`: bytes the format needs beyond its end read as
// zero, and their number is returned (0 when the source is long enough).
// Throws std::invalid_argument when `rows` is not of `size`.
std::uint64_t decodePixels(ByteSpan source, PixelRows& rows, ImageSize size, std::string_view formatName);
