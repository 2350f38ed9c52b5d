#pragma once

#include <cstdint>

#include "texture/PixelFormat.h"
#include "texture/PixelRows.h"
#include "core/Bytes.h"

// Fills `rows` (zero-filled, of the decode size) from the texture bytes in
// `source` by `format`'s decoder; a format without one leaves every pixel
// (0, 0, 0, 0). Never reads past `source`: bytes the format needs beyond its
// end read as zero, and their number is returned (0 when the source is long
// enough).
std::uint64_t decodePixels(ByteSpan source, PixelRows& rows, const PixelFormat& format);
