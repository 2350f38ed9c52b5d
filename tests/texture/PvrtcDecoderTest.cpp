#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "texture/decodePvrtc4Image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Eight packet bytes from the modulation word and the colour word (both little-endian).
Bytes packet(std::uint32_t modulation, std::uint32_t colour) {
    Bytes bytes(8);
    for (unsigned i = 0; i < 4; ++i) {
        bytes[i] = static_cast<std::uint8_t>(modulation >> (8U * i));
        bytes[4U + i] = static_cast<std::uint8_t>(colour >> (8U * i));
    }
    return bytes;
}

// The decoded pixels of a side x side image as words B | G << 8 | R << 16 |
// A << 24, row-major, the form the expected values below are written in.
std::vector<std::uint32_t> wordsOf(const PixelRows& rows) {
    std::vector<std::uint32_t> words;
    for (std::uint32_t y = 0; y < rows.height(); ++y) {
        const std::uint8_t* p = rows.row(y);
        for (std::uint32_t x = 0; x < rows.width(); ++x, p += 4) {
            words.push_back(std::uint32_t{p[2]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[0]} << 16) |
                            (std::uint32_t{p[3]} << 24));
        }
    }
    return words;
}

std::vector<std::uint32_t> decode(const Bytes& data, std::uint32_t side) {
    PixelRows rows(ImageSize{side, side});
    decodePvrtc4Image(data, rows);
    return wordsOf(rows);
}

// ---- A per-pixel decoder written directly from the format's rules, with
// every colour decoded again for every pixel that reads it. ----
namespace reference {

constexpr std::uint32_t scale5(std::uint32_t v) { return v * 255U / 31U; }
constexpr std::uint32_t scale4(std::uint32_t v) { return v * 17U; }
constexpr std::uint32_t scale3(std::uint32_t v) { return v * 255U / 7U; }

struct Colour {
    std::uint32_t r, g, b, a;
};

Colour colourA(std::uint32_t w) {
    if ((w >> 15) & 1U) {
        return {scale5((w >> 10) & 31U), scale5((w >> 5) & 31U), scale4((w >> 1) & 15U), 255};
    }
    return {scale4((w >> 8) & 15U), scale4((w >> 4) & 15U), scale3((w >> 1) & 7U), scale3((w >> 12) & 7U)};
}

Colour colourB(std::uint32_t w) {
    if ((w >> 31) & 1U) {
        return {scale5((w >> 26) & 31U), scale5((w >> 21) & 31U), scale5((w >> 16) & 31U), 255};
    }
    return {scale4((w >> 24) & 15U), scale4((w >> 20) & 15U), scale4((w >> 16) & 15U), scale3((w >> 28) & 7U)};
}

std::uint32_t morton(std::uint32_t x, std::uint32_t y) {
    std::uint32_t m = 0;
    for (unsigned k = 0; k < 16; ++k) {
        m |= ((y >> k) & 1U) << (2U * k);
        m |= ((x >> k) & 1U) << (2U * k + 1U);
    }
    return m;
}

std::uint32_t word(const Bytes& data, std::size_t offset) {
    std::uint32_t w = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint32_t byte = offset + i < data.size() ? data[offset + i] : 0U;
        w |= byte << (8U * i);
    }
    return w;
}

