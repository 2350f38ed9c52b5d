#include "png/encodePng.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <span>

#include "core/Bytes.h"
#include "platform/Deflate.h"
#include "platform/LargeBlock.h"

namespace {

constexpr std::size_t bytesPerPixel = 4;

constexpr std::array<std::uint8_t, 8> signature = {137, 80, 78, 71, 13, 10, 26, 10};

// A chunk's data may hold at most 2^31 - 1 bytes (PNG, "Chunk layout").
constexpr std::uint64_t largestChunk = 0x7FFFFFFFU;

// Bytes around the IDAT data: signature, IHDR chunk, IDAT length and type;
// after it the IDAT CRC and the IEND chunk.
constexpr std::size_t bytesBeforeData = 8 + (12 + 13) + 8;
constexpr std::size_t bytesAfterData = 4 + 12;

// Fills in a chunk whose length field starts at `chunk` and whose type and
// `length` data bytes follow it: the length and the CRC of type and data.
void finishChunk(std::uint8_t* chunk, std::size_t length) {
    storeU32BE(chunk, static_cast<std::uint32_t>(length)); // at most largestChunk, as checked before
    storeU32BE(chunk + 8 + length, zlibStream::crc32(0, chunk + 4, length + 4));
}

// The PNG Paeth predictor, written without branches on the bytes so that the
// compiler can work on many bytes at once: `pa`, `pb` and `pc` are the
// distances of left + up - upLeft to left, up and upLeft.
std::uint8_t paethPredictor(std::uint8_t left, std::uint8_t up, std::uint8_t upLeft) {
    const int pa = std::abs(int {up} - int {upLeft});
    const int pb = std::abs(int {left} - int {upLeft});
    const int pc = std::abs(int {left} + int {up} - 2 * int {upLeft});
    const std::uint8_t upOrUpLeft = pb <= pc ? up : upLeft;
    return pa <= pb && pa <= pc ? left : upOrUpLeft;
}

// Filters one row `cur` with the row above it, `up` (zeros above the top
// row), into `out`; all three hold n bytes.
void filterRow(PngFilter filter, const std::uint8_t* cur, const std::uint8_t* up, std::uint8_t* out, std::size_t n) {
    const std::size_t first = std::min(bytesPerPixel, n);
    switch (filter) {
    case PngFilter::sub:
        std::memcpy(out, cur, first);
        for (std::size_t i = first; i < n; ++i) {
            out[i] = static_cast<std::uint8_t>(cur[i] - cur[i - bytesPerPixel]);
        }
        break;
    case PngFilter::up:
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = static_cast<std::uint8_t>(cur[i] - up[i]);
        }
        break;
    case PngFilter::average:
        for (std::size_t i = 0; i < first; ++i) {
            out[i] = static_cast<std::uint8_t>(cur[i] - (up[i] >> 1));
        }
        for (std::size_t i = first; i < n; ++i) {
            out[i] = static_cast<std::uint8_t>(cur[i] - ((cur[i - bytesPerPixel] + up[i]) >> 1));
        }
        break;
    case PngFilter::paeth:
        for (std::size_t i = 0; i < first; ++i) {
            out[i] = static_cast<std::uint8_t>(cur[i] - up[i]);
        }
        for (std::size_t i = first; i < n; ++i) {
            out[i] = static_cast<std::uint8_t>(
                cur[i] - paethPredictor(cur[i - bytesPerPixel], up[i], up[i - bytesPerPixel]));
        }
        break;
    case PngFilter::none:
    case PngFilter::perRow:
        std::memcpy(out, cur, n);
        break;
    }
}

// The sum of the filtered bytes taken as signed values, without their signs:
// the smaller, the better the row tends to compress. Summed in 32 bits over
// blocks of 2^24 bytes of at most 128 each, which the compiler can do many
// bytes at a time.
std::uint64_t rowScore(const std::uint8_t* bytes, std::size_t n) {
    constexpr std::size_t block = std::size_t {1} << 24U;
    std::uint64_t total = 0;
    for (std::size_t start = 0; start < n; start += block) {
        const std::size_t end = std::min(n, start + block);
        std::uint32_t sum = 0;
        for (std::size_t i = start; i < end; ++i) {
            const int value = static_cast<std::int8_t>(bytes[i]);
            sum += static_cast<std::uint32_t>(value < 0 ? -value : value);
        }
        total += sum;
    }
    return total;
}

// Filters every row in place and writes its filter type into the spare byte
// before it. The rows go bottom up, so the row above the one being filtered
// is still unfiltered; each row is filtered into a scratch row first and
// then copied back, so its own unfiltered bytes stay readable meanwhile.
void filterRows(PixelRows& rows, PngFilter filter) {
    const std::size_t n = std::size_t{rows.width()} * bytesPerPixel;
    if (filter == PngFilter::none) {
        for (std::uint32_t y = 0; y < rows.height(); ++y) {
            rows.row(y)[-1] = 0;
        }
        return;
    }
    constexpr std::size_t filterCount = 5;
    // Kept by the thread for its next image: a row of zeros above the top
    // row, then room for one filtered row per candidate filter.
#ifdef _WIN32
    // Not kept per thread here: in the MinGW runtime the destructor of a
    // thread_local object can run after the thread's storage is gone.
    std::vector<std::uint8_t> rowSpace;
#else
    thread_local std::vector<std::uint8_t> rowSpace;
#endif
    const std::size_t needed = n + (filter == PngFilter::perRow ? n * filterCount : n);
    if (rowSpace.size() < needed) {
        rowSpace.clear();
        rowSpace.resize(needed);
    }
    std::fill_n(rowSpace.begin(), n, std::uint8_t {0}); // a previous, narrower image filtered rows there
    const std::span<const std::uint8_t> zeroRow(rowSpace.data(), n);
    const std::span<std::uint8_t> scratch(rowSpace.data() + n, needed - n);
    for (std::uint32_t y = rows.height(); y-- > 0;) {
        std::uint8_t* cur = rows.row(y);
        const std::uint8_t* up = y > 0 ? rows.row(y - 1) : zeroRow.data();
        PngFilter chosen = filter;
        const std::uint8_t* filtered = scratch.data();
        if (filter == PngFilter::perRow) {
            std::uint64_t best = std::numeric_limits<std::uint64_t>::max();
            for (std::size_t f = 0; f < filterCount; ++f) {
                std::uint8_t* out = scratch.data() + f * n;
                const auto candidate = static_cast<PngFilter>(f);
                filterRow(candidate, cur, up, out, n);
                const std::uint64_t score = rowScore(out, n);
                if (score < best) {
                    best = score;
                    chosen = candidate;
                    filtered = out;
                }
            }
        } else {
            filterRow(filter, cur, up, scratch.data(), n);
        }
        std::memcpy(cur, filtered, n);
        cur[-1] = static_cast<std::uint8_t>(chosen);
    }
}

} // namespace

