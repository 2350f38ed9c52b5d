#pragma once

#include <cstdint>

#include "texture/ImageSize.h"
#include "texture/PixelRows.h"

// Longest side of a gallery thumbnail.
inline constexpr std::uint32_t thumbnailSide = 256;

// The size of the thumbnail of an image of `size`: the image scaled so that
// its longer side is at most thumbnailSide, keeping its proportions (each
// side at least 1); an image that already fits keeps its size.
ImageSize thumbnailSize(ImageSize size);

// The thumbnail of `image`, at thumbnailSize: each thumbnail pixel is the
// average of the image's pixels under it, each weighted by the part of it
// that the thumbnail pixel covers and, for the colour, by its alpha, so that
// the colour of transparent pixels (often black) does not darken the edges
// of what they surround. An image that fits is copied as it is. Throws
// std::bad_alloc when memory cannot be had.
PixelRows makeThumbnail(const PixelRows& image);