std::vector<std::uint32_t> decodeImage(const Bytes& data, std::uint32_t side) {
    static constexpr unsigned factors[16][4] = {
        {4, 4, 4, 4}, {2, 6, 2, 6},  {8, 0, 8, 0},  {6, 2, 6, 2},  {2, 2, 6, 6}, {1, 3, 3, 9},
        {4, 0, 12, 0}, {3, 1, 9, 3}, {8, 8, 0, 0},  {4, 12, 0, 0}, {16, 0, 0, 0}, {12, 4, 0, 0},
        {6, 6, 2, 2}, {3, 9, 1, 3},  {12, 0, 4, 0}, {9, 3, 3, 1},
    };
    static constexpr unsigned weights[8][4] = {
        {8, 0, 8, 0}, {5, 3, 5, 3}, {3, 5, 3, 5}, {0, 8, 0, 8},
        {8, 0, 8, 0}, {4, 4, 4, 4}, {4, 4, 0, 0}, {0, 8, 0, 8},
    };
    std::vector<std::uint32_t> out(std::size_t{side} * side, 0);
    const std::uint32_t blocks = side / 4U;
    const std::uint32_t mask = blocks - 1U;
    for (std::uint32_t y = 0; y < blocks; ++y) {
        for (std::uint32_t x = 0; x < blocks; ++x) {
            const std::size_t p = 8U * std::size_t{morton(x, y)};
            std::uint32_t mod = word(data, p);
            const std::uint32_t punch = word(data, p + 4U) & 1U;
            unsigned f = 0;
            for (std::uint32_t py = 0; py < 4; ++py) {
                for (std::uint32_t px = 0; px < 4; ++px, ++f) {
                    const std::uint32_t y0 = (y - 1U + (py >= 2 ? 1U : 0U)) & mask;
                    const std::uint32_t y1 = (y0 + 1U) & mask;
                    const std::uint32_t x0 = (x - 1U + (px >= 2 ? 1U : 0U)) & mask;
                    const std::uint32_t x1 = (x0 + 1U) & mask;
                    const std::uint32_t corners[4][2] = {{x0, y0}, {x1, y0}, {x0, y1}, {x1, y1}};
                    Colour ca{0, 0, 0, 0};
                    Colour cb{0, 0, 0, 0};
                    for (unsigned k = 0; k < 4; ++k) {
                        const std::uint32_t cw = word(data, 8U * std::size_t{morton(corners[k][0], corners[k][1])} + 4U);
                        const Colour a = colourA(cw);
                        const Colour b = colourB(cw);
                        ca = {ca.r + factors[f][k] * a.r, ca.g + factors[f][k] * a.g, ca.b + factors[f][k] * a.b,
                              ca.a + factors[f][k] * a.a};
                        cb = {cb.r + factors[f][k] * b.r, cb.g + factors[f][k] * b.g, cb.b + factors[f][k] * b.b,
                              cb.a + factors[f][k] * b.a};
                    }
                    const unsigned* w = weights[punch * 4U + (mod & 3U)];
                    const std::uint32_t r = (ca.r * w[0] + cb.r * w[1]) >> 7;
                    const std::uint32_t g = (ca.g * w[0] + cb.g * w[1]) >> 7;
                    const std::uint32_t b = (ca.b * w[0] + cb.b * w[1]) >> 7;
                    const std::uint32_t a = (ca.a * w[2] + cb.a * w[3]) >> 7;
                    out[std::size_t{4U * y + py} * side + 4U * x + px] = b | (g << 8) | (r << 16) | (a << 24);
                    mod >>= 2;
                }
            }
        }
    }
    return out;
}

} // namespace reference

// ---- One packet filling a 4 x 4 image: every neighbour is the packet
// itself, so the interpolated colours are 16 times its colours A and B. ----
struct SinglePacketCase {
    const char* name;
    std::uint32_t modulation;
    std::uint32_t colour;
    std::uint32_t expected; // every pixel, as B | G << 8 | R << 16 | A << 24
};

void PrintTo(const SinglePacketCase& c, std::ostream* os) { *os << c.name; }

class SinglePacket : public ::testing::TestWithParam<SinglePacketCase> {};

TEST_P(SinglePacket, EveryPixelTakesTheBlendedColour) {
    const SinglePacketCase& c = GetParam();
    const std::vector<std::uint32_t> pixels = decode(packet(c.modulation, c.colour), 4);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        EXPECT_EQ(pixels[i], c.expected) << c.name << " pixel " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pvrtc, SinglePacket,
    ::testing::Values(
        // bytes 00 00 00 00 FE FF 00 80: A opaque (31, 31, 15), B opaque black.
        SinglePacketCase{"opaque white colour A", 0x00000000U, 0x8000FFFEU, 0xFFFFFFFFU},
        // modulation 3: colour B alone; B opaque 5-bit (31, 0, 16) -> (255, 0, 131).
        SinglePacketCase{"modulation 3 gives colour B", 0xFFFFFFFFU, 0xFC108000U, 0xFFFF0083U},
        // modulation 1 weights 5 and 3: white over black, 16*255*5 >> 7 = 159, no rounding.
        SinglePacketCase{"modulation 1 truncates", 0x55555555U, 0x8000FFFEU, 0xFF9F9F9FU},
        // punch-through, modulation 2: average of A (255, 0, 0) and B (0, 255, 0) is
        // 16*255*4 >> 7 = 127 per channel, alpha 0.
        SinglePacketCase{"punch-through modulation 2", 0xAAAAAAAAU, 0x83E0FC01U, 0x007F7F00U},
        // translucent A: alpha T3[3] = 109, R T4[5] = 85, G T4[10] = 170, B T3[6] = 218.
        SinglePacketCase{"translucent colour A", 0x00000000U, 0x000035ACU, 0x6D55AADAU},
        // translucent B: alpha T3[5] = 182, R T4[1] = 17, G T4[2] = 34, B T4[15] = 255.
        SinglePacketCase{"translucent colour B", 0xFFFFFFFFU, 0x512F0000U, 0xB61122FFU}),
    [](const auto& testInfo) {
        std::string name = testInfo.param.name;
        for (char& ch : name) {
            if (!std::isalnum(static_cast<unsigned char>(ch))) {
                ch = '_';
            }
        }
        return name;
    });

