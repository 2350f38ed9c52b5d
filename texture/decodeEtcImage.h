#pragma once

#include <cstdint>

#include "texture/PixelRows.h"
#include "core/Bytes.h"

// Decodes an "RGB_ETC1" texture into `rows`: one 8-byte ETC block per whole
// 4 x 4 block of the image, blocks row-major, each decoded by decodeEtcBlock,
// alpha 255. Pixels outside whole blocks (a side of 2) are black and opaque.
// Block bytes past the end of `source` read as zero; returns their number.
std::uint64_t decodeEtcImage(ByteSpan source, PixelRows& rows);

// Decodes an "RGB_ETC1_ALPHA" texture: the block plane as decodeEtcImage
// reads it, followed by an alpha plane of one byte per pixel, row-major,
// that starts after the block plane of the image padded to power-of-two
// sides (where a side is a power of two already, right after the blocks).
// Missing bytes of either plane read as zero; returns their number.
std::uint64_t decodeEtcImageWithAlpha(ByteSpan source, PixelRows& rows);
