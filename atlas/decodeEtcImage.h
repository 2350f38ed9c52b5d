#pragma once

#include <cstdint>
#include <span>

#include "atlas/ImageSize.h"
#include "atlas/decodeEtcBlock.h"
#include "core/Bytes.h"

// Number of bytes of ETC block data an image of this size reads: one 8-byte
// block per whole 4 x 4 block, blocks stored row-major.
std::uint64_t etcPlaneBytes(ImageSize size);

// Calls visit(tile, startX, startY) for every whole block of the image, block
// rows top to bottom and blocks left to right, reading the blocks from
// `source`; block bytes past its end read as zero.
template <typename Visit>
void forEachEtcBlock(ByteSpan source, ImageSize size, Visit&& visit) {
    if (size.height < 4) {
        return;
    }
    const std::uint32_t blocksAcross = size.width / 4U;
    const std::uint32_t blocksDown = size.height / 4U;
    std::uint64_t offset = 0;
    for (std::uint32_t i = 0; i < blocksDown; ++i) {
        for (std::uint32_t j = 0; j < blocksAcross; ++j, offset += 8U) {
            std::uint32_t word1 = 0;
            std::uint32_t word2 = 0;
            if (rangeInside(source.size(), offset, 8)) {
                word1 = loadU32BE(source.data() + offset);
                word2 = loadU32BE(source.data() + offset + 4U);
            } else {
                std::uint8_t block[8] = {};
                for (std::uint64_t k = 0; k < 8 && offset + k < source.size(); ++k) {
                    block[k] = source[static_cast<std::size_t>(offset + k)];
                }
                word1 = loadU32BE(block);
                word2 = loadU32BE(block + 4);
            }
            visit(decodeEtcTile(word1, word2), 4U * j, 4U * i);
        }
    }
}

// Decodes the ETC plane of an image into `destination`, W * H * 3 bytes
// (pixel (x, y) at (y * W + x) * 3 as R, G, B). Writes only the pixels of
// whole blocks; an image less than 4 pixels high or wide writes nothing.
void decodeEtcImage(ByteSpan source, std::span<std::uint8_t> destination, ImageSize size);
