#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "packagewriter/writePackage.h"
#include "support/Banner.h"

// What the end-to-end tests of the real binary share: the index file, the
// pixels and atlas entries their packages are made of, and the transcript up
// to the index file's input line.
namespace e2e {

namespace pw = packagewriter;

// Codes 0 (RGBA32) and 2 (RGB24), 9 a name no decoder knows, 147 ETC; the
// trailing comma is accepted.
inline const std::string indexJson = R"({"TextureFormat": [
    {"Index": 0, "TextureFormat": "RGBA32"},
    {"Index": 2, "TextureFormat": "RGB24"},
    {"Index": 9, "TextureFormat": "UnKnown"},
    {"Index": 147, "TextureFormat": "RGB_ETC1"},
]})";

inline std::vector<std::uint8_t> textBytes(const std::string& text) { return {text.begin(), text.end()}; }

// 2 x 2 RGBA32 pixels, each channel distinct.
inline const std::vector<std::uint8_t> rgbaPixels {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
// 3 x 1 RGB24 pixels.
inline const std::vector<std::uint8_t> rgbPixels {200, 100, 50, 0, 255, 0, 7, 8, 9};

inline pw::PacketFile atlasFile(const std::string& path, std::uint32_t index, std::vector<std::uint8_t> data,
                                std::uint32_t width = 0, std::uint32_t height = 0) {
    return {.path = path, .type = pw::atlasFile, .data = std::move(data), .atlasIndex = index, .width = width,
            .height = height};
}

// Writes the package of `plan` at `packagePath` and the index file at `indexPath`.
inline void writeInputs(const std::filesystem::path& packagePath, const pw::Package& plan,
                        const std::filesystem::path& indexPath) {
    std::filesystem::create_directories(packagePath.parent_path());
    const std::vector<std::uint8_t> package = pw::writePackage(plan).bytes;
    std::ofstream(packagePath, std::ios::binary)
        .write(reinterpret_cast<const char*>(package.data()), static_cast<std::streamsize>(package.size()));
    std::ofstream(indexPath, std::ios::binary) << indexJson;
}

// What a run prints from the banner to the index file's input line.
inline std::string transcriptHead(const std::filesystem::path& package, const std::filesystem::path& index) {
    return banner + package.string() + "\nInPut : " + package.string() +
           "\n"
           "Now Analysis ResourcePackage Information\n"
           "Finish : Analysis ResourcePackage Information\n"
           "Now OutPut Atlas Resource\n"
           "Please Choose TextureFormat Index Information File\n" +
           index.string() + "\nInPut : " + index.string() + "\n";
}

} // namespace e2e
