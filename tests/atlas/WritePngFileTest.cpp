#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "atlas/writePngFile.h"
#include "PngFile.h"
#include "support/TempFolder.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

PixelRows imageOf(ImageSize size, const std::vector<std::uint8_t>& rgba) {
    PixelRows rows(size);
    std::copy(rgba.begin(), rgba.end(), rows.bytes().begin());
    return rows;
}

std::optional<std::string> writeTo(const std::string& path, const PixelRows& rows) {
    File file(std::fopen(path.c_str(), "wb"));
    return writePngFile(rows, rows.width(), rows.height(), file.get());
}

TEST(WritePngFile, OnePixelKeepsItsChannels) {
    TempFolder folder;
    ASSERT_EQ(writeTo("one.png", imageOf({1, 1}, {10, 20, 30, 40})), std::nullopt);
    const PngFile png = PngFile::read("one.png");
    ASSERT_TRUE(png.valid);
    EXPECT_EQ(png.rgba, (std::vector<std::uint8_t>{10, 20, 30, 40}));
}

TEST(WritePngFile, RgbaNonInterlacedWithOnlyTheCriticalChunks) {
    TempFolder folder;
    std::vector<std::uint8_t> rgba(5 * 3 * 4);
    for (std::size_t i = 0; i < rgba.size(); ++i) {
        rgba[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    ASSERT_EQ(writeTo("image.png", imageOf({5, 3}, rgba)), std::nullopt);
    const PngFile png = PngFile::read("image.png");
    ASSERT_TRUE(png.valid);
    EXPECT_EQ(png.width, 5U);
    EXPECT_EQ(png.height, 3U);
    EXPECT_EQ(png.bitDepth, 8U);
    EXPECT_EQ(png.colourType, 6U);
    EXPECT_EQ(png.interlace, 0U);
    EXPECT_EQ(png.rgba, rgba);
    ASSERT_GE(png.chunks.size(), 3U);
    EXPECT_EQ(png.chunks.front(), "IHDR");
    EXPECT_EQ(png.chunks.back(), "IEND");
    for (std::size_t i = 1; i + 1 < png.chunks.size(); ++i) {
        EXPECT_EQ(png.chunks[i], "IDAT") << "chunk " << i;
    }
}

TEST(WritePngFile, ZeroSideFailsWithLibpngReason) {
    TempFolder folder;
    const std::optional<std::string> reason = writeTo("zero.png", PixelRows(ImageSize{0, 4}));
    ASSERT_TRUE(reason.has_value());
    EXPECT_NE(reason->find("IHDR"), std::string::npos) << *reason;
}

TEST(WritePngFile, FailedWriteIsReported) {
    TempFolder folder;
    { File create(std::fopen("readonly.png", "wb")); }
    File readOnly(std::fopen("readonly.png", "rb"));
    ASSERT_TRUE(readOnly);
    const PixelRows rows = imageOf({2, 2}, std::vector<std::uint8_t>(16, 9));
    const std::optional<std::string> reason = writePngFile(rows, 2, 2, readOnly.get());
    ASSERT_TRUE(reason.has_value());
    EXPECT_FALSE(reason->empty());
}

TEST(WritePngFile, SizeOtherThanTheRowsIsRefused) {
    TempFolder folder;
    File file(std::fopen("mismatch.png", "wb"));
    const PixelRows rows(ImageSize{2, 2});
    EXPECT_TRUE(writePngFile(rows, 4, 4, file.get()).has_value());
}

} // namespace
