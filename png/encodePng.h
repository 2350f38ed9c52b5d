#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "texture/PixelRows.h"

// The row filters of the PNG format (filter method 0), and a choice per row.
enum class PngFilter : std::uint8_t {
    none = 0,
    sub = 1,
    up = 2,
    average = 3,
    paeth = 4,
    perRow = 5, // per row, the filter whose bytes have the least sum of absolute (signed) values
};

// How the image data is filtered and how hard it is compressed (platform/Deflate).
struct PngSettings {
    PngFilter filter = PngFilter::sub;
    int level = 6; // libdeflate's compression level, 1 to 12 (zlib's build takes 10 to 12 as its 9)
};

// The choices of the command line's --compression.
enum class PngCompression { fast, standard, best };

PngSettings pngSettingsFor(PngCompression compression);

// An image that cannot be a PNG: a zero side, or data too large for one IDAT chunk.
class PngSizeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Encodes the image as an 8-bit RGBA, non-interlaced PNG of the signature,
// IHDR, one IDAT and IEND. The rows are filtered in place, so the image is
// used up. Throws PngSizeError for a zero side or an image too large for
// one IDAT chunk, std::bad_alloc when memory cannot be had. Any number of
// threads may encode at once: each keeps its own compressors and working
// buffers for its next image.
std::vector<std::uint8_t> encodePng(PixelRows&& rows, PngSettings settings);
