#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "texture/decodeEtcBlock.h"
#include "texture/decodeEtcImage.h"
#include "core/Bytes.h"

namespace {

using Rgb = std::array<int, 3>;
using Block = std::array<std::uint8_t, 8>;

EtcTile decodeBlock(const Block& b) { return decodeEtcBlock(loadU32BE(b.data()), loadU32BE(b.data() + 4)); }

Rgb pixel(const EtcTile& tile, unsigned column, unsigned row) {
    const auto& p = tile[4U * row + column];
    EXPECT_EQ(p[3], 255) << "tile alpha of (" << column << ", " << row << ")";
    return {p[0], p[1], p[2]};
}

// The second word's bytes for a block whose pixels carry these 2-bit indices,
// given row by row. Pixel (c, r) keeps its MSB at bit 16 + 4c + r and its LSB
// at bit 4c + r.
std::array<std::uint8_t, 4> indexBytes(const std::array<int, 16>& rowMajor) {
    std::uint32_t word = 0;
    for (unsigned r = 0; r < 4; ++r) {
        for (unsigned c = 0; c < 4; ++c) {
            const auto index = static_cast<std::uint32_t>(rowMajor[4 * r + c]);
            const unsigned i = 4 * c + r;
            word |= ((index >> 1) & 1U) << (16 + i);
            word |= (index & 1U) << i;
        }
    }
    return {static_cast<std::uint8_t>(word >> 24), static_cast<std::uint8_t>(word >> 16),
            static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)};
}

Block withIndices(std::array<std::uint8_t, 4> first, const std::array<int, 16>& rowMajor) {
    const auto second = indexBytes(rowMajor);
    return {first[0], first[1], first[2], first[3], second[0], second[1], second[2], second[3]};
}

// One block and its whole expected 4 x 4 picture, row by row.
struct BlockCase {
    const char* name;
    Block block;
    std::array<Rgb, 16> expected;
};

std::array<Rgb, 16> uniform(Rgb colour) {
    std::array<Rgb, 16> all{};
    all.fill(colour);
    return all;
}

std::array<Rgb, 16> rowsOf(Rgb top, Rgb bottom) {
    std::array<Rgb, 16> all{};
    for (unsigned i = 0; i < 16; ++i) {
        all[i] = i < 8 ? top : bottom;
    }
    return all;
}

// A picture where every pixel shows the paint colour of its index.
std::array<Rgb, 16> painted(const std::array<int, 16>& indices, const std::array<Rgb, 4>& paint) {
    std::array<Rgb, 16> all{};
    for (unsigned i = 0; i < 16; ++i) {
        all[i] = paint[static_cast<std::size_t>(indices[i])];
    }
    return all;
}

// Every index once, laid out so no row, column or transpose repeats a neighbour.
constexpr std::array<int, 16> mixedIndices = {0, 1, 2, 3, 1, 3, 0, 2, 2, 0, 3, 1, 3, 2, 1, 0};

