#include "atlas/PixelRows.h"

#include <limits>
#include <stdexcept>

PixelRows::PixelRows(ImageSize size) : size_(size) {
    const std::uint64_t pixels = std::uint64_t{size.width} * size.height;
    if (pixels > std::numeric_limits<std::size_t>::max() / 4U) {
        throw std::length_error("image too large to address");
    }
    words_ = std::make_unique<std::uint32_t[]>(static_cast<std::size_t>(pixels));
    rows_ = std::make_unique<std::uint8_t*[]>(size.height);
    std::uint8_t* first = reinterpret_cast<std::uint8_t*>(words_.get());
    for (std::uint32_t y = 0; y < size.height; ++y) {
        rows_[y] = first + std::size_t{y} * size.width * 4U;
    }
}
