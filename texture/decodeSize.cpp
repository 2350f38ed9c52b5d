#include "texture/decodeSize.h"

#include <algorithm>
#include <cstdint>

#include "core/Bytes.h"

std::optional<ImageSize> decodeSize(ImageSize recordSize, SizeRule rule) {
    if (rule == SizeRule::recordSize) {
        return recordSize;
    }
    constexpr std::uint32_t largestRoundableSide = std::uint32_t{1} << 31;
    if (recordSize.width > largestRoundableSide || recordSize.height > largestRoundableSide) {
        return std::nullopt;
    }
    const ImageSize rounded{roundUpToPowerOfTwo(recordSize.width), roundUpToPowerOfTwo(recordSize.height)};
    if (rule == SizeRule::powerOfTwoSides) {
        return rounded;
    }
    const std::uint32_t side = std::max(rounded.width, rounded.height);
    return ImageSize{side, side};
}
