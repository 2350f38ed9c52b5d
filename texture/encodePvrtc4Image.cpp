#include "texture/encodePvrtc4Image.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <limits>
#include <stdexcept>

#include "texture/PixelRows.h"
#include "texture/decodePvrtc4Image.h"
#include "core/Bytes.h"

namespace {

using Rgba = std::array<int, 4>;

// Colour blend weights (A, B) of the four modulation values, punch-through off.
static constexpr std::array<std::array<int, 2>, 4> modulationWeights = {{{8, 0}, {5, 3}, {3, 5}, {0, 8}}};

// The code of the representable value nearest to v, for a channel of `bits`
// bits scaled to 8 bits as floor(code * 255 / max).
std::uint32_t nearestCode(int v, unsigned bits) {
    const int max = (1 << bits) - 1;
    std::uint32_t best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int code = 0; code <= max; ++code) {
        const int distance = std::abs(code * 255 / max - v);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<std::uint32_t>(code);
        }
    }
    return best;
}

// Colour A in bits 1-15 of the colour word, colour B in bits 16-31.
std::uint32_t colourWord(const Rgba& low, const Rgba& high) {
    std::uint32_t word = 0;
    if (low[3] == 255) {
        word |= 1U << 15 | nearestCode(low[0], 5) << 10 | nearestCode(low[1], 5) << 5 | nearestCode(low[2], 4) << 1;
    } else {
        word |= nearestCode(low[3], 3) << 12 | nearestCode(low[0], 4) << 8 | nearestCode(low[1], 4) << 4 |
                nearestCode(low[2], 3) << 1;
    }
    if (high[3] == 255) {
        word |= 1U << 31 | nearestCode(high[0], 5) << 26 | nearestCode(high[1], 5) << 21 | nearestCode(high[2], 5) << 16;
    } else {
        word |= nearestCode(high[3], 3) << 28 | nearestCode(high[0], 4) << 24 | nearestCode(high[1], 4) << 20 |
                nearestCode(high[2], 4) << 16;
    }
    return word;
}


} // namespace

std::vector<std::uint8_t> encodePvrtc4Image(std::span<const std::uint8_t> rgba, std::uint32_t side) {
    if (side < 8 || !std::has_single_bit(side) || side > (1U << 15)) {
        throw std::invalid_argument("PVRTC images need a power-of-two side of 8 to 32768");
    }
    if (std::uint64_t{side} * side * 4U != rgba.size()) {
        throw std::invalid_argument("pixel data does not match the image size");
    }
    const std::uint32_t blocks = side / 4U;
    std::vector<std::uint8_t> packets(std::size_t{blocks} * blocks * 8U, 0);

    // Colours: per-channel minimum (A) and maximum (B) of each block.
    for (std::uint32_t by = 0; by < blocks; ++by) {
        for (std::uint32_t bx = 0; bx < blocks; ++bx) {
            Rgba low = {255, 255, 255, 255};
            Rgba high = {0, 0, 0, 0};
            for (std::uint32_t y = 4 * by; y < 4 * by + 4; ++y) {
                for (std::uint32_t x = 4 * bx; x < 4 * bx + 4; ++x) {
                    const std::size_t at = (std::size_t{y} * side + x) * 4U;
                    for (std::size_t c = 0; c < 4; ++c) {
                        low[c] = std::min<int>(low[c], rgba[at + c]);
                        high[c] = std::max<int>(high[c], rgba[at + c]);
                    }
                }
            }
            storeU32LE(packets.data() + 8U * std::size_t{pvrtcMortonIndex(bx, by)} + 4U, colourWord(low, high));
        }
    }

    // With every modulation at 0 (then 3) the decoder shows the interpolated
    // colour A (then B) of each pixel: the two ends each pixel can blend.
    PixelRows interpolatedA(ImageSize{side, side});
    PixelRows interpolatedB(ImageSize{side, side});
    decodePvrtc4Image(packets, interpolatedA);
    for (std::size_t p = 0; p < packets.size(); p += 8) {
        storeU32LE(packets.data() + p, 0xFFFFFFFFU);
    }
    decodePvrtc4Image(packets, interpolatedB);

    for (std::uint32_t by = 0; by < blocks; ++by) {
        for (std::uint32_t bx = 0; bx < blocks; ++bx) {
            std::uint32_t modulation = 0;
            for (std::uint32_t py = 0; py < 4; ++py) {
                for (std::uint32_t px = 0; px < 4; ++px) {
                    const std::uint32_t x = 4 * bx + px;
                    const std::uint32_t y = 4 * by + py;
                    const std::uint8_t* endA = interpolatedA.row(y) + std::size_t{x} * 4U;
                    const std::uint8_t* endB = interpolatedB.row(y) + std::size_t{x} * 4U;
                    const std::uint8_t* wanted = &rgba[(std::size_t{y} * side + x) * 4U];
                    std::uint32_t bestValue = 0;
                    int bestError = std::numeric_limits<int>::max();
                    for (std::uint32_t value = 0; value < 4; ++value) {
                        int error = 0;
                        for (std::size_t c = 0; c < 4; ++c) {
                            const int shown =
                                (endA[c] * modulationWeights[value][0] + endB[c] * modulationWeights[value][1]) / 8;
                            const int diff = shown - wanted[c];
                            error += diff * diff;
                        }
                        if (error < bestError) {
                            bestError = error;
                            bestValue = value;
                        }
                    }
                    modulation |= bestValue << (2U * (4U * py + px));
                }
            }
            storeU32LE(packets.data() + 8U * std::size_t{pvrtcMortonIndex(bx, by)}, modulation);
        }
    }
    return packets;
}