// Chosen by measurement against libpng's defaults on three classes of
// picture, drawn art, painted art and photographs (scripts/bench
// --png-settings, docs/performance.md). Each setting is one rule for every
// image, compressed once. Per row at level 5 is within 2 % of libpng's
// bytes on every class at three and a half to five times its speed; level 6
// saves another 2 % at three quarters of the speed, which leaves painted art
// at barely three times libpng's, and level 7 and up cost far more time.
// Level 2 is the fastest level within 8 % of libpng on every class; level 12
// the smallest.
PngSettings pngSettingsFor(PngCompression compression) {
    switch (compression) {
    case PngCompression::fast:
        return {PngFilter::perRow, 2};
    case PngCompression::best:
        return {PngFilter::perRow, 12};
    case PngCompression::standard:
        break;
    }
    return {PngFilter::perRow, 5};
}

namespace {

// Images whose compressed data may take up to this many bytes are
// compressed into a buffer the thread keeps for its next image, larger ones
// into a buffer of their own.
#ifdef _WIN32
// No buffer is kept per thread in the MinGW build (see rowSpace above).
constexpr std::size_t largestKeptBuffer = 0;
#else
constexpr std::size_t largestKeptBuffer = std::size_t {1} << 20U;
#endif

// A zlib stream of the filtered image, in a buffer with room for the bytes
// that come before and after the IDAT data. A buffer of its own is of the
// worst-case size and not filled beforehand, so its pages past the
// compressed bytes are never touched and take no memory.
struct CompressedData {
    LargeBlock owned;
    std::uint8_t* buffer = nullptr;
    std::size_t size = 0;

    std::uint8_t* data() const { return buffer + bytesBeforeData; }
};

// Throws PngSizeError when the stream might not fit one IDAT chunk.
std::size_t checkedBound(const zlibStream::Compressor& compressor, std::size_t size) {
    const std::size_t bound = compressor.zlibBound(size);
    if (bound > largestChunk) {
        throw PngSizeError("the image is too large for one PNG data chunk");
    }
    return bound;
}

CompressedData compressImage(zlibStream::Compressor& compressor, std::span<const std::uint8_t> data) {
    const std::size_t bound = checkedBound(compressor, data.size());
    const std::size_t total = bytesBeforeData + bound + bytesAfterData;
    CompressedData compressed;
    if (bound <= largestKeptBuffer) {
        thread_local std::vector<std::uint8_t> kept;
        if (kept.size() < total) {
            kept.resize(bytesBeforeData + largestKeptBuffer + bytesAfterData);
        }
        compressed.buffer = kept.data();
    } else {
        compressed.owned = LargeBlock(total);
        compressed.buffer = compressed.owned.data();
    }
    compressed.size = compressor.zlibCompress(data.data(), data.size(), compressed.data(), bound);
    if (compressed.size == 0) {
        throw std::logic_error("the compressor found its own bound too small");
    }
    return compressed;
}

} // namespace

std::vector<std::uint8_t> encodePng(PixelRows&& rows, PngSettings settings) {
    PixelRows image = std::move(rows);
    if (image.width() == 0 || image.height() == 0) {
        throw PngSizeError("a PNG image cannot have a zero side");
    }
    const std::span<std::uint8_t> data = image.block();
    zlibStream::Compressor compressor(settings.level);
    (void)checkedBound(compressor, data.size()); // before the rows are filtered
    filterRows(image, settings.filter);

    const CompressedData compressed = compressImage(compressor, data);

    std::uint8_t* out = compressed.buffer;
    std::memcpy(out, signature.data(), signature.size());

    std::uint8_t* header = out + signature.size();
    std::memcpy(header + 4, "IHDR", 4);
    storeU32BE(header + 8, image.width());
    storeU32BE(header + 12, image.height());
    header[16] = 8; // bits per channel
    header[17] = 6; // colour type: truecolour with alpha
    header[18] = 0; // compression method: deflate
    header[19] = 0; // filter method: the five row filters
    header[20] = 0; // not interlaced
    finishChunk(header, 13);

    std::uint8_t* idat = header + 12 + 13;
    std::memcpy(idat + 4, "IDAT", 4);
    finishChunk(idat, compressed.size);

    std::uint8_t* end = idat + 12 + compressed.size;
    std::memcpy(end + 4, "IEND", 4);
    finishChunk(end, 0);

    image = PixelRows(); // before the copy below takes more memory
    return std::vector<std::uint8_t>(out, out + bytesBeforeData + compressed.size + bytesAfterData);
}
