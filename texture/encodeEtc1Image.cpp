#include "texture/encodeEtc1Image.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <stdexcept>

#include "texture/etcTables.h"
#include "core/Bytes.h"

namespace {

// Modifier column to the 2-bit pixel index that selects it (inverse of the
// decoder's index-to-column map 0->2, 1->3, 2->1, 3->0).
static constexpr std::array<std::uint32_t, 4> indexOfColumn = {3, 2, 0, 1};

using Rgb = std::array<int, 3>;
using BlockPixels = std::array<Rgb, 16>; // pixel (column c, row r) at 4r + c

constexpr int quantize4(int v) { return (v * 15 + 127) / 255; }
constexpr int quantize5(int v) { return (v * 31 + 127) / 255; }
constexpr int clampToByte(int v) { return std::clamp(v, 0, 255); }

int squaredError(const Rgb& a, const Rgb& b) {
    int sum = 0;
    for (std::size_t c = 0; c < 3; ++c) {
        sum += (a[c] - b[c]) * (a[c] - b[c]);
    }
    return sum;
}

// The pixels of one half of the block: columns 0-1 / 2-3 without flip,
// rows 0-1 / 2-3 with flip.
std::array<std::size_t, 8> halfPixels(bool flip, int half) {
    std::array<std::size_t, 8> pixels{};
    std::size_t n = 0;
    for (std::size_t r = 0; r < 4; ++r) {
        for (std::size_t c = 0; c < 4; ++c) {
            const std::size_t along = flip ? r : c;
            if ((along >= 2) == (half == 1)) {
                pixels[n++] = 4 * r + c;
            }
        }
    }
    return pixels;
}

Rgb averageOf(const BlockPixels& block, const std::array<std::size_t, 8>& pixels) {
    Rgb sum{0, 0, 0};
    for (const std::size_t p : pixels) {
        for (std::size_t c = 0; c < 3; ++c) {
            sum[c] += block[p][c];
        }
    }
    return {(sum[0] + 4) / 8, (sum[1] + 4) / 8, (sum[2] + 4) / 8};
}

// The best codeword for one half with the given base colour, and the
// modifier column of each of its pixels.
struct HalfChoice {
    int error = std::numeric_limits<int>::max();
    std::uint32_t codeword = 0;
    std::array<std::uint32_t, 8> columns{};
};

HalfChoice chooseModifiers(const BlockPixels& block, const std::array<std::size_t, 8>& pixels, const Rgb& base) {
    HalfChoice best;
    for (std::uint32_t codeword = 0; codeword < 8; ++codeword) {
        HalfChoice trial;
        trial.codeword = codeword;
        trial.error = 0;
        for (std::size_t k = 0; k < 8; ++k) {
            int pixelBest = std::numeric_limits<int>::max();
            for (std::uint32_t column = 0; column < 4; ++column) {
                const int m = etcModifierTable[codeword][column];
                const Rgb shown = {clampToByte(base[0] + m), clampToByte(base[1] + m), clampToByte(base[2] + m)};
                const int error = squaredError(shown, block[pixels[k]]);
                if (error < pixelBest) {
                    pixelBest = error;
                    trial.columns[k] = column;
                }
            }
            trial.error += pixelBest;
        }
        if (trial.error < best.error) {
            best = trial;
        }
    }
    return best;
}

struct EncodedBlock {
    int error = std::numeric_limits<int>::max();
    std::uint32_t word1 = 0;
    std::uint32_t word2 = 0;
};

EncodedBlock encodeWithSplit(const BlockPixels& block, bool flip) {
    const std::array<std::array<std::size_t, 8>, 2> halves = {halfPixels(flip, 0), halfPixels(flip, 1)};
    const Rgb average0 = averageOf(block, halves[0]);
    const Rgb average1 = averageOf(block, halves[1]);

    // Differential mode keeps 5 bits per channel when the second colour lies
    // within -4..3 steps of the first; otherwise both get 4 bits.
    Rgb q0{};
    Rgb q1{};
    bool differential = true;
    for (std::size_t c = 0; c < 3; ++c) {
        q0[c] = quantize5(average0[c]);
        q1[c] = quantize5(average1[c]);
        const int delta = q1[c] - q0[c];
        differential = differential && delta >= -4 && delta <= 3;
    }
    Rgb base0{};
    Rgb base1{};
    std::uint32_t word1 = 0;
    for (std::size_t c = 0; c < 3; ++c) {
        const unsigned shift = 24U - 8U * static_cast<unsigned>(c); // R, G, B in bytes 0, 1, 2
        if (differential) {
            base0[c] = extend5To8(q0[c]);
            base1[c] = extend5To8(q1[c]);
            const auto delta = static_cast<std::uint32_t>(q1[c] - q0[c]) & 7U;
            word1 |= ((static_cast<std::uint32_t>(q0[c]) << 3) | delta) << shift;
        } else {
            const int v0 = quantize4(average0[c]);
            const int v1 = quantize4(average1[c]);
            base0[c] = extend4To8(v0);
            base1[c] = extend4To8(v1);
            word1 |= ((static_cast<std::uint32_t>(v0) << 4) | static_cast<std::uint32_t>(v1)) << shift;
        }
    }
    const HalfChoice choice0 = chooseModifiers(block, halves[0], base0);
    const HalfChoice choice1 = chooseModifiers(block, halves[1], base1);
    word1 |= (choice0.codeword << 5) | (choice1.codeword << 2) | ((differential ? 1U : 0U) << 1) | (flip ? 1U : 0U);

    // Pixel (c, r) keeps its index MSB at bit 16 + 4c + r and its LSB at 4c + r.
    std::uint32_t word2 = 0;
    for (std::size_t h = 0; h < 2; ++h) {
        const HalfChoice& choice = h == 0 ? choice0 : choice1;
        for (std::size_t k = 0; k < 8; ++k) {
            const std::size_t p = halves[h][k];
            const auto bit = static_cast<unsigned>(4 * (p % 4) + p / 4);
            const std::uint32_t index = indexOfColumn[choice.columns[k]];
            word2 |= ((index >> 1) << (16U + bit)) | ((index & 1U) << bit);
        }
    }
    return {choice0.error + choice1.error, word1, word2};
}

} // namespace