std::vector<BlockCase> blockCases() {
    std::vector<BlockCase> cases;
    // Individual mode, black, codeword 0, every index 00 (+2).
    cases.push_back({"all zero bytes", {0, 0, 0, 0, 0, 0, 0, 0}, uniform({2, 2, 2})});
    // Differential: R = G = B = 31, offsets -1 -> colours 255 and 247; codeword 7,
    // every index 11 (-183); flip 1 puts sub-block 1 on the top two rows.
    cases.push_back({"all 0xFF bytes", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, rowsOf({72, 72, 72}, {64, 64, 64})});
    {
        // Individual, both colours 4-bit (8, 8, 8) = 136, codeword 0. Block bits 20
        // and 4 form the index of pixel (1, 0): 11 (-8); every other pixel 00 (+2).
        std::array<Rgb, 16> expected = uniform({138, 138, 138});
        expected[1] = {128, 128, 128};
        cases.push_back({"pixel (1,0) reads bits 20 and 4", {0x88, 0x88, 0x88, 0x00, 0x00, 0x10, 0x00, 0x10}, expected});
    }
    {
        // The same colours with bits 17 and 1 set: pixel (0, 1), not (1, 0).
        std::array<Rgb, 16> expected = uniform({138, 138, 138});
        expected[4] = {128, 128, 128};
        cases.push_back({"pixel (0,1) reads bits 17 and 1", {0x88, 0x88, 0x88, 0x00, 0x00, 0x02, 0x00, 0x02}, expected});
    }
    // Individual, both colours (15, 0, 15) = (255, 0, 255): every index 01 (+8) clamps red
    // and blue at 255 while green becomes 8.
    cases.push_back({"clamp above 255", {0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF}, uniform({255, 8, 255})});
    // The same colour with every index 11 (-8): green clamps at 0.
    cases.push_back({"clamp below 0", {0xFF, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}, uniform({247, 0, 247})});
    {
        // Differential: R 16 (132) with -4 -> 12 (99), G 10 (82) with +3 -> 13 (107),
        // B 0. Codewords 1 (+5) and 2 (+9), flip 0: columns 0-1 and 2-3.
        std::array<Rgb, 16> expected{};
        for (unsigned i = 0; i < 16; ++i) {
            expected[i] = (i % 4) < 2 ? Rgb{137, 87, 5} : Rgb{108, 116, 9};
        }
        cases.push_back({"differential with flip 0", {0x84, 0x53, 0x00, 0x2A, 0, 0, 0, 0}, expected});
    }
    {
        // T mode: red 5-bit 3 with offset -4 leaves the range. Colour 0 = (12, 0, 15)
        // -> (204, 0, 255); colour 1 = (15, 8, 0) -> (255, 136, 0); distance index
        // 0b10 * 2 + 1 = 5 -> 32. Paint: colour 0, colour 1 + 32, colour 1,
        // colour 1 - 32, clamped.
        const std::array<Rgb, 4> paint = {Rgb{204, 0, 255}, Rgb{255, 168, 32}, Rgb{255, 136, 0}, Rgb{223, 104, 0}};
        cases.push_back({"T mode", withIndices({0x1C, 0x0F, 0xF8, 0x0B}, mixedIndices), painted(mixedIndices, paint)});
    }
    {
        // H mode: green 5-bit 3 with offset -4 leaves the range. Colour 0 = (10, 7, 9)
        // -> (170, 119, 153); colour 1 = (2, 12, 5) -> (34, 204, 85). Colour 0's
        // 12-bit value is the larger, so the index is 1 * 4 + 0 * 2 + 1 = 5 -> 32.
        const std::array<Rgb, 4> paint = {Rgb{202, 151, 185}, Rgb{138, 87, 121}, Rgb{66, 236, 117}, Rgb{2, 172, 53}};
        cases.push_back({"H mode", withIndices({0x53, 0x1C, 0x96, 0x2E}, mixedIndices), painted(mixedIndices, paint)});
    }
    {
        // H mode with two equal colours (10, 7, 9): equal 12-bit values still set the
        // index's lowest bit, so bits 34 = 0 and 32 = 0 give index 1 -> distance 6.
        const std::array<Rgb, 4> paint = {Rgb{176, 125, 159}, Rgb{164, 113, 147}, Rgb{176, 125, 159},
                                          Rgb{164, 113, 147}};
        cases.push_back(
            {"H mode equal colours", withIndices({0x53, 0x1C, 0xD3, 0xCA}, mixedIndices), painted(mixedIndices, paint)});
    }
    return cases;
}

void PrintTo(const BlockCase& c, std::ostream* os) { *os << c.name; }

class EtcBlock : public ::testing::TestWithParam<BlockCase> {};

TEST_P(EtcBlock, DecodesToExpectedPicture) {
    const BlockCase& c = GetParam();
    const EtcTile tile = decodeBlock(c.block);
    for (unsigned row = 0; row < 4; ++row) {
        for (unsigned column = 0; column < 4; ++column) {
            EXPECT_EQ(pixel(tile, column, row), c.expected[4 * row + column])
                << c.name << ": pixel (" << column << ", " << row << ")";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Etc, EtcBlock, ::testing::ValuesIn(blockCases()), [](const auto& testInfo) {
    std::string name = testInfo.param.name;
    for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) {
            ch = '_';
        }
    }
    return name;
});

// Planar mode: blue 5-bit 31 with offset +2 leaves the range. Origin (32, 96, 60)
// -> (130, 193, 243); horizontal (63, 0, 16) -> (255, 0, 65); vertical
// (63, 0, 32) -> (255, 0, 130). Value = (x(H - O) + y(V - O) + 4O + 2) >> 2.
TEST(EtcPlanar, InterpolatesAndClampsEachChannel) {
    const EtcTile tile = decodeBlock({0x41, 0x41, 0xFA, 0x7F, 0x00, 0x87, 0xE0, 0x20});
    struct Expected {
        unsigned x, y;
        Rgb colour;
    };
    const Expected expected[] = {
        {0, 0, {130, 193, 243}}, // the origin itself
        {3, 0, {224, 48, 110}},
        {0, 3, {224, 48, 158}},
        {1, 2, {224, 48, 142}},
        {2, 1, {224, 48, 126}},
        {3, 3, {255, 0, 25}},    // red 318 and green -96 clamped
    };
    for (const Expected& e : expected) {
        EXPECT_EQ(pixel(tile, e.x, e.y), e.colour) << "pixel (" << e.x << ", " << e.y << ")";
    }
}

