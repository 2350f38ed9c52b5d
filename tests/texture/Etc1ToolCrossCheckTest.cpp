#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "texture/decodeEtcImage.h"
#include "png/encodePng.h"
#include "support/PngFile.h"
#include "support/TempFolder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr const char* etc1tool = "/usr/bin/etc1tool";

std::uint32_t big16(const Bytes& b, std::size_t at) { return (std::uint32_t{b[at]} << 8) | b[at + 1]; }

// A picture with smooth gradients, hard edges and saturated corners, so the
// encoder picks several block modes and modifier tables.
PixelRows drawTestPicture(std::uint32_t width, std::uint32_t height) {
    PixelRows rows(ImageSize{width, height});
    for (std::uint32_t y = 0; y < height; ++y) {
        std::uint8_t* row = rows.row(y);
        for (std::uint32_t x = 0; x < width; ++x) {
            const double dx = static_cast<double>(x) - width / 2.0;
            const double dy = static_cast<double>(y) - height / 2.0;
            const bool inDisc = dx * dx + dy * dy < (height / 3.0) * (height / 3.0);
            row[4 * x] = static_cast<std::uint8_t>(x * 255 / (width - 1));
            row[4 * x + 1] = static_cast<std::uint8_t>(inDisc ? 250U : y * 255 / (height - 1));
            row[4 * x + 2] = static_cast<std::uint8_t>(((x / 8 + y / 8) % 2) != 0 ? 230 : 20);
            row[4 * x + 3] = 255;
        }
    }
    return rows;
}

TEST(Etc1ToolCrossCheck, DecodesEncodedBlocksExactlyAsTheToolDoes) {
    if (!std::filesystem::exists(etc1tool)) {
        GTEST_SKIP() << etc1tool << " is not installed (Debian package etc1tool); cross-check skipped";
    }
    TempFolder folder;
    constexpr std::uint32_t width = 64;
    constexpr std::uint32_t height = 32;
    {
        const Bytes png = encodePng(drawTestPicture(width, height), pngSettingsFor(PngCompression::standard));
        std::ofstream("picture.png", std::ios::binary)
            .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    }
    const std::string encode = std::string(etc1tool) + " picture.png --encode -o picture.pkm > /dev/null 2>&1";
    ASSERT_EQ(std::system(encode.c_str()), 0) << encode;
    const std::string decodeCmd = std::string(etc1tool) + " picture.pkm --decode -o decoded.png > /dev/null 2>&1";
    ASSERT_EQ(std::system(decodeCmd.c_str()), 0) << decodeCmd;

    std::ifstream in("picture.pkm", std::ios::binary);
    const Bytes pkm((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GE(pkm.size(), 16U);
    ASSERT_EQ(std::string(pkm.begin(), pkm.begin() + 6), "PKM 10");
    const ImageSize padded{big16(pkm, 8), big16(pkm, 10)};
    ASSERT_EQ(padded, (ImageSize{width, height}));
    ASSERT_EQ(pkm.size(), 16U + std::size_t{width} * height / 2U);

    PixelRows ours(padded);
    ASSERT_EQ(decodeEtcImage(ByteSpan(pkm).subspan(16), ours), 0U);

    const PngFile theirs = PngFile::read("decoded.png");
    ASSERT_TRUE(theirs.valid);
    ASSERT_EQ(theirs.width, width);
    ASSERT_EQ(theirs.height, height);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < std::size_t{width} * height; ++i) {
        const std::uint8_t* pixel = ours.row(static_cast<std::uint32_t>(i / width)) + (i % width) * 4U;
        for (std::size_t c = 0; c < 3; ++c) {
            if (pixel[c] != theirs.rgba[4 * i + c]) {
                ++differing;
                ADD_FAILURE() << "pixel " << i % width << ", " << i / width << " channel " << c << ": ours "
                              << int{pixel[c]} << ", tool " << int{theirs.rgba[4 * i + c]};
                if (differing > 10) {
                    return;
                }
            }
        }
    }
    // The tool's own picture must not be flat: the check compares real content.
    std::size_t distinct = 0;
    for (std::size_t i = 4; i < theirs.rgba.size(); i += 4) {
        distinct += theirs.rgba[i] != theirs.rgba[i - 4] ? 1U : 0U;
    }
    EXPECT_GT(distinct, std::size_t{width});
}

} // namespace
