#include "texture/decodePixels.h"

std::uint64_t decodePixels(ByteSpan source, PixelRows& rows, const PixelFormat& format) {
    return format.decode != nullptr ? format.decode(source, rows) : 0;
}
