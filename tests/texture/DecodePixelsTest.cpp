#include <cstdint>
#include <numeric>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "texture/PixelFormat.h"
#include "texture/decodePixels.h"
#include "texture/decodeSize.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Bytes 1, 2, 3, ... n.
Bytes counting(std::size_t n) {
    Bytes bytes(n);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{1});
    return bytes;
}

Bytes pixelsOf(const PixelRows& rows) {
    Bytes all;
    for (std::uint32_t y = 0; y < rows.height(); ++y) {
        all.insert(all.end(), rows.row(y), rows.row(y) + std::size_t{rows.width()} * 4U);
    }
    return all;
}

struct Decoded {
    Bytes pixels;
    std::uint64_t missing;
};

Decoded decode(const Bytes& source, ImageSize size, std::string_view name) {
    PixelRows rows(size);
    const std::uint64_t missing = decodePixels(source, rows, pixelFormatNamed(name));
    return {pixelsOf(rows), missing};
}

// ---- Uncompressed layouts: a 3 x 2 image from the bytes 1, 2, 3, ... ----
struct LayoutCase {
    const char* format;
    std::size_t sourceBytes;
    Bytes expected; // rows top to bottom, R G B A per pixel
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.format; }

class RawLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(RawLayout, MapsChannelsAndRows) {
    const LayoutCase& c = GetParam();
    const Decoded d = decode(counting(c.sourceBytes), ImageSize{3, 2}, c.format);
    EXPECT_EQ(d.pixels, c.expected);
    EXPECT_EQ(d.missing, 0U);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, RawLayout,
    ::testing::Values(
        LayoutCase{"RGBA32", 24, counting(24)},
        LayoutCase{"BGRA32", 24, {3, 2, 1, 4, 7, 6, 5, 8, 11, 10, 9, 12, 15, 14, 13, 16, 19, 18, 17, 20, 23, 22, 21, 24}},
        LayoutCase{"RGB24", 18,
                   {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 10, 11, 12, 255, 13, 14, 15, 255, 16, 17, 18, 255}},
        LayoutCase{"BGR24", 18,
                   {3, 2, 1, 255, 6, 5, 4, 255, 9, 8, 7, 255, 12, 11, 10, 255, 15, 14, 13, 255, 18, 17, 16, 255}},
        // Colour plane of 18 bytes, then the alpha plane 19..24 in pixel order.
        LayoutCase{"RGB24_ALPHA", 24,
                   {1, 2, 3, 19, 4, 5, 6, 20, 7, 8, 9, 21, 10, 11, 12, 22, 13, 14, 15, 23, 16, 17, 18, 24}},
        LayoutCase{"BGR24_ALPHA", 24,
                   {3, 2, 1, 19, 6, 5, 4, 20, 9, 8, 7, 21, 12, 11, 10, 22, 15, 14, 13, 23, 18, 17, 16, 24}}),
    [](const auto& testInfo) { return std::string(testInfo.param.format); });

// Each row sits behind one spare byte that the PNG encoder fills; decoding
// leaves those bytes alone.
TEST(DecodePixels, RowsLieBehindTheirSpareBytes) {
    PixelRows rows(ImageSize{3, 2});
    (void)decodePixels(counting(24), rows, pixelFormatNamed("RGBA32"));
    EXPECT_EQ(rows.row(1)[0], 13);
    EXPECT_EQ(rows.stride(), 13U);
    EXPECT_EQ(rows.row(1) - rows.row(0), 13);
    ASSERT_EQ(rows.block().size(), 26U);
    EXPECT_EQ(rows.row(0), rows.block().data() + 1);
    EXPECT_EQ(rows.block()[0], 0);
    EXPECT_EQ(rows.block()[13], 0);
}

// ---- Names without a decoder leave every pixel (0, 0, 0, 0). ----
TEST(DecodePixels, NamesWithoutDecoderGiveZeroPixels) {
    const Bytes plenty(4096, 0xAB);
    for (const char* name : {"UnKnown", "RGBA24_ALPHA_UNKNOWN", "RGB_ETC1_ALPHA_UNKNOWN", "rgba32", "Rgb_Etc1",
                             "RGBA32 ", "RGBA3", "", "RGBA_PVRTC"}) {
        const Decoded d = decode(plenty, ImageSize{8, 8}, name);
        EXPECT_EQ(d.pixels, Bytes(8 * 8 * 4, 0)) << '"' << name << '"';
        EXPECT_EQ(d.missing, 0U) << '"' << name << '"';
    }
}

