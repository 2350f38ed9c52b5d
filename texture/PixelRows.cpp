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
    block_.reset(static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(blockBytes), 1)));
    if (!block_ && blockBytes != 0) {
        size_ = {};
        throw std::bad_alloc();
    }
}
