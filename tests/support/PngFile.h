#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <png.h>

// A PNG file read back independently of the writer: its chunk types in file
// order, its IHDR fields and its pixels converted to 8-bit RGBA by libpng.
struct PngFile {
    bool valid = false;
    std::vector<std::string> chunks;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    unsigned bitDepth = 0;
    unsigned colourType = 0;
    unsigned interlace = 0;
    std::vector<std::uint8_t> rgba;

    static PngFile read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return fromBytes(
            std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    }

    static PngFile fromBytes(const std::vector<std::uint8_t>& bytes) {
        PngFile png;
        static const std::uint8_t signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
        if (bytes.size() < 8 || !std::equal(signature, signature + 8, bytes.begin())) {
            return png;
        }
        for (std::size_t at = 8; at + 12 <= bytes.size();) {
            const std::uint32_t length = big32(bytes, at);
            png.chunks.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(at + 4),
                                    bytes.begin() + static_cast<std::ptrdiff_t>(at + 8));
            if (png.chunks.back() == "IHDR" && at + 8 + 13 <= bytes.size()) {
                png.width = big32(bytes, at + 8);
                png.height = big32(bytes, at + 12);
                png.bitDepth = bytes[at + 16];
                png.colourType = bytes[at + 17];
                png.interlace = bytes[at + 20];
            }
            at += 12U + std::size_t{length};
        }
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()) == 0) {
            return png;
        }
        image.format = PNG_FORMAT_RGBA;
        png.rgba.resize(PNG_IMAGE_SIZE(image));
        if (png_image_finish_read(&image, nullptr, png.rgba.data(), 0, nullptr) == 0) {
            png_image_free(&image);
            return png;
        }
        png.valid = true;
        return png;
    }

private:
    static std::uint32_t big32(const std::vector<std::uint8_t>& b, std::size_t at) {
        return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) |
               std::uint32_t{b[at + 3]};
    }
};
