#include "atlas/decodeSize.h"

#include <algorithm>
#include <cstdint>

#include "core/Bytes.h"

namespace {

constexpr std::uint32_t largestRoundableSide = std::uint32_t{1} << 31;

std::optional<ImageSize> roundedSides(ImageSize size) {
    if (size.width > largestRoundableSide || size.height > largestRoundableSide) {
        return std::nullopt;
    }
    return ImageSize{roundUpToPowerOfTwo(size.width), roundUpToPowerOfTwo(size.height)};
}

} // namespace

std::optional<ImageSize> decodeSize(ImageSize recordSize, std::string_view formatName) {
    if (formatName.find("ETC1") != std::string_view::npos) {
        return roundedSides(recordSize);
    }
    if (formatName.find("PVRTC4") != std::string_view::npos) {
        const std::optional<ImageSize> rounded = roundedSides(recordSize);
        if (!rounded) {
            return std::nullopt;
        }
        const std::uint32_t side = std::max(rounded->width, rounded->height);
        return ImageSize{side, side};
    }
    return recordSize;
}