std::vector<std::uint8_t> encodeEtc1Image(std::span<const std::uint8_t> rgba, std::uint32_t width,
                                          std::uint32_t height) {
    if (width == 0 || height == 0 || width % 4U != 0 || height % 4U != 0) {
        throw std::invalid_argument("ETC1 images need sides that are non-zero multiples of 4");
    }
    if (std::uint64_t{width} * height * 4U != rgba.size()) {
        throw std::invalid_argument("pixel data does not match the image size");
    }
    std::vector<std::uint8_t> blocks(std::size_t{width / 4U} * (height / 4U) * 8U);
    std::uint8_t* out = blocks.data();
    for (std::uint32_t by = 0; by < height / 4U; ++by) {
        for (std::uint32_t bx = 0; bx < width / 4U; ++bx, out += 8) {
            BlockPixels block{};
            for (std::size_t r = 0; r < 4; ++r) {
                for (std::size_t c = 0; c < 4; ++c) {
                    const std::size_t at = ((std::size_t{by} * 4 + r) * width + std::size_t{bx} * 4 + c) * 4;
                    block[4 * r + c] = {rgba[at], rgba[at + 1], rgba[at + 2]};
                }
            }
            const EncodedBlock sideBySide = encodeWithSplit(block, false);
            const EncodedBlock stacked = encodeWithSplit(block, true);
            const EncodedBlock& best = stacked.error < sideBySide.error ? stacked : sideBySide;
            storeU32BE(out, best.word1);
            storeU32BE(out + 4, best.word2);
        }
    }
    return blocks;
}
