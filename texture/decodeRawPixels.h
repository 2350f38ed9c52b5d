#pragma once

#include <cstdint>

#include "texture/PixelRows.h"
#include "core/Bytes.h"

// The uncompressed layouts, each filling every pixel of `rows` (W x H) from
// `source`, rows top to bottom without padding. Source bytes past the end of
// `source` read as zero; each returns their number.

// "RGBA32" / "BGRA32": four bytes per pixel, R, G, B, A / B, G, R, A.
std::uint64_t decodeRgba32(ByteSpan source, PixelRows& rows);
std::uint64_t decodeBgra32(ByteSpan source, PixelRows& rows);

// "RGB24" / "BGR24": three bytes per pixel, R, G, B / B, G, R; alpha 255.
std::uint64_t decodeRgb24(ByteSpan source, PixelRows& rows);
std::uint64_t decodeBgr24(ByteSpan source, PixelRows& rows);

// "RGB24_ALPHA" / "BGR24_ALPHA": the colour plane as "RGB24" / "BGR24",
// followed by an alpha plane of W * H bytes in pixel order.
std::uint64_t decodeRgb24WithAlpha(ByteSpan source, PixelRows& rows);
std::uint64_t decodeBgr24WithAlpha(ByteSpan source, PixelRows& rows);

// Sets the alpha of pixel (x, y) to byte planeStart + y * W + x of `source`,
// leaving the colour channels alone; returns the plane's missing bytes.
std::uint64_t copyAlphaPlane(ByteSpan source, PixelRows& rows, std::uint64_t planeStart);
