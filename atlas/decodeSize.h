#pragma once

#include <optional>
#include <string_view>

#include "atlas/ImageSize.h"

// The size an atlas is decoded and written at. A format name containing
// "ETC1" rounds each side up to a power of two (at least 2); otherwise one
// containing "PVRTC4" rounds both and then makes the image square at the
// larger side; any other name keeps the size. Nothing when a side that must
// be rounded exceeds 2^31 and so has no 32-bit power of two.
std::optional<ImageSize> decodeSize(ImageSize recordSize, std::string_view formatName);
