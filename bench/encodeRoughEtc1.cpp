#include "bench/encodeRoughEtc1.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

// The ETC1 modifier tables (Khronos OES_compressed_ETC1_RGB8_texture):
// the small and the large step of each codeword.
constexpr std::array<std::array<int, 2>, 8> modifierTable = {{
    {2, 8}, {5, 17}, {9, 29}, {13, 42}, {18, 60}, {24, 80}, {33, 106}, {47, 183},
}};

struct Half {
    std::array<int, 3> base5 {}; // 5-bit base colour
    int table = 0;
    std::array<int, 8> indices {}; // 2-bit selector per pixel, in the half's pixel order
};

int expand5(int v) { return (v << 3) | (v >> 2); }

int luminance(const std::uint8_t* p) { return (p[0] + 2 * p[1] + p[2]) / 4; }

// A 2 x 4 half (flip bit 0: the left or the right two columns).
Half encodeHalf(const std::vector<std::uint8_t>& rgba, std::uint32_t width, std::uint32_t bx, std::uint32_t by,
                std::uint32_t firstColumn) {
    std::array<const std::uint8_t*, 8> pixels {};
    std::array<int, 3> sum {};
    for (std::uint32_t i = 0; i < 8; ++i) {
        const std::uint32_t x = bx + firstColumn + i / 4U;
        const std::uint32_t y = by + i % 4U;
        pixels[i] = &rgba[(std::size_t{y} * width + x) * 4U];
        for (int c = 0; c < 3; ++c) {
            sum[static_cast<std::size_t>(c)] += pixels[i][c];
        }
    }
    Half half;
    for (std::size_t c = 0; c < 3; ++c) {
        half.base5[c] = std::clamp((sum[c] / 8 + 4) >> 3, 0, 31);
    }
    const int baseLum = (expand5(half.base5[0]) + 2 * expand5(half.base5[1]) + expand5(half.base5[2])) / 4;
    int spread = 0;
    for (const std::uint8_t* p : pixels) {
        spread = std::max(spread, std::abs(luminance(p) - baseLum));
    }
    while (half.table < 7 && modifierTable[static_cast<std::size_t>(half.table)][1] < spread) {
        ++half.table;
    }
    const auto& steps = modifierTable[static_cast<std::size_t>(half.table)];
    // Selector values: 0 = +small, 1 = +large, 2 = -small, 3 = -large.
    const std::array<int, 4> offsets = {steps[0], steps[1], -steps[0], -steps[1]};
    for (std::size_t i = 0; i < 8; ++i) {
        const int want = luminance(pixels[i]) - baseLum;
        int best = 0;
        for (int s = 1; s < 4; ++s) {
            if (std::abs(offsets[static_cast<std::size_t>(s)] - want) <
                std::abs(offsets[static_cast<std::size_t>(best)] - want)) {
                best = s;
            }
        }
        half.indices[i] = best;
    }
    return half;
}

} // namespace

std::vector<std::uint8_t> encodeRoughEtc1(const std::vector<std::uint8_t>& rgba, std::uint32_t width,
                                          std::uint32_t height) {
    std::vector<std::uint8_t> out;
    out.reserve(std::size_t{width} * height / 2U);
    for (std::uint32_t by = 0; by + 4 <= height; by += 4) {
        for (std::uint32_t bx = 0; bx + 4 <= width; bx += 4) {
            const Half left = encodeHalf(rgba, width, bx, by, 0);
            Half right = encodeHalf(rgba, width, bx, by, 2);
            std::uint64_t word = 0;
            for (std::size_t c = 0; c < 3; ++c) {
                // The second colour is stored as a 3-bit signed step from the first.
                const int delta = std::clamp(right.base5[c] - left.base5[c], -4, 3);
                const auto shift = static_cast<unsigned>(59 - 8 * static_cast<int>(c));
                word |= static_cast<std::uint64_t>(left.base5[c]) << shift;
                word |= static_cast<std::uint64_t>(delta & 7) << (shift - 3U);
            }
            word |= static_cast<std::uint64_t>(left.table) << 37;
            word |= static_cast<std::uint64_t>(right.table) << 34;
            word |= std::uint64_t{1} << 33; // differential mode, flip bit 0
            // Pixel (x, y) of the block owns bit x * 4 + y of each selector half-word.
            for (std::uint32_t i = 0; i < 16; ++i) {
                const int selector = i < 8 ? left.indices[i] : right.indices[i - 8U];
                word |= static_cast<std::uint64_t>((selector >> 1) & 1) << (16U + i);
                word |= static_cast<std::uint64_t>(selector & 1) << i;
            }
            for (int b = 7; b >= 0; --b) {
                out.push_back(static_cast<std::uint8_t>(word >> (8 * b)));
            }
        }
    }
    return out;
}
