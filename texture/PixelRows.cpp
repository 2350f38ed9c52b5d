#include "texture/PixelRows.h"

#include <limits>
#include <new>
#include <stdexcept>

PixelRows::PixelRows(ImageSize size) : size_(size) {
    const std::uint64_t blockBytes = (std::uint64_t{size.width} * 4U + 1U) * size.height;
    if (blockBytes > static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max())) {
        size_ = {};
        throw std::length_error("image too large to address");
    }
    try {
        block_ = LargeBlock(static_cast<std::size_t>(blockBytes));
    } catch (const std::bad_alloc&) {
        size_ = {};
        throw;
    }
}