TEST(PvrtcMorton, BlockCoordinatesInterleaveYInEvenBits) {
    struct Case {
        std::uint32_t x, y, expected;
    };
    const Case cases[] = {
        {0, 0, 0},         {1, 0, 2},           {0, 1, 1},           {1, 2, 6},
        {2, 1, 9},         {3, 3, 15},          {256, 0, 1U << 17},  {0, 256, 1U << 16},
        {0xFFFF, 0, 0xAAAAAAAAU}, {0, 0xFFFF, 0x55555555U}, {0xFFFF, 0xFFFF, 0xFFFFFFFFU},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pvrtcMortonIndex(c.x, c.y), c.expected) << c.x << ", " << c.y;
    }
}

// In a 16 x 16 image, only the packet at Morton(1, 2) = 6 is white; the
// centre pixel (2, 2) of a block reads its own packet only, so it is white in
// block (1, 2) and nowhere else.
TEST(PvrtcDecode, BlockReadsItsPacketInMortonOrder) {
    Bytes data(16 * 8, 0);
    const Bytes white = packet(0, 0x8000FFFEU);
    std::copy(white.begin(), white.end(), data.begin() + 6 * 8);
    const std::vector<std::uint32_t> pixels = decode(data, 16);
    for (std::uint32_t by = 0; by < 4; ++by) {
        for (std::uint32_t bx = 0; bx < 4; ++bx) {
            const std::uint32_t centre = pixels[(4 * by + 2) * 16 + 4 * bx + 2];
            EXPECT_EQ(centre, bx == 1 && by == 2 ? 0xFFFFFFFFU : 0U) << "block " << bx << ", " << by;
        }
    }
}

// Neighbours wrap around: the top-left pixel of block (0, 0) blends the four
// corner packets with factors 4, 4, 4, 4 (in an 8 x 8 image, blocks (1,1),
// (0,1), (1,0) and (0,0)). Only block (1, 1) is white: 4 * 255 * 8 >> 7 = 63.
TEST(PvrtcDecode, NeighboursWrapAroundTheEdges) {
    Bytes data(4 * 8, 0);
    const Bytes white = packet(0, 0x8000FFFEU);
    std::copy(white.begin(), white.end(), data.begin() + pvrtcMortonIndex(1, 1) * 8);
    const std::vector<std::uint32_t> pixels = decode(data, 8);
    EXPECT_EQ(pixels[0], 0x3F3F3F3FU);
    // Pixel (2, 2) of block (0, 0) reads only its own black, transparent packet.
    EXPECT_EQ(pixels[2 * 8 + 2], 0U);
}

TEST(PvrtcDecode, MatchesPerPixelReferenceOnRandomData) {
    std::mt19937 random(20240517U);
    for (const std::uint32_t side : {4U, 8U, 16U, 32U, 64U, 128U}) {
        for (int round = 0; round < 3; ++round) {
            Bytes data(std::size_t{side / 4} * (side / 4) * 8U);
            for (std::uint8_t& b : data) {
                b = static_cast<std::uint8_t>(random());
            }
            const std::vector<std::uint32_t> expected = reference::decodeImage(data, side);
            const std::vector<std::uint32_t> actual = decode(data, side);
            ASSERT_EQ(actual, expected) << "side " << side << " round " << round;
        }
    }
}

TEST(PvrtcDecode, MissingPacketBytesReadAsZeroAndAreCounted) {
    std::mt19937 random(7U);
    Bytes full(8 * 8 * 8, 0);
    for (std::uint8_t& b : full) {
        b = static_cast<std::uint8_t>(random());
    }
    for (const std::size_t kept : {std::size_t{0}, std::size_t{1}, std::size_t{100}, std::size_t{507}}) {
        Bytes shortData(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(kept));
        Bytes padded = shortData;
        padded.resize(full.size(), 0);
        PixelRows rows(ImageSize{32, 32});
        EXPECT_EQ(decodePvrtc4Image(shortData, rows), full.size() - kept) << kept << " bytes kept";
        EXPECT_EQ(wordsOf(rows), reference::decodeImage(padded, 32)) << kept << " bytes kept";
    }
}

// Only a square with a power-of-two side of at least 4 is a PVRTC image:
// other rows are left as they were, and nothing counts as missing.
TEST(PvrtcDecode, OtherSizesDecodeNothing) {
    const Bytes white(4096, 0xFF);
    for (const ImageSize size : {ImageSize{0, 0}, ImageSize{1, 1}, ImageSize{2, 2}, ImageSize{3, 3}, ImageSize{12, 12},
                                 ImageSize{8, 4}, ImageSize{4, 8}}) {
        PixelRows rows(size);
        for (std::uint32_t y = 0; y < size.height; ++y) {
            std::fill(rows.row(y), rows.row(y) + std::size_t{size.width} * 4U, std::uint8_t{0x5A});
        }
        EXPECT_EQ(decodePvrtc4Image(white, rows), 0U) << size.width << " x " << size.height;
        for (const std::uint32_t word : wordsOf(rows)) {
            ASSERT_EQ(word, 0x5A5A5A5AU) << size.width << " x " << size.height;
        }
    }
}

} // namespace
