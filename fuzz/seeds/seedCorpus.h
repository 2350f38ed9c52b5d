#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/seeds/samplePackages.h"
#include "packagewriter/writePackage.h"

// The starting corpora of the fuzz targets: whole sample packages, their name
// tables and packet file lists, and small texture inputs for every format
// name. makeSeeds writes them to disk for the fuzzers; the regression test
// replays them through the same entry points.
namespace samples {

struct SeedInput {
    std::string corpus; // "package", "nametables" or "decodepixels"
    std::string name;
    std::vector<std::uint8_t> bytes;
};

namespace detail {

inline std::vector<std::uint8_t> slice(const std::vector<std::uint8_t>& bytes, packagewriter::Range range) {
    return {bytes.begin() + range.offset, bytes.begin() + range.offset + range.size};
}

// Selector, width and height (16-bit little-endian) and the texture bytes.
inline std::vector<std::uint8_t> textureInput(std::uint8_t selector, std::uint16_t width, std::uint16_t height,
                                              std::size_t dataSize) {
    std::vector<std::uint8_t> input = {selector, static_cast<std::uint8_t>(width),
                                       static_cast<std::uint8_t>(width >> 8U), static_cast<std::uint8_t>(height),
                                       static_cast<std::uint8_t>(height >> 8U)};
    const std::vector<std::uint8_t> data = patternBytes(dataSize, selector);
    input.insert(input.end(), data.begin(), data.end());
    return input;
}

} // namespace detail

inline std::vector<SeedInput> seedCorpus() {
    std::vector<SeedInput> seeds;
    int tables = 0;
    for (const NamedPackage& sample : samplePackages()) {
        const packagewriter::WrittenPackage written = packagewriter::writePackage(sample.plan);
        seeds.push_back({"package", sample.name + ".rsb", written.bytes});
        const packagewriter::Layout& layout = written.layout;
        for (const packagewriter::Range range : {layout.groupNameTable, layout.subGroupNameTable, layout.fileNameTable}) {
            if (range.size != 0) {
                seeds.push_back({"nametables", "table" + std::to_string(tables++), detail::slice(written.bytes, range)});
            }
        }
        for (const packagewriter::PacketLayout& packet : layout.packets) {
            if (packet.fileList.size != 0) {
                seeds.push_back(
                    {"nametables", "filelist" + std::to_string(tables++), detail::slice(written.bytes, packet.fileList)});
            }
        }
    }
    // Each of the twelve names at a small size, with enough bytes and with too few.
    for (std::uint8_t selector = 0; selector < 12; ++selector) {
        seeds.push_back({"decodepixels", "name" + std::to_string(selector) + "-full",
                         detail::textureInput(selector, 8, 8, 8 * 8 * 5)});
        seeds.push_back(
            {"decodepixels", "name" + std::to_string(selector) + "-short", detail::textureInput(selector, 5, 3, 7)});
    }
    std::vector<std::uint8_t> ownName = {20, 'E', 'T', 'C', '1', 4, 0, 4, 0};
    const std::vector<std::uint8_t> data = patternBytes(16, 9);
    ownName.insert(ownName.end(), data.begin(), data.end());
    seeds.push_back({"decodepixels", "own-name", ownName});
    return seeds;
}

} // namespace samples
