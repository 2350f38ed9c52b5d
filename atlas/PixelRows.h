#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "atlas/ImageSize.h"

// A decoded image of 8-bit R, G, B, A pixels, top row first. The pixels live
// in one zero-filled block (row y starts at byte y * width * 4) and a table of
// row pointers into it serves the PNG writer. The block is made of 32-bit
// words so that decoders producing whole-pixel words can write into it.
class PixelRows {
public:
    PixelRows() = default;
    // Allocates width * height zero pixels; throws std::bad_alloc when the
    // memory cannot be had and std::length_error when the size has no address.
    explicit PixelRows(ImageSize size);

    ImageSize size() const { return size_; }
    std::uint32_t width() const { return size_.width; }
    std::uint32_t height() const { return size_.height; }

    // All pixels, row after row, 4 bytes each.
    std::span<std::uint8_t> bytes() {
        return {reinterpret_cast<std::uint8_t*>(words_.get()), pixelCount() * 4U};
    }
    std::span<const std::uint8_t> bytes() const {
        return {reinterpret_cast<const std::uint8_t*>(words_.get()), pixelCount() * 4U};
    }
    // All pixels as 32-bit words (byte order in memory R, G, B, A).
    std::span<std::uint32_t> words() { return {words_.get(), pixelCount()}; }

    std::uint8_t* row(std::uint32_t y) { return rows_[y]; }
    const std::uint8_t* row(std::uint32_t y) const { return rows_[y]; }
    // The height row pointers, top row first.
    std::uint8_t* const* rowPointers() const { return rows_.get(); }

private:
    std::size_t pixelCount() const { return std::size_t{size_.width} * size_.height; }

    ImageSize size_;
    std::unique_ptr<std::uint32_t[]> words_;
    std::unique_ptr<std::uint8_t*[]> rows_;
};
