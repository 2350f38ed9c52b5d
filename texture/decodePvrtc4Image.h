#pragma once

#include <cstdint>

#include "texture/PixelRows.h"
#include "core/Bytes.h"

// Morton number of block (blockX, blockY): the bits of blockY go to the even
// bit positions, those of blockX to the odd ones. Coordinates up to 16 bits.
std::uint32_t pvrtcMortonIndex(std::uint32_t blockX, std::uint32_t blockY);

// Decodes a square 4-bit-per-pixel PVRTC image, whose 8-byte packets are
// stored in Morton order, into `rows` as R, G, B, A. Decodes only rows whose
// side is one power of two of at least 4 (the sizes the format has); any
// other rows are left as they are and 0 is returned.
//
// Packets that lie past the end of `source` (wholly or partly) read their
// missing bytes as zero; returns how many bytes that was.
std::uint64_t decodePvrtc4Image(ByteSpan source, PixelRows& rows);
