#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "png/encodePng.h"
#include "support/PngFile.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A picture that gives every filter something to do: smooth gradients, a
// hard-edged checkerboard, noise in one corner and translucent alpha.
Bytes drawPicture(ImageSize size) {
    Bytes rgba(std::size_t{size.width} * size.height * 4U);
    std::uint32_t noise = 12345;
    for (std::uint32_t y = 0; y < size.height; ++y) {
        for (std::uint32_t x = 0; x < size.width; ++x) {
            std::uint8_t* p = rgba.data() + (std::size_t{y} * size.width + x) * 4U;
            noise = noise * 1103515245U + 12345U;
            const bool noisy = x < size.width / 3 && y < size.height / 3;
            p[0] = static_cast<std::uint8_t>(noisy ? noise >> 24 : x * 3 + y);
            p[1] = static_cast<std::uint8_t>(((x / 5 + y / 3) % 2) != 0 ? 200 : 30);
            p[2] = static_cast<std::uint8_t>(y * 7);
            p[3] = static_cast<std::uint8_t>(255U - (x + y) % 256U);
        }
    }
    return rgba;
}

PixelRows rowsOf(ImageSize size, const Bytes& rgba) {
    PixelRows rows(size);
    const std::size_t rowBytes = std::size_t{size.width} * 4U;
    for (std::uint32_t y = 0; y < size.height; ++y) {
        std::memcpy(rows.row(y), rgba.data() + y * rowBytes, rowBytes);
    }
    return rows;
}

// The filter type byte of every row, from the inflated IDAT data.
Bytes filterTypes(const Bytes& png, ImageSize size) {
    Bytes compressed;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::size_t length = (std::size_t{png[at]} << 24) | (std::size_t{png[at + 1]} << 16) |
                                   (std::size_t{png[at + 2]} << 8) | png[at + 3];
        if (std::memcmp(png.data() + at + 4, "IDAT", 4) == 0) {
            compressed.insert(compressed.end(), png.begin() + static_cast<std::ptrdiff_t>(at + 8),
                              png.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
        }
        at += 12 + length;
    }
    const std::size_t stride = std::size_t{size.width} * 4U + 1U;
    Bytes filtered(stride * size.height);
    uLongf length = filtered.size();
    if (uncompress(filtered.data(), &length, compressed.data(), compressed.size()) != Z_OK || length != filtered.size()) {
        return {};
    }
    Bytes types;
    for (std::uint32_t y = 0; y < size.height; ++y) {
        types.push_back(filtered[y * stride]);
    }
    return types;
}

struct SettingsCase {
    const char* name;
    PngSettings settings;
};

const SettingsCase settingsCases[] = {
    {"fast", pngSettingsFor(PngCompression::fast)},
    {"default", pngSettingsFor(PngCompression::standard)},
    {"best", pngSettingsFor(PngCompression::best)},
    {"none_level1", {PngFilter::none, 1}},
    {"sub_level1", {PngFilter::sub, 1}},
    {"up_level6", {PngFilter::up, 6}},
    {"average_level6", {PngFilter::average, 6}},
    {"paeth_level9", {PngFilter::paeth, 9}},
    {"perRow_level1", {PngFilter::perRow, 1}},
};

const ImageSize sizes[] = {{1, 1}, {2, 2}, {3, 5}, {17, 9}, {1, 40}, {40, 1}, {255, 3}, {1023, 130}};

class EncodePngRoundTrip : public testing::TestWithParam<SettingsCase> {};

