#include "atlas/decodePixels.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <bit>
#include <limits>
#include <optional>
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

// Calls decodeRun(to, firstPixel, count) for each row of the image: the
// row's pixel bytes and the index of its first pixel in row-major order.
template <typename DecodeRun>
void forEachRow(PixelRows& rows, DecodeRun&& decodeRun) {
    const std::size_t width = rows.width();
    for (std::uint32_t y = 0; y < rows.height(); ++y) {
        decodeRun(rows.row(y), std::uint64_t{y} * width, width);
    }
}

// Copies pixels of four bytes, swapping the first and third when `swapRedBlue`.
void decodeFourBytePixels(ByteSpan source, std::uint8_t* out, std::uint64_t first, std::size_t count,
                          bool swapRedBlue) {
    const std::uint64_t whole = wholePixelsFrom(source, first * 4U, 4, count);
    if (whole != 0) {
        const std::uint8_t* from = source.data() + first * 4U;
        if (!swapRedBlue) {
            std::memcpy(out, from, static_cast<std::size_t>(whole * 4U));
        } else {
            std::uint8_t* to = out;
            for (std::size_t i = 0; i < whole; ++i, from += 4, to += 4) {
                to[0] = from[2];
                to[1] = from[1];
                to[2] = from[0];
                to[3] = from[3];
            }
        }
    }
    const std::size_t red = swapRedBlue ? 2U : 0U;
    for (std::uint64_t i = whole; i < count; ++i) {
        std::uint8_t* to = out + i * 4U;
        const std::uint64_t at = (first + i) * 4U;
        to[0] = byteAt(source, at + red);
        to[1] = byteAt(source, at + 1U);
        to[2] = byteAt(source, at + 2U - red);
        to[3] = byteAt(source, at + 3U);
    }
}

// The whole pixels of a three-byte layout. The channel order is fixed at
// compile time so that the loop can be vectorised.
template <bool swapRedBlue, bool withAlphaPlane>
void copyThreeBytePixels(const std::uint8_t* from, const std::uint8_t* alpha, std::uint8_t* to, std::size_t count) {
    constexpr std::size_t red = swapRedBlue ? 2U : 0U;
    constexpr std::size_t blue = 2U - red;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t a = withAlphaPlane ? alpha[i] : 255U;
        if constexpr (std::endian::native == std::endian::little) {
            // One word store per pixel: byte-wise stores of this pattern
            // compile to slow partial writes.
            storePixel(to + 4 * i, std::uint32_t{from[3 * i + red]} | (std::uint32_t{from[3 * i + 1]} << 8) |
                                       (std::uint32_t{from[3 * i + blue]} << 16) | (a << 24));
        } else {
            to[4 * i] = from[3 * i + red];
            to[4 * i + 1] = from[3 * i + 1];
            to[4 * i + 2] = from[3 * i + blue];
            to[4 * i + 3] = static_cast<std::uint8_t>(a);
        }
    }
}

// Pixels of three colour bytes. Alpha is 255, or with an alpha plane the
// byte alphaPlane + i for pixel i.
void decodeThreeBytePixels(ByteSpan source, std::uint8_t* out, std::uint64_t first, std::size_t count,
                           bool swapRedBlue, std::optional<std::uint64_t> alphaPlane) {
    const std::size_t red = swapRedBlue ? 2U : 0U;
    const std::size_t blue = 2U - red;
    std::uint64_t whole = wholePixelsFrom(source, first * 3U, 3, count);
    if (alphaPlane) {
        whole = std::min(whole, wholePixelsFrom(source, *alphaPlane + first, 1, count));
    }
    if (whole != 0) {
        const std::uint8_t* from = source.data() + first * 3U;
        const std::uint8_t* alpha = alphaPlane ? source.data() + *alphaPlane + first : nullptr;
        const auto n = static_cast<std::size_t>(whole);
        if (swapRedBlue) {
            alpha != nullptr ? copyThreeBytePixels<true, true>(from, alpha, out, n)
                             : copyThreeBytePixels<true, false>(from, alpha, out, n);
        } else {
            alpha != nullptr ? copyThreeBytePixels<false, true>(from, alpha, out, n)
                             : copyThreeBytePixels<false, false>(from, alpha, out, n);
        }
    }
    for (std::uint64_t i = whole; i < count; ++i) {
        std::uint8_t* pixel = out + i * 4U;
        const std::uint64_t at = (first + i) * 3U;
        pixel[0] = byteAt(source, at + red);
        pixel[1] = byteAt(source, at + 1U);
        pixel[2] = byteAt(source, at + blue);
        pixel[3] = alphaPlane ? byteAt(source, *alphaPlane + first + i) : std::uint8_t{255};
    }
}

// Alpha of pixel i from byte planeStart + i.
void decodeAlphaPlane(ByteSpan source, std::uint8_t* out, std::uint64_t first, std::size_t count,
                      std::uint64_t planeStart) {
    const std::uint64_t whole = wholePixelsFrom(source, planeStart + first, 1, count);
    for (std::uint64_t i = 0; i < whole; ++i) {
        out[i * 4U + 3U] = source[static_cast<std::size_t>(planeStart + first + i)];
    }
    for (std::uint64_t i = whole; i < count; ++i) {
        out[i * 4U + 3U] = 0;
    }
}

