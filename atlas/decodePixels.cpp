#include "atlas/decodePixels.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "atlas/decodeEtcImage.h"
#include "core/Constants.h"
#include "librarypackage/pvrtccompressor/pvrtcdecoder.h"

namespace {

bool sameName(std::string_view name, FormatName which) {
    return name == formatNames()[static_cast<std::size_t>(which)].view();
}

std::uint8_t byteAt(ByteSpan source, std::uint64_t offset) {
    return offset < source.size() ? source[static_cast<std::size_t>(offset)] : std::uint8_t{0};
}

// How many bytes of [offset, offset + length) lie at or past the end of the source.
std::uint64_t bytesPastEnd(ByteSpan source, std::uint64_t offset, std::uint64_t length) {
    const std::uint64_t end = offset + length;
    const std::uint64_t available = source.size();
    if (end <= available) {
        return 0;
    }
    return end - std::max(offset, available);
}

// Number of whole pixels of `bytesPerPixel` bytes that `source` holds from `offset`.
std::uint64_t wholePixelsFrom(ByteSpan source, std::uint64_t offset, std::uint64_t bytesPerPixel,
                              std::uint64_t pixelCount) {
    if (offset >= source.size()) {
        return 0;
    }
    return std::min(pixelCount, (source.size() - offset) / bytesPerPixel);
}

// Copies pixels of four bytes, swapping the first and third when `swapRedBlue`.
void decodeFourBytePixels(ByteSpan source, std::span<std::uint8_t> out, std::uint64_t pixelCount, bool swapRedBlue) {
    const std::uint64_t whole = wholePixelsFrom(source, 0, 4, pixelCount);
    if (!swapRedBlue) {
        if (whole != 0) {
            std::memcpy(out.data(), source.data(), static_cast<std::size_t>(whole * 4U));
        }
    } else {
        const std::uint8_t* from = source.data();
        std::uint8_t* to = out.data();
        for (std::size_t i = 0; i < whole; ++i, from += 4, to += 4) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
            to[3] = from[3];
        }
    }
    const std::size_t red = swapRedBlue ? 2U : 0U;
    for (std::uint64_t i = whole; i < pixelCount; ++i) {
        std::uint8_t* to = out.data() + i * 4U;
        to[0] = byteAt(source, i * 4U + red);
        to[1] = byteAt(source, i * 4U + 1U);
        to[2] = byteAt(source, i * 4U + 2U - red);
        to[3] = byteAt(source, i * 4U + 3U);
    }
}

// Pixels of three colour bytes; alpha 255.
void decodeThreeBytePixels(ByteSpan source, std::span<std::uint8_t> out, std::uint64_t pixelCount,
                           bool swapRedBlue) {
    const std::uint64_t whole = wholePixelsFrom(source, 0, 3, pixelCount);
    const std::size_t red = swapRedBlue ? 2U : 0U;
    const std::size_t blue = 2U - red;
    const std::uint8_t* from = source.data();
    std::uint8_t* to = out.data();
    for (std::size_t i = 0; i < whole; ++i, from += 3, to += 4) {
        to[0] = from[red];
        to[1] = from[1];
        to[2] = from[blue];
        to[3] = 255;
    }
    for (std::uint64_t i = whole; i < pixelCount; ++i) {
        std::uint8_t* pixel = out.data() + i * 4U;
        pixel[0] = byteAt(source, i * 3U + red);
        pixel[1] = byteAt(source, i * 3U + 1U);
        pixel[2] = byteAt(source, i * 3U + blue);
        pixel[3] = 255;
    }
}

// Alpha of pixel i from byte planeStart + i.
void decodeAlphaPlane(ByteSpan source, std::span<std::uint8_t> out, std::uint64_t pixelCount,
                      std::uint64_t planeStart) {
    const std::uint64_t whole = wholePixelsFrom(source, planeStart, 1, pixelCount);
    for (std::uint64_t i = 0; i < whole; ++i) {
        out[static_cast<std::size_t>(i * 4U + 3U)] = source[static_cast<std::size_t>(planeStart + i)];
    }
    for (std::uint64_t i = whole; i < pixelCount; ++i) {
        out[static_cast<std::size_t>(i * 4U + 3U)] = 0;
    }
}

void fillAlpha(std::span<std::uint8_t> out, std::uint8_t alpha) {
    for (std::size_t i = 3; i < out.size(); i += 4) {
        out[i] = alpha;
    }
}

