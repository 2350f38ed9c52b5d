#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Deflate.h"

// The same cases hold for both back ends: libdeflate in the Linux build,
// zlib in the Windows build (run under wine).

namespace {

std::vector<std::uint8_t> sampleData() {
    std::vector<std::uint8_t> data;
    for (std::uint32_t i = 0; i < 100000; ++i) {
        data.push_back(static_cast<std::uint8_t>((i * 7U) % 251U ^ (i >> 9U)));
    }
    return data;
}

std::vector<std::uint8_t> compressed(const std::vector<std::uint8_t>& data, int level) {
    zlibStream::Compressor compressor(level);
    std::vector<std::uint8_t> out(compressor.zlibBound(data.size()));
    const std::size_t size = compressor.zlibCompress(data.data(), data.size(), out.data(), out.size());
    out.resize(size);
    return out;
}

TEST(Deflate, Crc32OfTheCheckString) {
    const std::string check = "123456789";
    EXPECT_EQ(zlibStream::crc32(0, check.data(), check.size()), 0xCBF43926U);
    // Continued over two pieces, the same value.
    EXPECT_EQ(zlibStream::crc32(zlibStream::crc32(0, check.data(), 4), check.data() + 4, 5), 0xCBF43926U);
}

TEST(Deflate, EveryLevelInflatesBackToTheData) {
    const std::vector<std::uint8_t> data = sampleData();
    for (const int level : {1, 6, 9, 12}) {
        SCOPED_TRACE(level);
        const std::vector<std::uint8_t> stream = compressed(data, level);
        ASSERT_FALSE(stream.empty());
        EXPECT_LT(stream.size(), data.size());
        std::vector<std::uint8_t> back(data.size());
        std::size_t produced = 0;
        zlibStream::Decompressor decompressor;
        ASSERT_EQ(decompressor.zlibDecompress(stream.data(), stream.size(), back.data(), back.size(), produced),
                  zlibStream::InflateResult::success);
        EXPECT_EQ(produced, data.size());
        EXPECT_EQ(back, data);
    }
}

TEST(Deflate, TooLittleRoomToCompressGivesZero) {
    const std::vector<std::uint8_t> data = sampleData();
    zlibStream::Compressor compressor(6);
    std::vector<std::uint8_t> out(100);
    EXPECT_EQ(compressor.zlibCompress(data.data(), data.size(), out.data(), out.size()), 0U);
}

TEST(Deflate, InflationFailuresAreToldApart) {
    const std::vector<std::uint8_t> data = sampleData();
    const std::vector<std::uint8_t> stream = compressed(data, 6);
    zlibStream::Decompressor decompressor;
    std::vector<std::uint8_t> back(data.size());
    std::size_t produced = 0;

    EXPECT_EQ(decompressor.zlibDecompress(stream.data(), stream.size(), back.data(), data.size() - 1, produced),
              zlibStream::InflateResult::insufficientSpace);
    EXPECT_EQ(decompressor.zlibDecompress(stream.data(), stream.size() / 2, back.data(), back.size(), produced),
              zlibStream::InflateResult::badData)
        << "a stream cut in the middle";
    std::vector<std::uint8_t> damaged = stream;
    damaged[0] = 0x79; // not a deflate method in the zlib header
    EXPECT_EQ(decompressor.zlibDecompress(damaged.data(), damaged.size(), back.data(), back.size(), produced),
              zlibStream::InflateResult::badData);
    // A larger room than needed: success, and the true size.
    std::vector<std::uint8_t> roomy(data.size() + 10);
    ASSERT_EQ(decompressor.zlibDecompress(stream.data(), stream.size(), roomy.data(), roomy.size(), produced),
              zlibStream::InflateResult::success);
    EXPECT_EQ(produced, data.size());
}

} // namespace
