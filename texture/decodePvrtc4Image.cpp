#include "texture/decodePvrtc4Image.h"

#include <array>
#include <bit>
#include <cstddef>
#include <utility>
#include <vector>

// The packet layout (modulation word, colour word with its opaque and
// translucent colour layouts and the punch-through flag), the modulation
// weights and the Morton packet order follow the Khronos Data Format,
// section on PVRTC compressed texture formats. The reconstruction of each
// pixel from the low-resolution colour images A and B of its four nearest
// packets is the bilinear upscaling of S. Fenney, "Texture Compression using
// Low-Frequency Signal Modulation" (Graphics Hardware 2003).

namespace {

// Colour channel scales from 5, 4 and 3 bits to 8 bits: floor(v * 255 / max).
// They reach 0 and 255 at the ends, as bit replication does; the 4-bit table
// is bit replication itself (v * 17), the 5- and 3-bit ones differ from it by
// at most one and are kept so that decoded pixels do not change.
constexpr std::array<std::uint8_t, 32> scale5 = {
    0,   8,   16,  24,  32,  41,  49,  57,  65,  74,  82,  90,  98,  106, 115, 123,
    131, 139, 148, 156, 164, 172, 180, 189, 197, 205, 213, 222, 230, 238, 246, 255,
};
constexpr std::array<std::uint8_t, 16> scale4 = {
    0, 17, 34, 51, 68, 85, 102, 119, 136, 153, 170, 187, 204, 221, 238, 255,
};
constexpr std::array<std::uint8_t, 8> scale3 = {0, 36, 72, 109, 145, 182, 218, 255};

// Bilinear factors of the four nearest packets (x0,y0), (x1,y0), (x0,y1),
// (x1,y1) for pixel (px, py) of a block, row 4*py + px. Each row sums to 16.
constexpr std::array<std::array<std::uint8_t, 4>, 16> bilinearFactors = {{
    // px = 0        px = 1         px = 2          px = 3
    {4, 4, 4, 4},  {2, 6, 2, 6},  {8, 0, 8, 0},   {6, 2, 6, 2},  // py = 0
    {2, 2, 6, 6},  {1, 3, 3, 9},  {4, 0, 12, 0},  {3, 1, 9, 3},  // py = 1
    {8, 8, 0, 0},  {4, 12, 0, 0}, {16, 0, 0, 0},  {12, 4, 0, 0}, // py = 2
    {6, 6, 2, 2},  {3, 9, 1, 3},  {12, 0, 4, 0},  {9, 3, 3, 1},  // py = 3
}};

// Per-axis weights of the same interpolation: pixel offset p (0..3) inside
// its block weighs the lower and the upper of its two packets along that
// axis; the two packets are (previous, own) for p < 2 and (own, next) after.
// The factor table above is the product of the two axes' weights, which lets
// the decoder interpolate along columns first and then along rows.
constexpr std::array<std::array<std::uint8_t, 2>, 4> axisWeights = {{{2, 2}, {1, 3}, {4, 0}, {3, 1}}};

constexpr bool factorsAreAxisProducts() {
    for (std::size_t py = 0; py < 4; ++py) {
        for (std::size_t px = 0; px < 4; ++px) {
            const auto& f = bilinearFactors[4 * py + px];
            const auto& wx = axisWeights[px];
            const auto& wy = axisWeights[py];
            if (f[0] != wx[0] * wy[0] || f[1] != wx[1] * wy[0] || f[2] != wx[0] * wy[1] || f[3] != wx[1] * wy[1]) {
                return false;
            }
        }
    }
    return true;
}
static_assert(factorsAreAxisProducts());

// Blend weights in eighths (colour A, colour B, alpha A, alpha B), row
// punch * 4 + modulation: the standard mode's 0, 3/8, 5/8 and all of colour B,
// and the punch-through mode's 0, 1/2, 1/2 with zero alpha, and all of B.
constexpr std::array<std::array<std::uint8_t, 4>, 8> blendWeights = {{
    {8, 0, 8, 0}, {5, 3, 5, 3}, {3, 5, 3, 5}, {0, 8, 0, 8}, // standard
    {8, 0, 8, 0}, {4, 4, 4, 4}, {4, 4, 0, 0}, {0, 8, 0, 8}, // punch-through
}};

// Entry v holds bit k of v at bit 2k.
constexpr std::array<std::uint16_t, 256> spreadBitsTable = [] {
    std::array<std::uint16_t, 256> table{};
    for (unsigned v = 0; v < 256; ++v) {
        unsigned spread = 0;
        for (unsigned k = 0; k < 8; ++k) {
            spread |= ((v >> k) & 1U) << (2U * k);
        }
        table[v] = static_cast<std::uint16_t>(spread);
    }
    return table;
}();

std::uint32_t spreadBits(std::uint32_t v) {
    return std::uint32_t{spreadBitsTable[v & 255U]} | (std::uint32_t{spreadBitsTable[(v >> 8) & 255U]} << 16);
}

// A colour with its channels in 16-bit lanes, R lowest and A highest, the
// order of the pixel word's bytes. Bilinear sums (at most 16 * 255) and the
// weighted blend (at most 8 * 16 * 255) both stay below 2^16, so whole colours
// can be scaled and added as one 64-bit integer with no carry between lanes.
using LaneColour = std::uint64_t;

constexpr LaneColour laneColour(unsigned r, unsigned g, unsigned b, unsigned a) {
    return LaneColour{r} | (LaneColour{g} << 16) | (LaneColour{b} << 32) | (LaneColour{a} << 48);
}

constexpr unsigned field(std::uint32_t word, unsigned low, unsigned width) {
    return (word >> low) & ((1U << width) - 1U);
}

LaneColour colourA(std::uint32_t colourWord) {
    if ((colourWord & (1U << 15)) != 0) {
        return laneColour(scale5[field(colourWord, 10, 5)], scale5[field(colourWord, 5, 5)],
                          scale4[field(colourWord, 1, 4)], 255);
    }
    return laneColour(scale4[field(colourWord, 8, 4)], scale4[field(colourWord, 4, 4)],
                      scale3[field(colourWord, 1, 3)], scale3[field(colourWord, 12, 3)]);
}

LaneColour colourB(std::uint32_t colourWord) {
    if ((colourWord & (1U << 31)) != 0) {
        return laneColour(scale5[field(colourWord, 26, 5)], scale5[field(colourWord, 21, 5)],
                          scale5[field(colourWord, 16, 5)], 255);
    }
    return laneColour(scale4[field(colourWord, 24, 4)], scale4[field(colourWord, 20, 4)],
                      scale4[field(colourWord, 16, 4)], scale3[field(colourWord, 28, 3)]);
}

// One packet with its two colours decoded once, for every pixel that reads it.
struct DecodedPacket {
    LaneColour a = 0;
    LaneColour b = 0;
    std::uint32_t modulation = 0;
    std::uint32_t punchThrough = 0;
};

// The packet with this Morton number; bytes past the end of `data` read as zero.
DecodedPacket loadPacket(ByteSpan data, std::uint32_t morton) {
    const std::uint64_t offset = std::uint64_t{morton} * 8U;
    std::array<std::uint8_t, 8> bytes{};
    if (rangeInside(data.size(), offset, 8)) {
        for (std::size_t i = 0; i < 8; ++i) {
            bytes[i] = data[static_cast<std::size_t>(offset) + i];
        }
    } else {
        for (std::uint64_t i = 0; i < 8; ++i) {
            if (offset + i < data.size()) {
                bytes[i] = data[static_cast<std::size_t>(offset + i)];
            }
        }
    }
    const std::uint32_t colourWord = loadU32LE(bytes.data() + 4);
    return DecodedPacket{colourA(colourWord), colourB(colourWord), loadU32LE(bytes.data()), colourWord & 1U};
}

void decodePacketRow(ByteSpan data, std::uint32_t blockY, std::vector<DecodedPacket>& row) {
    const std::uint32_t spreadY = spreadBits(blockY);
    for (std::uint32_t blockX = 0; blockX < row.size(); ++blockX) {
        row[blockX] = loadPacket(data, spreadY | (spreadBits(blockX) << 1));
    }
}

// Blends the interpolated colours by the weight row and packs the lanes, each
// (sum >> 7), into the pixel word R | G << 8 | B << 16 | A << 24.
std::uint32_t blendPixel(LaneColour interpolatedA, LaneColour interpolatedB, const std::array<std::uint8_t, 4>& w) {
    constexpr LaneColour alphaLane = LaneColour{0xFFFF} << 48;
    const LaneColour colour = interpolatedA * w[0] + interpolatedB * w[1];
    const LaneColour alpha = interpolatedA * w[2] + interpolatedB * w[3];
    LaneColour lanes = (((colour & ~alphaLane) | (alpha & alphaLane)) >> 7) & 0x00FF00FF00FF00FFULL;
    lanes = (lanes | (lanes >> 8)) & 0x0000FFFF0000FFFFULL;
    return static_cast<std::uint32_t>(lanes | (lanes >> 16));
}

} // namespace

