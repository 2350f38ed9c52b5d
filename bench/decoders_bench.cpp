// Decoding and PNG writing speed on 2048 x 2048 atlases. The "px/s" counter
// is pixels per second of one thread.
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "texture/PixelFormat.h"
#include "texture/PixelRows.h"
#include "texture/decodeEtcImage.h"
#include "texture/decodePixels.h"
#include "texture/decodePvrtc4Image.h"
#include "png/encodePng.h"
#include "bench/paintPicture.h"

namespace {

constexpr std::uint32_t side = 2048;
constexpr std::size_t pixelCount = std::size_t{side} * side;

std::vector<std::uint8_t> randomBytes(std::size_t n) {
    std::mt19937 random(12345U);
    std::vector<std::uint8_t> bytes(n);
    for (std::uint8_t& b : bytes) {
        b = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

void countPixels(benchmark::State& state) {
    state.counters["px/s"] =
        benchmark::Counter(static_cast<double>(pixelCount), benchmark::Counter::kIsIterationInvariantRate);
}

// decodePixels into the RGBA rows; source bytes per pixel as the format needs.
void decodeFormat(benchmark::State& state, const char* format, std::size_t sourceBytes) {
    const std::vector<std::uint8_t> source = randomBytes(sourceBytes);
    const PixelFormat pixelFormat = pixelFormatNamed(format);
    PixelRows rows(ImageSize{side, side});
    for (auto _ : state) {
        benchmark::DoNotOptimize(decodePixels(source, rows, pixelFormat));
        benchmark::ClobberMemory();
    }
    countPixels(state);
}

void BM_DecodePixels_RGBA32(benchmark::State& s) { decodeFormat(s, "RGBA32", pixelCount * 4); }
void BM_DecodePixels_BGRA32(benchmark::State& s) { decodeFormat(s, "BGRA32", pixelCount * 4); }
void BM_DecodePixels_RGB24(benchmark::State& s) { decodeFormat(s, "RGB24", pixelCount * 3); }
void BM_DecodePixels_BGR24(benchmark::State& s) { decodeFormat(s, "BGR24", pixelCount * 3); }
void BM_DecodePixels_RGB24_ALPHA(benchmark::State& s) { decodeFormat(s, "RGB24_ALPHA", pixelCount * 4); }
void BM_DecodePixels_BGR24_ALPHA(benchmark::State& s) { decodeFormat(s, "BGR24_ALPHA", pixelCount * 4); }
void BM_DecodePixels_RGB_ETC1(benchmark::State& s) { decodeFormat(s, "RGB_ETC1", pixelCount / 2); }
void BM_DecodePixels_RGB_ETC1_ALPHA(benchmark::State& s) { decodeFormat(s, "RGB_ETC1_ALPHA", pixelCount / 2 * 3); }
void BM_DecodePixels_RGBA_PVRTC4(benchmark::State& s) { decodeFormat(s, "RGBA_PVRTC4", pixelCount / 2); }

// The block decoders alone, called directly.
void BM_DecodeEtcImage(benchmark::State& state) {
    const std::vector<std::uint8_t> source = randomBytes(pixelCount / 2);
    PixelRows rows(ImageSize{side, side});
    for (auto _ : state) {
        benchmark::DoNotOptimize(decodeEtcImage(source, rows));
        benchmark::ClobberMemory();
    }
    countPixels(state);
}

void BM_DecodePvrtc4Image(benchmark::State& state) {
    const std::vector<std::uint8_t> source = randomBytes(pixelCount / 2);
    PixelRows rows(ImageSize{side, side});
    for (auto _ : state) {
        benchmark::DoNotOptimize(decodePvrtc4Image(source, rows));
        benchmark::ClobberMemory();
    }
    countPixels(state);
}

// The PNG encoder at its default settings on a painted sheet of sprites,
// compressible like a real atlas. The encoder uses its image up, so each
// round refills it untimed.
void BM_EncodePng(benchmark::State& state) {
    const std::vector<std::uint8_t> picture = paintPicture(side, side, 1);
    for (auto _ : state) {
        state.PauseTiming();
        PixelRows rows(ImageSize{side, side});
        for (std::uint32_t y = 0; y < side; ++y) {
            std::memcpy(rows.row(y), picture.data() + std::size_t{y} * side * 4U, std::size_t{side} * 4U);
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(encodePng(std::move(rows), pngSettingsFor(PngCompression::standard)));
    }
    countPixels(state);
}

} // namespace

BENCHMARK(BM_DecodePixels_RGBA32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePixels_BGRA32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePixels_RGB24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePixels_BGR24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePixels_RGB24_ALPHA)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePixels_BGR24_ALPHA)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePixels_RGB_ETC1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePixels_RGB_ETC1_ALPHA)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePixels_RGBA_PVRTC4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeEtcImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePvrtc4Image)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodePng)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