// libpng decodes every size back to exactly the pixels given, from a file of
// exactly IHDR (8-bit RGBA, not interlaced), one IDAT and IEND.
TEST_P(EncodePngRoundTrip, LibpngReadsBackThePixels) {
    const PngSettings settings = GetParam().settings;
    for (const ImageSize size : sizes) {
        const std::string label = std::to_string(size.width) + " x " + std::to_string(size.height);
        const Bytes rgba = drawPicture(size);
        const Bytes png = encodePng(rowsOf(size, rgba), settings);
        const PngFile file = PngFile::fromBytes(png);
        ASSERT_TRUE(file.valid) << label;
        EXPECT_EQ(file.chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"})) << label;
        EXPECT_EQ(file.width, size.width) << label;
        EXPECT_EQ(file.height, size.height) << label;
        EXPECT_EQ(file.bitDepth, 8U) << label;
        EXPECT_EQ(file.colourType, 6U) << label;
        EXPECT_EQ(file.interlace, 0U) << label;
        EXPECT_EQ(file.rgba, rgba) << label;

        const Bytes types = filterTypes(png, size);
        ASSERT_EQ(types.size(), size.height) << label;
        for (const std::uint8_t type : types) {
            if (settings.filter == PngFilter::perRow) {
                EXPECT_LE(type, 4) << label;
            } else {
                EXPECT_EQ(type, static_cast<std::uint8_t>(settings.filter)) << label;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, EncodePngRoundTrip, testing::ValuesIn(settingsCases),
                         [](const testing::TestParamInfo<SettingsCase>& row) { return std::string(row.param.name); });

TEST(EncodePng, OnePixelKeepsItsChannels) {
    const PngFile file = PngFile::fromBytes(
        encodePng(rowsOf({1, 1}, {10, 20, 30, 40}), pngSettingsFor(PngCompression::standard)));
    ASSERT_TRUE(file.valid);
    EXPECT_EQ(file.rgba, (Bytes{10, 20, 30, 40}));
}

// Per row, the choice goes to the filter that fits the row: a row that
// repeats the noisy one above it is all zeros after UP (PAETH ties, and the
// lower type wins), a ramp under a noisy row is all threes after SUB.
TEST(EncodePng, PerRowChoiceFollowsTheRows) {
    const ImageSize size{64, 8};
    Bytes rgba(std::size_t{size.width} * size.height * 4U);
    std::uint32_t noise = 99;
    for (std::uint32_t y = 0; y < size.height; ++y) {
        std::uint8_t* row = rgba.data() + std::size_t{y} * size.width * 4U;
        const std::uint8_t* above = y > 0 ? row - std::size_t{size.width} * 4U : nullptr;
        for (std::uint32_t i = 0; i < size.width * 4U; ++i) {
            noise = noise * 1103515245U + 12345U;
            row[i] = static_cast<std::uint8_t>(noise >> 24);
            if (y == 1) {
                row[i] = above[i];
            } else if (y == 5) {
                row[i] = static_cast<std::uint8_t>(i / 4U * 3U + i % 4U);
            }
        }
    }
    const Bytes png = encodePng(rowsOf(size, rgba), {PngFilter::perRow, 6});
    const PngFile file = PngFile::fromBytes(png);
    ASSERT_TRUE(file.valid);
    EXPECT_EQ(file.rgba, rgba);
    const Bytes types = filterTypes(png, size);
    ASSERT_EQ(types.size(), size.height);
    EXPECT_EQ(types[1], 2) << "UP for a row equal to the one above";
    EXPECT_EQ(types[5], 1) << "SUB for a ramp across";
}

// Each thread keeps its compressors and working buffers for its next image.
// Whatever came before on the thread (wider or narrower images, other
// filters and levels, an image too large for the kept output buffer), an
// image's PNG is the one a fresh thread makes of it.
TEST(EncodePng, KeptStateDoesNotLeakIntoTheNextImage) {
    const PngSettings standard = pngSettingsFor(PngCompression::standard);
    const struct {
        ImageSize size;
        PngSettings settings;
    } sequence[] = {
        {{300, 40}, {PngFilter::perRow, 12}},
        {{17, 9}, standard},
        {{150, 60}, {PngFilter::up, 6}}, // its row of zeros lies where the last image's filtered rows went
        {{300, 40}, {PngFilter::sub, 1}},
        {{640, 480}, standard}, // past the kept output buffer
        {{33, 70}, {PngFilter::paeth, 6}},
        {{150, 60}, {PngFilter::perRow, 12}},
    };
    std::vector<Bytes> afterOthers;
    for (const auto& step : sequence) {
        afterOthers.push_back(encodePng(rowsOf(step.size, drawPicture(step.size)), step.settings));
    }
    for (std::size_t i = 0; i < std::size(sequence); ++i) {
        Bytes fresh;
        std::thread([&] {
            fresh = encodePng(rowsOf(sequence[i].size, drawPicture(sequence[i].size)), sequence[i].settings);
        }).join();
        EXPECT_EQ(afterOthers[i], fresh) << "image " << i;
        EXPECT_EQ(PngFile::fromBytes(afterOthers[i]).rgba, drawPicture(sequence[i].size)) << "image " << i;
    }
}

TEST(EncodePng, ZeroSideIsRefused) {
    for (const ImageSize size : {ImageSize{0, 4}, ImageSize{4, 0}, ImageSize{0, 0}}) {
        EXPECT_THROW(encodePng(PixelRows(size), pngSettingsFor(PngCompression::standard)), PngSizeError)
            << size.width << " x " << size.height;
    }
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// More than 2^31 - 1 bytes of row data cannot be promised to fit one IDAT
// chunk. The rows' zero pages are never touched: the size is refused first.
TEST(EncodePng, DataBeyondOneChunkIsRefused) {
    PixelRows rows(ImageSize{23200, 23200});
    EXPECT_THROW(encodePng(std::move(rows), pngSettingsFor(PngCompression::fast)), PngSizeError);
}
#endif

TEST(PixelRows, SizeWithoutAnAddressIsRefused) {
    EXPECT_THROW(PixelRows(ImageSize{0xFFFFFFFFU, 0xFFFFFFFFU}), std::length_error);
}

} // namespace