// Colour of every whole block into R, G, B; alpha is set beforehand.
void decodeEtcColour(ByteSpan source, PixelRows& rows) {
    forEachEtcBlock(source, rows.size(), [&rows](const EtcTile& tile, std::uint32_t startX, std::uint32_t startY) {
        for (std::uint32_t row = 0; row < 4; ++row) {
            std::uint8_t* to = rows.row(startY + row) + std::size_t{startX} * 4U;
            const std::uint8_t* from = tile.data() + std::size_t{row} * 12U;
            for (std::size_t column = 0; column < 4; ++column, to += 4, from += 3) {
                to[0] = from[0];
                to[1] = from[1];
                to[2] = from[2];
            }
        }
    });
}

// Half the pixel count of the image padded to power-of-two sides: the size of
// its block plane. Sides beyond 2^31 have no padding and keep their size.
std::uint64_t etcAlphaPlaneStart(ImageSize size) {
    constexpr std::uint32_t largestRoundable = std::uint32_t{1} << 31;
    const std::uint64_t width = size.width > largestRoundable ? size.width : roundUpToPowerOfTwo(size.width);
    const std::uint64_t height = size.height > largestRoundable ? size.height : roundUpToPowerOfTwo(size.height);
    return width * height / 2U;
}

bool isPowerOfTwo(std::uint32_t v) { return v != 0 && (v & (v - 1U)) == 0; }

std::uint64_t decodePvrtc(ByteSpan source, PixelRows& rows, ImageSize size) {
    const std::uint32_t side = size.width;
    if (side != size.height || side < 4 || !isPowerOfTwo(side) ||
        side > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
        return 0;
    }
    const auto signedSide = static_cast<std::int32_t>(side);
    decodePvrtc4Bpp(rows.words(), PvrtcSize{signedSide, signedSide}, source);
    // The decoder's words hold B, G, R, A from the low byte up; the rows want
    // the bytes R, G, B, A in memory.
    std::span<std::uint32_t> words = rows.words();
    std::span<std::uint8_t> bytes = rows.bytes();
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::uint32_t word = words[i];
        std::uint8_t* pixel = bytes.data() + i * 4U;
        pixel[0] = static_cast<std::uint8_t>(word >> 16);
        pixel[1] = static_cast<std::uint8_t>(word >> 8);
        pixel[2] = static_cast<std::uint8_t>(word);
        pixel[3] = static_cast<std::uint8_t>(word >> 24);
    }
    const std::uint64_t blocks = side / 4U;
    return bytesPastEnd(source, 0, blocks * blocks * 8U);
}

} // namespace

std::uint64_t decodePixels(ByteSpan source, PixelRows& rows, ImageSize size, std::string_view formatName) {
    if (!(rows.size() == size)) {
        throw std::invalid_argument("pixel rows do not match the image size");
    }
    const std::uint64_t pixelCount = std::uint64_t{size.width} * size.height;
    const std::span<std::uint8_t> out = rows.bytes();

    if (sameName(formatName, FormatName::RGBA32) || sameName(formatName, FormatName::BGRA32)) {
        decodeFourBytePixels(source, out, pixelCount, sameName(formatName, FormatName::BGRA32));
        return bytesPastEnd(source, 0, pixelCount * 4U);
    }
    if (sameName(formatName, FormatName::RGB24) || sameName(formatName, FormatName::BGR24)) {
        decodeThreeBytePixels(source, out, pixelCount, sameName(formatName, FormatName::BGR24));
        return bytesPastEnd(source, 0, pixelCount * 3U);
    }
    if (sameName(formatName, FormatName::RGB24_ALPHA) || sameName(formatName, FormatName::BGR24_ALPHA)) {
        decodeThreeBytePixels(source, out, pixelCount, sameName(formatName, FormatName::BGR24_ALPHA));
        decodeAlphaPlane(source, out, pixelCount, pixelCount * 3U);
        return bytesPastEnd(source, 0, pixelCount * 4U);
    }
    if (sameName(formatName, FormatName::RGB_ETC1)) {
        fillAlpha(out, 255);
        decodeEtcColour(source, rows);
        return bytesPastEnd(source, 0, etcPlaneBytes(size));
    }
    if (sameName(formatName, FormatName::RGB_ETC1_ALPHA)) {
        // The alpha plane follows the block plane of the power-of-two image.
        const std::uint64_t planeStart = etcAlphaPlaneStart(size);
        decodeAlphaPlane(source, out, pixelCount, planeStart);
        decodeEtcColour(source, rows);
        return bytesPastEnd(source, 0, etcPlaneBytes(size)) + bytesPastEnd(source, planeStart, pixelCount);
    }
    if (sameName(formatName, FormatName::RGBA_PVRTC4)) {
        return decodePvrtc(source, rows, size);
    }
    return 0;
}
