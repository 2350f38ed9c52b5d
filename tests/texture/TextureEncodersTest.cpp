#include <array>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "texture/PixelFormat.h"
#include "texture/decodePixels.h"
#include "texture/encodeEtc1Image.h"
#include "texture/encodePvrtc4Image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Rectangle drawn in solid blue over the gradients; edges on and off the 4-pixel grid.
constexpr std::uint32_t rectLeft = 18;
constexpr std::uint32_t rectRight = 45; // exclusive
constexpr std::uint32_t rectTop = 16;
constexpr std::uint32_t rectBottom = 40;

bool insideRect(std::uint32_t x, std::uint32_t y) {
    return x >= rectLeft && x < rectRight && y >= rectTop && y < rectBottom;
}

// Red grows to the right, green downwards, blue is 220 inside the rectangle
// and 30 outside; alpha is 255, or with `translucent` falls from 255 at the
// top to 0 at the bottom.
Bytes drawPicture(std::uint32_t side, bool translucent = false) {
    Bytes rgba(std::size_t{side} * side * 4);
    for (std::uint32_t y = 0; y < side; ++y) {
        for (std::uint32_t x = 0; x < side; ++x) {
            std::uint8_t* p = rgba.data() + (std::size_t{y} * side + x) * 4;
            p[0] = static_cast<std::uint8_t>(x * 255 / (side - 1));
            p[1] = static_cast<std::uint8_t>(y * 255 / (side - 1));
            p[2] = insideRect(x, y) ? 220 : 30;
            p[3] = static_cast<std::uint8_t>(translucent ? 255U - y * 255U / (side - 1U) : 255U);
        }
    }
    return rgba;
}

Bytes decoded(const Bytes& data, std::uint32_t side, const char* format) {
    PixelRows rows(ImageSize{side, side});
    EXPECT_EQ(decodePixels(data, rows, pixelFormatNamed(format)), 0U);
    Bytes pixels;
    for (std::uint32_t y = 0; y < side; ++y) {
        pixels.insert(pixels.end(), rows.row(y), rows.row(y) + std::size_t{side} * 4U);
    }
    return pixels;
}

std::array<double, 4> meanAbsoluteError(const Bytes& a, const Bytes& b) {
    std::array<double, 4> sum{};
    for (std::size_t i = 0; i < a.size(); ++i) {
        sum[i % 4] += std::abs(int{a[i]} - int{b[i]});
    }
    for (double& s : sum) {
        s /= static_cast<double>(a.size() / 4);
    }
    return sum;
}

// Blue seen just inside minus just outside each of the rectangle's four edges.
std::array<int, 4> edgeContrast(const Bytes& image, std::uint32_t side) {
    const auto blue = [&](std::uint32_t x, std::uint32_t y) { return int{image[(std::size_t{y} * side + x) * 4 + 2]}; };
    const std::uint32_t midX = (rectLeft + rectRight) / 2;
    const std::uint32_t midY = (rectTop + rectBottom) / 2;
    return {blue(rectLeft + 1, midY) - blue(rectLeft - 2, midY), blue(rectRight - 2, midY) - blue(rectRight + 1, midY),
            blue(midX, rectTop + 1) - blue(midX, rectTop - 2), blue(midX, rectBottom - 2) - blue(midX, rectBottom + 1)};
}

struct EncoderCase {
    const char* format;
    bool translucent;
    double maxColourError; // mean absolute error per colour channel
    double maxAlphaError;
    int minEdgeContrast;
};

void PrintTo(const EncoderCase& c, std::ostream* os) { *os << c.format << (c.translucent ? " translucent" : " opaque"); }

class EncodeDecode : public ::testing::TestWithParam<EncoderCase> {};

TEST_P(EncodeDecode, PictureSurvivesWithItsEdges) {
    const EncoderCase& c = GetParam();
    constexpr std::uint32_t side = 64;
    const Bytes picture = drawPicture(side, c.translucent);
    const std::string format = c.format;
    const Bytes data = format == "RGB_ETC1" ? encodeEtc1Image(picture, side, side) : encodePvrtc4Image(picture, side);
    ASSERT_EQ(data.size(), std::size_t{side} * side / 2);
    const Bytes image = decoded(data, side, c.format);

    const std::array<double, 4> error = meanAbsoluteError(picture, image);
    for (std::size_t channel = 0; channel < 3; ++channel) {
        EXPECT_LT(error[channel], c.maxColourError) << c.format << " channel " << channel;
    }
    EXPECT_LT(error[3], c.maxAlphaError) << c.format;
    for (const int contrast : edgeContrast(image, side)) {
        EXPECT_GT(contrast, c.minEdgeContrast) << c.format;
    }
}

INSTANTIATE_TEST_SUITE_P(Encoders, EncodeDecode,
                         ::testing::Values(EncoderCase{"RGB_ETC1", false, 4.0, 0.5, 150},
                                           EncoderCase{"RGBA_PVRTC4", false, 7.0, 0.5, 110},
                                           EncoderCase{"RGBA_PVRTC4", true, 9.0, 10.0, 100}),
                         [](const auto& testInfo) {
                             return std::string(testInfo.param.format) +
                                    (testInfo.param.translucent ? "_translucent" : "_opaque");
                         });

// A flat colour comes back within the 5-bit steps and smallest modifier.
TEST(EncodeEtc1Image, FlatColoursStayClose) {
    const std::array<std::array<std::uint8_t, 3>, 5> colours = {{{0, 0, 0}, {255, 255, 255}, {200, 100, 50},
                                                                  {13, 250, 128}, {128, 128, 128}}};
    for (const auto& colour : colours) {
        Bytes picture(8 * 8 * 4);
        for (std::size_t i = 0; i < picture.size(); i += 4) {
            picture[i] = colour[0];
            picture[i + 1] = colour[1];
            picture[i + 2] = colour[2];
            picture[i + 3] = 255;
        }
        const Bytes image = decoded(encodeEtc1Image(picture, 8, 8), 8, "RGB_ETC1");
        for (std::size_t i = 0; i < image.size(); ++i) {
            ASSERT_LE(std::abs(int{image[i]} - int{picture[i]}), 6)
                << "colour " << int{colour[0]} << ", " << int{colour[1]} << ", " << int{colour[2]} << " byte " << i;
        }
    }
}

TEST(TextureEncoders, RejectUnsupportedSizes) {
    EXPECT_THROW(encodeEtc1Image(Bytes(0), 0, 4), std::invalid_argument);
    EXPECT_THROW(encodeEtc1Image(Bytes(6 * 4 * 4), 6, 4), std::invalid_argument);
    EXPECT_THROW(encodeEtc1Image(Bytes(4 * 6 * 4), 4, 6), std::invalid_argument);
    EXPECT_THROW(encodeEtc1Image(Bytes(8 * 8 * 4 - 1), 8, 8), std::invalid_argument);
    EXPECT_THROW(encodePvrtc4Image(Bytes(4 * 4 * 4), 4), std::invalid_argument);
    EXPECT_THROW(encodePvrtc4Image(Bytes(12 * 12 * 4), 12), std::invalid_argument);
    EXPECT_THROW(encodePvrtc4Image(Bytes(16 * 16 * 4 + 4), 16), std::invalid_argument);
    EXPECT_NO_THROW(encodePvrtc4Image(Bytes(8 * 8 * 4), 8));
}

} // namespace
