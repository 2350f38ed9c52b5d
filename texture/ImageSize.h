#pragma once

#include <cstdint>

// An image's width and height in pixels.
struct ImageSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;

    bool operator==(const ImageSize&) const = default;
};
