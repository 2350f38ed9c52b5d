#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "gallery/makeThumbnail.h"

namespace {

using Pixel = std::array<std::uint8_t, 4>;

PixelRows imageOf(ImageSize size, Pixel (*pixelAt)(std::uint32_t x, std::uint32_t y)) {
    PixelRows image(size);
    for (std::uint32_t y = 0; y < size.height; ++y) {
        for (std::uint32_t x = 0; x < size.width; ++x) {
            const Pixel pixel = pixelAt(x, y);
            std::copy(pixel.begin(), pixel.end(), image.row(y) + 4U * x);
        }
    }
    return image;
}

Pixel pixelOf(const PixelRows& image, std::uint32_t x, std::uint32_t y) {
    const std::uint8_t* at = image.row(y) + 4U * x;
    return {at[0], at[1], at[2], at[3]};
}

struct SizeCase {
    const char* name;
    ImageSize image;
    ImageSize thumbnail;
};

class ThumbnailSizes : public testing::TestWithParam<SizeCase> {};

TEST_P(ThumbnailSizes, FitTheLongerSideWithoutEnlarging) {
    EXPECT_EQ(thumbnailSize(GetParam().image), GetParam().thumbnail);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ThumbnailSizes,
    testing::Values(SizeCase {"SmallKept", {3, 1}, {3, 1}}, SizeCase {"ExactlyTheSide", {256, 256}, {256, 256}},
                    SizeCase {"Square", {1024, 1024}, {256, 256}}, SizeCase {"Wide", {2048, 1024}, {256, 128}},
                    SizeCase {"Tall", {300, 600}, {128, 256}}, SizeCase {"Rounded", {1000, 333}, {256, 85}},
                    SizeCase {"ThinNeverZero", {16384, 1}, {256, 1}}, SizeCase {"JustOver", {257, 10}, {256, 10}}),
    [](const testing::TestParamInfo<SizeCase>& row) { return row.param.name; });

TEST(MakeThumbnail, ASmallImageIsCopiedAsItIs) {
    const PixelRows image = imageOf({5, 3}, [](std::uint32_t x, std::uint32_t y) {
        return Pixel {static_cast<std::uint8_t>(x * 40), static_cast<std::uint8_t>(y * 80), 7, static_cast<std::uint8_t>(x + y)};
    });
    const PixelRows thumbnail = makeThumbnail(image);
    ASSERT_EQ(thumbnail.size(), image.size());
    for (std::uint32_t y = 0; y < 3; ++y) {
        for (std::uint32_t x = 0; x < 5; ++x) {
            EXPECT_EQ(pixelOf(thumbnail, x, y), pixelOf(image, x, y)) << x << "," << y;
        }
    }
}

// Transparent black around opaque red: the colour of a thumbnail pixel comes
// from the opaque pixels alone, its alpha from the share they cover.
TEST(MakeThumbnail, TransparentPixelsDoNotDarkenTheColour) {
    const PixelRows image = imageOf({512, 512}, [](std::uint32_t x, std::uint32_t) {
        return x % 2 == 0 ? Pixel {200, 40, 10, 255} : Pixel {0, 0, 0, 0};
    });
    const PixelRows thumbnail = makeThumbnail(image);
    ASSERT_EQ(thumbnail.size(), (ImageSize {256, 256}));
    EXPECT_EQ(pixelOf(thumbnail, 0, 0), (Pixel {200, 40, 10, 128}));
    EXPECT_EQ(pixelOf(thumbnail, 255, 255), (Pixel {200, 40, 10, 128}));

    // Nor does any colour a transparent pixel holds, and a half-transparent
    // pixel counts for half of an opaque one.
    const PixelRows mixed = imageOf({512, 512}, [](std::uint32_t x, std::uint32_t y) {
        if (y % 2 == 1) {
            return Pixel {255, 255, 255, 0};
        }
        return x % 2 == 0 ? Pixel {240, 0, 0, 255} : Pixel {0, 0, 240, 128};
    });
    // Alpha (255 + 128 + 0 + 0) / 4; red 240 * 255 / 383, blue 240 * 128 / 383.
    EXPECT_EQ(pixelOf(makeThumbnail(mixed), 7, 9), (Pixel {160, 0, 80, 96}));
}

// Each source pixel counts by the area it shares with the thumbnail pixel:
// 3 source columns onto 2 split the middle one half and half.
TEST(MakeThumbnail, AveragesByAreaAcrossPixelBorders) {
    const PixelRows image = imageOf({768, 3}, [](std::uint32_t x, std::uint32_t) {
        const std::uint8_t value = x % 3 == 0 ? 0 : x % 3 == 1 ? 90 : 240;
        return Pixel {value, value, value, 255};
    });
    const PixelRows thumbnail = makeThumbnail(image); // 768 x 3 -> 256 x 1: each covers 3 x 3 source pixels
    ASSERT_EQ(thumbnail.size(), (ImageSize {256, 1}));
    EXPECT_EQ(pixelOf(thumbnail, 10, 0), (Pixel {110, 110, 110, 255}));

    const PixelRows odd = imageOf({3, 300}, [](std::uint32_t, std::uint32_t y) {
        // Rows of 0, 90 and 240 in turn; 300 rows onto 256: weights of partial rows.
        const std::uint8_t value = y % 3 == 0 ? 0 : y % 3 == 1 ? 90 : 240;
        return Pixel {value, value, value, 255};
    });
    const PixelRows oddThumbnail = makeThumbnail(odd);
    ASSERT_EQ(oddThumbnail.size(), (ImageSize {3, 256}));
    // The whole image's mean is kept: every source row's weight lands somewhere.
    double sum = 0;
    for (std::uint32_t y = 0; y < 256; ++y) {
        sum += pixelOf(oddThumbnail, 1, y)[0];
        EXPECT_EQ(pixelOf(oddThumbnail, 1, y)[3], 255) << y;
    }
    EXPECT_NEAR(sum / 256.0, 110.0, 0.6);
    // Target row 0 covers source rows [0, 300/256): row 0 whole, row 1 for 44/256 of a row.
    EXPECT_EQ(pixelOf(oddThumbnail, 0, 0)[0], 13); // 90 * 44 / 300 = 13.2
}

TEST(MakeThumbnail, AFullyTransparentAreaStaysTransparent) {
    const PixelRows image = imageOf({600, 600}, [](std::uint32_t x, std::uint32_t) {
        return x < 300 ? Pixel {255, 255, 255, 0} : Pixel {0, 0, 255, 255};
    });
    const PixelRows thumbnail = makeThumbnail(image);
    EXPECT_EQ(pixelOf(thumbnail, 0, 0), (Pixel {0, 0, 0, 0}));
    EXPECT_EQ(pixelOf(thumbnail, 255, 100), (Pixel {0, 0, 255, 255}));
}

} // namespace