std::uint32_t pvrtcMortonIndex(std::uint32_t blockX, std::uint32_t blockY) {
    return spreadBits(blockY) | (spreadBits(blockX) << 1);
}

std::uint64_t decodePvrtc4Image(ByteSpan source, PixelRows& rows) {
    const std::uint32_t side = rows.width();
    if (rows.height() != side || side < 4 || !std::has_single_bit(side)) {
        return 0;
    }
    const std::uint32_t blocks = side / 4U;
    const std::uint32_t mask = blocks - 1U;

    // Only three packet rows are needed at a time: the row above (wrapping to
    // the bottom), the current row and the row below (wrapping to the top).
    std::vector<DecodedPacket> above(blocks);
    std::vector<DecodedPacket> current(blocks);
    std::vector<DecodedPacket> below(blocks);
    decodePacketRow(source, mask, above);
    decodePacketRow(source, 0, current);
    decodePacketRow(source, 1U & mask, below);

    // Colours A and B of each packet column interpolated down to one pixel row.
    std::vector<LaneColour> columnA(blocks);
    std::vector<LaneColour> columnB(blocks);

    for (std::uint32_t y = 0; y < blocks; ++y) {
        for (std::uint32_t py = 0; py < 4; ++py) {
            const std::vector<DecodedPacket>& upper = py < 2 ? above : current;
            const std::vector<DecodedPacket>& lower = py < 2 ? current : below;
            const auto& wy = axisWeights[py];
            for (std::uint32_t x = 0; x < blocks; ++x) {
                columnA[x] = upper[x].a * wy[0] + lower[x].a * wy[1];
                columnB[x] = upper[x].b * wy[0] + lower[x].b * wy[1];
            }
            std::uint8_t* out = rows.row(4U * y + py);
            for (std::uint32_t x = 0; x < blocks; ++x, out += 16) {
                const std::uint32_t left = (x + mask) & mask;
                const std::uint32_t right = (x + 1U) & mask;
                const DecodedPacket& own = current[x];
                const auto* weights = &blendWeights[own.punchThrough * 4U];
                const std::uint32_t modulation = own.modulation >> (8U * py);
                for (std::uint32_t px = 0; px < 4; ++px) {
                    const std::uint32_t x0 = px < 2 ? left : x;
                    const std::uint32_t x1 = px < 2 ? x : right;
                    const auto& wx = axisWeights[px];
                    const LaneColour a = columnA[x0] * wx[0] + columnA[x1] * wx[1];
                    const LaneColour b = columnB[x0] * wx[0] + columnB[x1] * wx[1];
                    storePixel(out + 4U * px, blendPixel(a, b, weights[(modulation >> (2U * px)) & 3U]));
                }
            }
        }
        if (y + 1U < blocks) {
            std::swap(above, current);
            std::swap(current, below);
            decodePacketRow(source, (y + 2U) & mask, below);
        }
    }
    return bytesPastEnd(source.size(), 0, std::uint64_t{blocks} * blocks * 8U);
}