// The R, G, B of pixel (x, y) of decoded rows.
Rgb colourAt(const PixelRows& rows, std::uint32_t x, std::uint32_t y) {
    const std::uint8_t* p = rows.row(y) + std::size_t{x} * 4U;
    return {p[0], p[1], p[2]};
}

// Blocks are stored row-major: in an 8 x 8 image the second block fills the
// top-right quarter. Individual blocks of one flat colour each (index 00, +2).
TEST(EtcImage, BlocksAreRowMajor) {
    const std::vector<std::uint8_t> source = {
        0x00, 0x00, 0x00, 0x00, 0, 0, 0, 0, // (0, 0, 0) -> 2
        0x11, 0x00, 0x00, 0x00, 0, 0, 0, 0, // R 1 -> 17 -> 19
        0x00, 0x11, 0x00, 0x00, 0, 0, 0, 0, // G 1 -> 19
        0x00, 0x00, 0x11, 0x00, 0, 0, 0, 0, // B 1 -> 19
    };
    PixelRows rows(ImageSize{8, 8});
    EXPECT_EQ(decodeEtcImage(source, rows), 0U);
    EXPECT_EQ(colourAt(rows, 0, 0), (Rgb{2, 2, 2}));
    EXPECT_EQ(colourAt(rows, 3, 3), (Rgb{2, 2, 2}));
    EXPECT_EQ(colourAt(rows, 4, 0), (Rgb{19, 2, 2}));
    EXPECT_EQ(colourAt(rows, 7, 3), (Rgb{19, 2, 2}));
    EXPECT_EQ(colourAt(rows, 0, 4), (Rgb{2, 19, 2}));
    EXPECT_EQ(colourAt(rows, 7, 7), (Rgb{2, 2, 19}));
}

// Pixels outside whole blocks are black and opaque; the blocks that are whole
// still decode (a 12 x 2 image has none, an 8 x 6 one the top two).
TEST(EtcImage, PixelsOutsideWholeBlocksAreOpaqueBlack) {
    const std::vector<std::uint8_t> source(64, 0xFF);
    for (const ImageSize size : {ImageSize{2, 8}, ImageSize{8, 2}, ImageSize{2, 2}, ImageSize{8, 6}}) {
        PixelRows rows(size);
        EXPECT_EQ(decodeEtcImage(source, rows), 0U);
        for (std::uint32_t y = 0; y < size.height; ++y) {
            for (std::uint32_t x = 0; x < size.width; ++x) {
                const bool inBlock = y < size.height / 4U * 4U && x < size.width / 4U * 4U;
                const std::uint8_t* p = rows.row(y) + std::size_t{x} * 4U;
                EXPECT_EQ(p[3], 255) << size.width << " x " << size.height << " at " << x << ", " << y;
                EXPECT_EQ(colourAt(rows, x, y), inBlock ? (Rgb{y < 2 ? 72 : 64, y < 2 ? 72 : 64, y < 2 ? 72 : 64})
                                                        : (Rgb{0, 0, 0}))
                    << size.width << " x " << size.height << " at " << x << ", " << y;
            }
        }
    }
}

TEST(EtcImage, MissingBlockBytesReadAsZeroAndAreCounted) {
    // The first block is whole; the second has only its first byte, 0x11
    // (individual, red 1 -> 17 + 2 = 19); every later byte reads as zero.
    const std::vector<std::uint8_t> source = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x11};
    PixelRows rows(ImageSize{12, 4});
    EXPECT_EQ(decodeEtcImage(source, rows), 24U - source.size());
    EXPECT_EQ(colourAt(rows, 0, 0), (Rgb{72, 72, 72}));
    EXPECT_EQ(colourAt(rows, 4, 0), (Rgb{19, 2, 2}));
    EXPECT_EQ(colourAt(rows, 8, 0), (Rgb{2, 2, 2}));
}

} // namespace
