#include "atlas/decodeEtcImage.h"

#include <cstddef>
#include <cstring>

std::uint64_t etcPlaneBytes(ImageSize size) {
    if (size.height < 4) {
        return 0;
    }
    return std::uint64_t{size.width / 4U} * (size.height / 4U) * 8U;
}

void decodeEtcImage(ByteSpan source, std::span<std::uint8_t> destination, ImageSize size) {
    const std::uint64_t rowBytes = std::uint64_t{size.width} * 3U;
    forEachEtcBlock(source, size, [&](const EtcTile& tile, std::uint32_t startX, std::uint32_t startY) {
        for (std::uint32_t row = 0; row < 4; ++row) {
            // A destination smaller than the image only receives the rows that fit.
            const std::uint64_t offset = (std::uint64_t{startY} + row) * rowBytes + std::uint64_t{startX} * 3U;
            if (rangeInside(destination.size(), offset, 12)) {
                std::uint8_t* to = destination.data() + offset;
                for (std::size_t column = 0; column < 4; ++column, to += 3) {
                    std::memcpy(to, tile[4U * row + column].data(), 3U);
                }
            }
        }
    });
}
