#include "texture/decodeEtcBlock.h"

#include <algorithm>
#include <cstddef>

#include "texture/etcTables.h"

namespace {

// Paint-colour distances of the T and H modes, by 3-bit distance index: the
// distance table of the Khronos Data Format, section on ETC2.
constexpr std::array<int, 8> distanceTable = {3, 6, 11, 16, 23, 32, 41, 64};

using Rgb = std::array<int, 3>;
using Rgba8 = std::array<std::uint8_t, 4>;
// The four colours a block's pixels choose from by their 2-bit index.
using Palette = std::array<Rgba8, 4>;

// The 64 bits of a block: bit 63 is the top bit of byte 0, bit 0 the low bit of byte 7.
struct BlockBits {
    std::uint64_t value;

    // Bits high..low as an unsigned number.
    constexpr int field(unsigned high, unsigned low) const {
        return static_cast<int>((value >> low) & ((std::uint64_t{1} << (high - low + 1U)) - 1U));
    }
    constexpr int bit(unsigned n) const { return field(n, n); }
};

// A 3-bit two's-complement value (-4..3).
constexpr int signExtend3(int v) { return v >= 4 ? v - 8 : v; }

constexpr std::uint8_t clampToByte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

// Base colour channels (0..255) plus a modifier or distance (-183..183) stay
// within -255..510; this table clamps them with one load.
constexpr std::array<std::uint8_t, 766> clampTable = [] {
    std::array<std::uint8_t, 766> table{};
    for (int v = -255; v <= 510; ++v) {
        table[static_cast<std::size_t>(v + 255)] = clampToByte(v);
    }
    return table;
}();

std::uint8_t clampSmall(int v) { return clampTable[static_cast<std::size_t>(v + 255)]; }

// Each channel offset by delta, then clamped to 0..255; opaque.
Rgba8 offsetColour(const Rgb& colour, int delta) {
    return {clampSmall(colour[0] + delta), clampSmall(colour[1] + delta), clampSmall(colour[2] + delta), 255};
}

void storePixel(EtcTile& tile, unsigned column, unsigned row, const Rgba8& colour) {
    tile[4U * row + column] = colour;
}

// The sub-block colour plus each modifier of its table row, in pixel-index order.
Palette modifiedPalette(const Rgb& base, int codeword) {
    const auto& modifiers = etcModifierTable[static_cast<std::size_t>(codeword)];
    Palette palette{};
    for (std::size_t index = 0; index < 4; ++index) {
        palette[index] = offsetColour(base, modifiers[etcModifierColumn[index]]);
    }
    return palette;
}

// Every pixel takes the palette colour its index selects; with flip 0 the
// second palette serves columns 2-3, with flip 1 rows 2-3.
EtcTile paintTile(const BlockBits& bits, const Palette& first, const Palette& second, bool flip) {
    const std::array<const Palette*, 2> palettes = {&first, &second};
    // Pixel (column, row) is numbered i = 4 * column + row (down the columns);
    // its 2-bit index has the MSB at block bit 16 + i and the LSB at bit i.
    // Columns 2-3 are i >= 8; rows 2-3 have bit 1 of i set.
    const unsigned secondHalfBit = flip ? 2U : 8U;
    const auto lsbs = static_cast<std::uint32_t>(bits.value & 0xFFFFU);
    const auto msbs = static_cast<std::uint32_t>((bits.value >> 16) & 0xFFFFU);
    EtcTile tile{};
    for (unsigned i = 0; i < 16; ++i) {
        const unsigned index = (((msbs >> i) & 1U) << 1) | ((lsbs >> i) & 1U);
        const Palette& palette = *palettes[(i & secondHalfBit) != 0 ? 1U : 0U];
        tile[4U * (i & 3U) + (i >> 2)] = palette[index];
    }
    return tile;
}

EtcTile decodeIndividualOrDifferential(const BlockBits& bits, bool differential) {
    Rgb base1{};
    Rgb base2{};
    for (unsigned c = 0; c < 3; ++c) {
        const unsigned high = 63U - 8U * c; // R, G, B fields start at bits 63, 55, 47
        if (differential) {
            const int value = bits.field(high, high - 4U);
            base1[c] = extend5To8(value);
            base2[c] = extend5To8(value + signExtend3(bits.field(high - 5U, high - 7U)));
        } else {
            base1[c] = extend4To8(bits.field(high, high - 3U));
            base2[c] = extend4To8(bits.field(high - 4U, high - 7U));
        }
    }
    return paintTile(bits, modifiedPalette(base1, bits.field(39, 37)), modifiedPalette(base2, bits.field(36, 34)),
                     bits.bit(32) != 0);
}

EtcTile decodeTMode(const BlockBits& bits) {
    const Rgb colour0 = {extend4To8((bits.field(60, 59) << 2) | bits.field(57, 56)), extend4To8(bits.field(55, 52)),
                         extend4To8(bits.field(51, 48))};
    const Rgb colour1 = {extend4To8(bits.field(47, 44)), extend4To8(bits.field(43, 40)),
                         extend4To8(bits.field(39, 36))};
    const int d = distanceTable[static_cast<std::size_t>((bits.field(35, 34) << 1) | bits.bit(32))];
    const Palette paint = {offsetColour(colour0, 0), offsetColour(colour1, d), offsetColour(colour1, 0),
                           offsetColour(colour1, -d)};
    return paintTile(bits, paint, paint, false);
}

EtcTile decodeHMode(const BlockBits& bits) {
    const int r0 = bits.field(62, 59);
    const int g0 = (bits.field(58, 56) << 1) | bits.bit(52);
    const int b0 = (bits.bit(51) << 3) | bits.field(49, 47);
    const int r1 = bits.field(46, 43);
    const int g1 = bits.field(42, 39);
    const int b1 = bits.field(38, 35);
    // The order of the two colours carries the distance index's lowest bit.
    const int orderBit = (r0 * 256 + g0 * 16 + b0) >= (r1 * 256 + g1 * 16 + b1) ? 1 : 0;
    const int d = distanceTable[static_cast<std::size_t>(bits.bit(34) * 4 + bits.bit(32) * 2 + orderBit)];
    const Rgb colour0 = {extend4To8(r0), extend4To8(g0), extend4To8(b0)};
    const Rgb colour1 = {extend4To8(r1), extend4To8(g1), extend4To8(b1)};
    const Palette paint = {offsetColour(colour0, d), offsetColour(colour0, -d), offsetColour(colour1, d),
                           offsetColour(colour1, -d)};
    return paintTile(bits, paint, paint, false);
}

EtcTile decodePlanarMode(const BlockBits& bits) {
    const Rgb origin = {extend6To8(bits.field(62, 57)), extend7To8((bits.bit(56) << 6) | bits.field(54, 49)),
                        extend6To8((bits.bit(48) << 5) | (bits.field(44, 43) << 3) | bits.field(41, 39))};
    const Rgb horizontal = {extend6To8((bits.field(38, 34) << 1) | bits.bit(32)), extend7To8(bits.field(31, 25)),
                            extend6To8(bits.field(24, 19))};
    const Rgb vertical = {extend6To8(bits.field(18, 13)), extend7To8(bits.field(12, 6)),
                          extend6To8(bits.field(5, 0))};
    EtcTile tile{};
    for (unsigned row = 0; row < 4; ++row) {
        for (unsigned column = 0; column < 4; ++column) {
            const int x = static_cast<int>(column);
            const int y = static_cast<int>(row);
            Rgba8 colour = {0, 0, 0, 255};
            for (std::size_t c = 0; c < 3; ++c) {
                // Arithmetic shift: rounds toward minus infinity for negative sums.
                colour[c] = clampToByte(
                    (x * (horizontal[c] - origin[c]) + y * (vertical[c] - origin[c]) + 4 * origin[c] + 2) >> 2);
            }
            storePixel(tile, column, row, colour);
        }
    }
    return tile;
}

// A differential block whose 5-bit base plus offset leaves 0..31 in the red,
// else green, else blue channel is a T, H or planar block respectively.
bool outsideFiveBits(const BlockBits& bits, unsigned high) {
    const int sum = bits.field(high, high - 4U) + signExtend3(bits.field(high - 5U, high - 7U));
    return sum < 0 || sum > 31;
}

} // namespace

EtcTile decodeEtcBlock(std::uint32_t word1, std::uint32_t word2) {
    const BlockBits bits{(std::uint64_t{word1} << 32) | word2};
    if (bits.bit(33) == 0) {
        return decodeIndividualOrDifferential(bits, false);
    }
    if (outsideFiveBits(bits, 63)) {
        return decodeTMode(bits);
    }
    if (outsideFiveBits(bits, 55)) {
        return decodeHMode(bits);
    }
    if (outsideFiveBits(bits, 47)) {
        return decodePlanarMode(bits);
    }
    return decodeIndividualOrDifferential(bits, true);
}
