#include "texture/decodeRawPixels.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>

namespace {

std::uint8_t byteAt(ByteSpan source, std::uint64_t offset) {
    return offset < source.size() ? source[static_cast<std::size_t>(offset)] : std::uint8_t{0};
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
        storePixel(to + 4 * i, std::uint32_t{from[3 * i + red]} | (std::uint32_t{from[3 * i + 1]} << 8) |
                                   (std::uint32_t{from[3 * i + blue]} << 16) | (a << 24));
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

std::uint64_t pixelCount(const PixelRows& rows) { return std::uint64_t{rows.width()} * rows.height(); }

template <bool swapRedBlue>
std::uint64_t decodeFourByteImage(ByteSpan source, PixelRows& rows) {
    forEachRow(rows, [&](std::uint8_t* out, std::uint64_t first, std::size_t count) {
        decodeFourBytePixels(source, out, first, count, swapRedBlue);
    });
    return bytesPastEnd(source.size(), 0, pixelCount(rows) * 4U);
}

template <bool swapRedBlue, bool withAlphaPlane>
std::uint64_t decodeThreeByteImage(ByteSpan source, PixelRows& rows) {
    const std::uint64_t pixels = pixelCount(rows);
    const std::optional<std::uint64_t> alphaPlane =
        withAlphaPlane ? std::optional<std::uint64_t>(pixels * 3U) : std::nullopt;
    forEachRow(rows, [&](std::uint8_t* out, std::uint64_t first, std::size_t count) {
        decodeThreeBytePixels(source, out, first, count, swapRedBlue, alphaPlane);
    });
    return bytesPastEnd(source.size(), 0, pixels * (withAlphaPlane ? 4U : 3U));
}

} // namespace

std::uint64_t decodeRgba32(ByteSpan source, PixelRows& rows) { return decodeFourByteImage<false>(source, rows); }
std::uint64_t decodeBgra32(ByteSpan source, PixelRows& rows) { return decodeFourByteImage<true>(source, rows); }
std::uint64_t decodeRgb24(ByteSpan source, PixelRows& rows) { return decodeThreeByteImage<false, false>(source, rows); }
std::uint64_t decodeBgr24(ByteSpan source, PixelRows& rows) { return decodeThreeByteImage<true, false>(source, rows); }

std::uint64_t decodeRgb24WithAlpha(ByteSpan source, PixelRows& rows) {
    return decodeThreeByteImage<false, true>(source, rows);
}

std::uint64_t decodeBgr24WithAlpha(ByteSpan source, PixelRows& rows) {
    return decodeThreeByteImage<true, true>(source, rows);
}

std::uint64_t copyAlphaPlane(ByteSpan source, PixelRows& rows, std::uint64_t planeStart) {
    forEachRow(rows, [&](std::uint8_t* out, std::uint64_t first, std::size_t count) {
        decodeAlphaPlane(source, out, first, count, planeStart);
    });
    return bytesPastEnd(source.size(), planeStart, pixelCount(rows));
}
