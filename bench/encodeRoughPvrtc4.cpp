#include "bench/encodeRoughPvrtc4.h"

#include <algorithm>
#include <array>

#include "librarypackage/pvrtccompressor/pvrtcdecoder.h"

namespace {

std::uint32_t bits(int value, int width) {
    return static_cast<std::uint32_t>(std::clamp(value, 0, (1 << width) - 1));
}

// Colour A sits in bits 1-15 and colour B in bits 17-31 of the colour word;
// bit 15 / bit 31 marks an opaque colour (R5 G5 B4 / R5 G5 B5), otherwise
// the colour holds A3 R4 G4 B3 / A3 R4 G4 B4.
std::uint32_t colourWord(const std::array<int, 4>& low, const std::array<int, 4>& high, bool opaque) {
    std::uint32_t word = 0; // bit 0: modulation mode 0 (standard)
    if (opaque) {
        word |= (1U << 15) | (bits(low[0] >> 3, 5) << 10) | (bits(low[1] >> 3, 5) << 5) | (bits(low[2] >> 4, 4) << 1);
        word |= (1U << 31) | (bits(high[0] >> 3, 5) << 26) | (bits(high[1] >> 3, 5) << 21) |
                (bits(high[2] >> 3, 5) << 16);
    } else {
        word |= (bits(low[3] >> 5, 3) << 12) | (bits(low[0] >> 4, 4) << 8) | (bits(low[1] >> 4, 4) << 4) |
                (bits(low[2] >> 5, 3) << 1);
        word |= (bits(high[3] >> 5, 3) << 28) | (bits(high[0] >> 4, 4) << 24) | (bits(high[1] >> 4, 4) << 20) |
                (bits(high[2] >> 4, 4) << 16);
    }
    return word;
}

} // namespace

std::vector<std::uint8_t> encodeRoughPvrtc4(const std::vector<std::uint8_t>& rgba, std::uint32_t side) {
    const std::uint32_t blocks = side / 4U;
    std::vector<std::uint8_t> out(std::size_t{blocks} * blocks * 8U, 0);
    for (std::uint32_t by = 0; by < blocks; ++by) {
        for (std::uint32_t bx = 0; bx < blocks; ++bx) {
            std::array<int, 4> sum {};
            std::array<int, 16> lum {};
            for (std::uint32_t i = 0; i < 16; ++i) {
                const std::uint8_t* p = &rgba[(std::size_t{by * 4U + i / 4U} * side + bx * 4U + i % 4U) * 4U];
                for (std::size_t c = 0; c < 4; ++c) {
                    sum[c] += p[c];
                }
                lum[i] = p[0] + 2 * p[1] + p[2];
            }
            std::array<int, 4> low {};
            std::array<int, 4> high {};
            for (std::size_t c = 0; c < 4; ++c) {
                low[c] = std::max(0, sum[c] / 16 - (c == 3 ? 0 : 24));
                high[c] = std::min(255, sum[c] / 16 + (c == 3 ? 0 : 24));
            }
            const int mean = (sum[0] + 2 * sum[1] + sum[2]) / 16;
            std::uint32_t modulation = 0;
            for (std::uint32_t i = 0; i < 16; ++i) {
                // 0: colour A, 1: 3/8 towards B, 2: 5/8, 3: colour B.
                const int d = lum[i] - mean;
                const std::uint32_t m = d < -40 ? 0U : d < 0 ? 1U : d < 40 ? 2U : 3U;
                modulation |= m << (2U * i);
            }
            const std::uint32_t colours = colourWord(low, high, sum[3] / 16 >= 250);
            std::uint8_t* block = &out[std::size_t{pvrtcMortonIndex(bx, by)} * 8U];
            for (unsigned b = 0; b < 4; ++b) {
                block[b] = static_cast<std::uint8_t>(modulation >> (8U * b));
                block[4 + b] = static_cast<std::uint8_t>(colours >> (8U * b));
            }
        }
    }
    return out;
}
