#include "texture/decodeEtcImage.h"

#include <cstddef>
#include <cstring>

#include "texture/ImageSize.h"
#include "texture/decodeEtcBlock.h"
#include "texture/decodeRawPixels.h"

namespace {

// Bytes of block data an image of this size reads: one 8-byte block per
// whole 4 x 4 block.
std::uint64_t etcPlaneBytes(ImageSize size) {
    if (size.height < 4) {
        return 0;
    }
    return std::uint64_t{size.width / 4U} * (size.height / 4U) * 8U;
}

// Block (i, j) of block row i at byte (i * (W / 4) + j) * 8; missing bytes read as zero.
EtcTile decodeBlockAt(ByteSpan source, std::uint64_t offset) {
    if (rangeInside(source.size(), offset, 8)) {
        return decodeEtcBlock(loadU32BE(source.data() + offset), loadU32BE(source.data() + offset + 4U));
    }
    std::uint8_t block[8] = {};
    for (std::uint64_t k = 0; k < 8 && offset + k < source.size(); ++k) {
        block[k] = source[static_cast<std::size_t>(offset + k)];
    }
    return decodeEtcBlock(loadU32BE(block), loadU32BE(block + 4));
}

// Every whole block into its pixels, opaque. With `alphaPlane`, whose bytes
// must all be present, pixel (x, y) takes alpha byte y * W + x while its
// block is copied.
void decodeBlocks(ByteSpan source, PixelRows& rows, const std::uint8_t* alphaPlane) {
    if (rows.height() < 4) {
        return;
    }
    const std::size_t width = rows.width();
    const std::uint32_t blocksAcross = rows.width() / 4U;
    const std::uint32_t blocksDown = rows.height() / 4U;
    std::uint64_t offset = 0;
    for (std::uint32_t startY = 0; startY < 4U * blocksDown; startY += 4U) {
        for (std::uint32_t startX = 0; startX < 4U * blocksAcross; startX += 4U, offset += 8U) {
            const EtcTile tile = decodeBlockAt(source, offset);
            for (std::uint32_t row = 0; row < 4; ++row) {
                std::uint8_t* to = rows.row(startY + row) + std::size_t{startX} * 4U;
                std::memcpy(to, tile[4U * row].data(), 16U);
                if (alphaPlane != nullptr) {
                    const std::uint8_t* alpha = alphaPlane + (std::size_t{startY} + row) * width + startX;
                    to[3] = alpha[0];
                    to[7] = alpha[1];
                    to[11] = alpha[2];
                    to[15] = alpha[3];
                }
            }
        }
    }
}

bool wholeBlocksCover(ImageSize size) { return size.width % 4U == 0 && size.height % 4U == 0; }

// Half the pixel count of the image padded to power-of-two sides: the size of
// its block plane. Sides beyond 2^31 have no padding and keep their size.
std::uint64_t alphaPlaneStart(ImageSize size) {
    constexpr std::uint32_t largestRoundable = std::uint32_t{1} << 31;
    const std::uint64_t width = size.width > largestRoundable ? size.width : roundUpToPowerOfTwo(size.width);
    const std::uint64_t height = size.height > largestRoundable ? size.height : roundUpToPowerOfTwo(size.height);
    return width * height / 2U;
}

} // namespace

std::uint64_t decodeEtcImage(ByteSpan source, PixelRows& rows) {
    if (!wholeBlocksCover(rows.size())) {
        for (std::uint32_t y = 0; y < rows.height(); ++y) {
            std::uint8_t* out = rows.row(y);
            for (std::size_t x = 0; x < rows.width(); ++x) {
                out[4U * x + 3U] = 255;
            }
        }
    }
    decodeBlocks(source, rows, nullptr);
    return bytesPastEnd(source.size(), 0, etcPlaneBytes(rows.size()));
}

std::uint64_t decodeEtcImageWithAlpha(ByteSpan source, PixelRows& rows) {
    const std::uint64_t planeStart = alphaPlaneStart(rows.size());
    const std::uint64_t pixelCount = std::uint64_t{rows.width()} * rows.height();
    const std::uint64_t missingBlockBytes = bytesPastEnd(source.size(), 0, etcPlaneBytes(rows.size()));
    if (rangeInside(source.size(), planeStart, pixelCount) && wholeBlocksCover(rows.size())) {
        decodeBlocks(source, rows, source.data() + planeStart);
        return missingBlockBytes;
    }
    decodeBlocks(source, rows, nullptr);
    return missingBlockBytes + copyAlphaPlane(source, rows, planeStart);
}
