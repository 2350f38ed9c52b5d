#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>

#include "platform/LargeBlock.h"
#include "texture/ImageSize.h"

// A decoded image of 8-bit R, G, B, A pixels, top row first, in one
// zero-filled block laid out as a PNG encoder wants it: every row is one
// spare byte followed by width * 4 pixel bytes, so the encoder can write a
// row's filter type in front of it and compress the whole block as it is.
// Rows are therefore not aligned to 4 bytes: store pixel words with
// storePixel, never through a cast pointer.
class PixelRows {
public:
    PixelRows() = default;
    // Allocates width * height zero pixels; throws std::bad_alloc when the
    // memory cannot be had and std::length_error when the size has no address.
    explicit PixelRows(ImageSize size);

    ImageSize size() const { return size_; }
    std::uint32_t width() const { return size_.width; }
    std::uint32_t height() const { return size_.height; }

    // The width * 4 pixel bytes of row y.
    std::uint8_t* row(std::uint32_t y) { return block_.data() + std::size_t{y} * stride() + 1U; }
    const std::uint8_t* row(std::uint32_t y) const { return block_.data() + std::size_t{y} * stride() + 1U; }

    // Bytes from one row's spare byte to the next one's: 1 + width * 4.
    std::size_t stride() const { return std::size_t{size_.width} * 4U + 1U; }
    // The whole block, height * stride bytes, each row preceded by its spare byte.
    std::span<std::uint8_t> block() { return {block_.data(), std::size_t{size_.height} * stride()}; }
    // Bytes of pixel data alone: width * height * 4.
    std::size_t pixelBytes() const { return std::size_t{size_.width} * size_.height * 4U; }

private:
    ImageSize size_;
    // A large block's zero pages cost nothing until they are written.
    LargeBlock block_;
};

// Stores the pixel word R | G << 8 | B << 16 | A << 24 at `to` (any
// alignment) as the bytes R, G, B, A. On a little-endian machine that is one
// word store: byte-wise stores of this pattern compile to slow partial writes.
inline void storePixel(std::uint8_t* to, std::uint32_t rgba) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(to, &rgba, 4);
    } else {
        to[0] = static_cast<std::uint8_t>(rgba);
        to[1] = static_cast<std::uint8_t>(rgba >> 8);
        to[2] = static_cast<std::uint8_t>(rgba >> 16);
        to[3] = static_cast<std::uint8_t>(rgba >> 24);
    }
}