void fillAlpha(PixelRows& rows, std::uint8_t alpha) {
    forEachRow(rows, [alpha](std::uint8_t* out, std::uint64_t, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            out[4U * i + 3U] = alpha;
        }
    });
}

// Every whole block into its pixels, opaque. With `alphaPlane`, whose
// bytes must all be present, pixel (x, y) takes alpha byte y * W + x.
void decodeEtcPixels(ByteSpan source, PixelRows& rows, const std::uint8_t* alphaPlane) {
    const std::size_t width = rows.width();
    forEachEtcBlock(source, rows.size(), [&](const EtcTile& tile, std::uint32_t startX, std::uint32_t startY) {
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
    // The decoder's words hold B, G, R, A from the low byte up; the rows want
    // the bytes R, G, B, A in memory: swap the low and the third byte.
    decodePvrtc4BppRows(PvrtcSize{signedSide, signedSide}, source,
                        [&rows](std::uint32_t y, std::span<const std::uint32_t> words) {
                            std::uint8_t* out = rows.row(y);
                            for (const std::uint32_t word : words) {
                                if constexpr (std::endian::native == std::endian::little) {
                                    storePixel(out, (word & 0xFF00FF00U) | ((word >> 16) & 0xFFU) |
                                                        ((word & 0xFFU) << 16));
                                } else {
                                    out[0] = static_cast<std::uint8_t>(word >> 16);
                                    out[1] = static_cast<std::uint8_t>(word >> 8);
                                    out[2] = static_cast<std::uint8_t>(word);
                                    out[3] = static_cast<std::uint8_t>(word >> 24);
                                }
                                out += 4;
                            }
                        });
    const std::uint64_t blocks = side / 4U;
    return bytesPastEnd(source, 0, blocks * blocks * 8U);
}

} // namespace

std::uint64_t decodePixels(ByteSpan source, PixelRows& rows, ImageSize size, std::string_view formatName) {
    if (!(rows.size() == size)) {
        throw std::invalid_argument("pixel rows do not match the image size");
    }
    const std::uint64_t pixelCount = std::uint64_t{size.width} * size.height;

    if (sameName(formatName, FormatName::RGBA32) || sameName(formatName, FormatName::BGRA32)) {
        const bool swap = sameName(formatName, FormatName::BGRA32);
        forEachRow(rows, [&](std::uint8_t* out, std::uint64_t first, std::size_t count) {
            decodeFourBytePixels(source, out, first, count, swap);
        });
        return bytesPastEnd(source, 0, pixelCount * 4U);
    }
    if (sameName(formatName, FormatName::RGB24) || sameName(formatName, FormatName::BGR24)) {
        const bool swap = sameName(formatName, FormatName::BGR24);
        forEachRow(rows, [&](std::uint8_t* out, std::uint64_t first, std::size_t count) {
            decodeThreeBytePixels(source, out, first, count, swap, std::nullopt);
        });
        return bytesPastEnd(source, 0, pixelCount * 3U);
    }
    if (sameName(formatName, FormatName::RGB24_ALPHA) || sameName(formatName, FormatName::BGR24_ALPHA)) {
        const bool swap = sameName(formatName, FormatName::BGR24_ALPHA);
        forEachRow(rows, [&](std::uint8_t* out, std::uint64_t first, std::size_t count) {
            decodeThreeBytePixels(source, out, first, count, swap, pixelCount * 3U);
        });
        return bytesPastEnd(source, 0, pixelCount * 4U);
    }
    if (sameName(formatName, FormatName::RGB_ETC1)) {
        // Pixels outside whole blocks (a side of 2) stay black but opaque.
        if (size.width % 4U != 0 || size.height % 4U != 0) {
            fillAlpha(rows, 255);
        }
        decodeEtcPixels(source, rows, nullptr);
        return bytesPastEnd(source, 0, etcPlaneBytes(size));
    }
    if (sameName(formatName, FormatName::RGB_ETC1_ALPHA)) {
        // The alpha plane follows the block plane of the power-of-two image.
        const std::uint64_t planeStart = etcAlphaPlaneStart(size);
        if (rangeInside(source.size(), planeStart, pixelCount) && size.width % 4U == 0 && size.height % 4U == 0) {
            // Whole blocks cover the image: take alpha while copying each block.
            decodeEtcPixels(source, rows, source.data() + planeStart);
        } else {
            decodeEtcPixels(source, rows, nullptr);
            forEachRow(rows, [&](std::uint8_t* out, std::uint64_t first, std::size_t count) {
                decodeAlphaPlane(source, out, first, count, planeStart);
            });
        }
        return bytesPastEnd(source, 0, etcPlaneBytes(size)) + bytesPastEnd(source, planeStart, pixelCount);
    }
    if (sameName(formatName, FormatName::RGBA_PVRTC4)) {
        return decodePvrtc(source, rows, size);
    }
    return 0;
}
