#pragma once

#include <optional>

#include "texture/ImageSize.h"
#include "texture/PixelFormat.h"

// The size an atlas of this record size is decoded and written at under
// `rule`. Nothing when a side that must be rounded exceeds 2^31 and so has
// no 32-bit power of two.
std::optional<ImageSize> decodeSize(ImageSize recordSize, SizeRule rule);