// ---- Short sources: missing bytes read as zero and are counted. ----
struct ShortCase {
    const char* format;
    ImageSize size;
    std::size_t sourceBytes; // of 1, 2, 3, ...
    std::uint64_t missing;
    std::size_t pixel;  // one pixel to check
    Bytes expected;     // its R, G, B, A
};

void PrintTo(const ShortCase& c, std::ostream* os) {
    *os << c.format << " " << c.size.width << " x " << c.size.height << " from " << c.sourceBytes << " bytes";
}

class ShortSource : public ::testing::TestWithParam<ShortCase> {};

TEST_P(ShortSource, ReadsZeroAndCountsMissingBytes) {
    const ShortCase& c = GetParam();
    const Decoded d = decode(counting(c.sourceBytes), c.size, c.format);
    EXPECT_EQ(d.missing, c.missing);
    const Bytes actual(d.pixels.begin() + static_cast<std::ptrdiff_t>(c.pixel * 4),
                       d.pixels.begin() + static_cast<std::ptrdiff_t>(c.pixel * 4 + 4));
    EXPECT_EQ(actual, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ShortSource,
    ::testing::Values(
        ShortCase{"RGBA32", {2, 1}, 5, 3, 1, {5, 0, 0, 0}},
        ShortCase{"BGRA32", {2, 1}, 6, 2, 1, {0, 6, 5, 0}},
        ShortCase{"RGB24", {2, 1}, 4, 2, 1, {4, 0, 0, 255}},
        ShortCase{"BGR24", {3, 1}, 0, 9, 2, {0, 0, 0, 255}},
        // Colour complete, one of two alpha bytes present.
        ShortCase{"BGR24_ALPHA", {2, 1}, 7, 1, 1, {6, 5, 4, 0}},
        ShortCase{"RGB24_ALPHA", {2, 1}, 7, 1, 0, {1, 2, 3, 7}},
        // Second block missing: zero bytes decode to (2, 2, 2).
        ShortCase{"RGB_ETC1", {8, 4}, 8, 8, 4, {2, 2, 2, 255}},
        // Block complete, the 16-byte alpha plane at byte 8 missing.
        ShortCase{"RGB_ETC1_ALPHA", {4, 4}, 8, 16, 5, {2, 2, 2, 0}},
        // 2 x 2: no block; the alpha plane starts at 2 and needs 4 bytes.
        ShortCase{"RGB_ETC1_ALPHA", {2, 2}, 3, 3, 0, {0, 0, 0, 3}},
        // 8 x 8: four 8-byte packets, none present.
        ShortCase{"RGBA_PVRTC4", {8, 8}, 0, 32, 0, {0, 0, 0, 0}}),
    [](const auto& testInfo) {
        return std::string(testInfo.param.format) + "_" + std::to_string(testInfo.param.size.width) + "x" +
               std::to_string(testInfo.param.size.height);
    });

// ---- Compressed formats through the pixel rows. ----
TEST(DecodePixels, EtcColourWithOpaqueAlpha) {
    const Decoded d = decode(Bytes(8, 0xFF), ImageSize{4, 4}, "RGB_ETC1");
    EXPECT_EQ(d.missing, 0U);
    for (std::size_t i = 0; i < 16; ++i) {
        const std::uint8_t expected = i < 8 ? 72 : 64;
        EXPECT_EQ(Bytes(d.pixels.begin() + static_cast<std::ptrdiff_t>(4 * i),
                        d.pixels.begin() + static_cast<std::ptrdiff_t>(4 * i + 4)),
                  (Bytes{expected, expected, expected, 255}))
            << "pixel " << i;
    }
}

// A 100 x 60 record in "RGB_ETC1_ALPHA" decodes at 128 x 64: its block plane
// is 4096 bytes and the alpha of (x, y) is byte 4096 + 128y + x.
TEST(DecodePixels, EtcAlphaPlaneFollowsTheBlockPlane) {
    const std::optional<ImageSize> size = decodeSize(ImageSize{100, 60}, pixelFormatNamed("RGB_ETC1_ALPHA").sizeRule);
    ASSERT_TRUE(size.has_value());
    ASSERT_EQ(*size, (ImageSize{128, 64}));
    Bytes source(4096 + 128 * 64, 0);
    source[4095] = 0x77; // last byte of the block plane, not alpha
    for (std::size_t i = 0; i < 128 * 64; ++i) {
        source[4096 + i] = static_cast<std::uint8_t>(i % 251U + 1U);
    }
    const Decoded d = decode(source, *size, "RGB_ETC1_ALPHA");
    EXPECT_EQ(d.missing, 0U);
    for (const std::size_t i : {std::size_t{0}, std::size_t{1}, std::size_t{128}, std::size_t{129 * 30}, std::size_t{8191}}) {
        EXPECT_EQ(d.pixels[4 * i + 3], static_cast<std::uint8_t>(i % 251U + 1U)) << "pixel " << i;
    }
}

TEST(DecodePixels, EtcImageWithoutWholeBlockIsBlackAndOpaque) {
    const Decoded d = decode(Bytes(64, 0xFF), ImageSize{2, 2}, "RGB_ETC1");
    EXPECT_EQ(d.pixels, (Bytes{0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255}));
}

// A translucent PVRTC packet: colour A (R 85, G 170, B 218, alpha 109)
// arrives in the rows as the bytes R, G, B, A.
TEST(DecodePixels, PvrtcChannelsInRgbaOrder) {
    const Bytes source = {0, 0, 0, 0, 0xAC, 0x35, 0x00, 0x00};
    const Decoded d = decode(source, ImageSize{4, 4}, "RGBA_PVRTC4");
    EXPECT_EQ(d.missing, 0U);
    for (std::size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(Bytes(d.pixels.begin() + static_cast<std::ptrdiff_t>(4 * i),
                        d.pixels.begin() + static_cast<std::ptrdiff_t>(4 * i + 4)),
                  (Bytes{85, 170, 218, 109}))
            << "pixel " << i;
    }
}

// ---- Decode size. ----
struct SizeCase {
    ImageSize record;
    const char* format;
    std::optional<ImageSize> expected;
};

TEST(DecodeSize, PadsByFormatName) {
    constexpr std::uint32_t two31 = 1U << 31;
    const SizeCase cases[] = {
        {{1000, 300}, "RGB_ETC1", ImageSize{1024, 512}},
        {{1000, 300}, "RGBA_PVRTC4", ImageSize{1024, 1024}},
        {{1000, 300}, "RGBA32", ImageSize{1000, 300}},
        {{100, 60}, "RGB_ETC1_ALPHA_UNKNOWN", ImageSize{128, 64}},
        {{0, 1}, "RGB_ETC1", ImageSize{2, 2}},
        {{3, 5}, "RGB_ETC1", ImageSize{4, 8}},
        {{4, 4}, "RGB_ETC1", ImageSize{4, 4}},
        {{5, 17}, "RGBA_PVRTC4", ImageSize{32, 32}},
        {{5, 17}, "PVRTC4_ETC1", ImageSize{8, 32}}, // "ETC1" is tested first
        {{5, 17}, "xETC1", ImageSize{8, 32}},
        {{5, 17}, "ETC", ImageSize{5, 17}},
        {{5, 17}, "rgb_etc1", ImageSize{5, 17}},
        {{5, 17}, "PVRTC", ImageSize{5, 17}},
        {{0, 0}, "UnKnown", ImageSize{0, 0}},
        {{4000000000U, 7}, "RGBA32", ImageSize{4000000000U, 7}},
        {{two31, 1}, "RGB_ETC1", ImageSize{two31, 2}},
        {{two31 + 1U, 4}, "RGB_ETC1", std::nullopt},
        {{4, two31 + 1U}, "RGBA_PVRTC4", std::nullopt},
    };
    for (const SizeCase& c : cases) {
        EXPECT_EQ(decodeSize(c.record, pixelFormatNamed(c.format).sizeRule), c.expected)
            << c.record.width << " x " << c.record.height << " " << c.format;
    }
}

} // namespace
