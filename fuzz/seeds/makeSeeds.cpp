// Writes the starting corpora of the fuzz targets: whole sample packages,
// their name tables and packet file lists, and small texture inputs for
// every format name, each as one file in the folder of its target.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/seeds/samplePackages.h"
#include "packagewriter/writePackage.h"

namespace {

void writeSeed(const std::filesystem::path& folder, const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::filesystem::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write seed " + (folder / name).string());
    }
}

std::vector<std::uint8_t> slice(const std::vector<std::uint8_t>& bytes, packagewriter::Range range) {
    return {bytes.begin() + range.offset, bytes.begin() + range.offset + range.size};
}

// Selector, width and height (16-bit little-endian) and the texture bytes.
std::vector<std::uint8_t> textureInput(std::uint8_t selector, std::uint16_t width, std::uint16_t height,
                                       std::size_t dataSize) {
    std::vector<std::uint8_t> input = {selector, static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(width >> 8U),
                                       static_cast<std::uint8_t>(height), static_cast<std::uint8_t>(height >> 8U)};
    const std::vector<std::uint8_t> data = samples::patternBytes(dataSize, selector);
    input.insert(input.end(), data.begin(), data.end());
    return input;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeSeeds CORPUS_ROOT\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    int tables = 0;
    for (const samples::NamedPackage& sample : samples::samplePackages()) {
        const packagewriter::WrittenPackage written = packagewriter::writePackage(sample.plan);
        writeSeed(root / "package", sample.name + ".rsb", written.bytes);
        const packagewriter::Layout& layout = written.layout;
        for (const packagewriter::Range range : {layout.groupNameTable, layout.subGroupNameTable, layout.fileNameTable}) {
            if (range.size != 0) {
                writeSeed(root / "nametables", "table" + std::to_string(tables++), slice(written.bytes, range));
            }
        }
        for (const packagewriter::PacketLayout& packet : layout.packets) {
            if (packet.fileList.size != 0) {
                writeSeed(root / "nametables", "filelist" + std::to_string(tables++),
                          slice(written.bytes, packet.fileList));
            }
        }
    }
    // Each of the twelve names at a small size, with enough bytes and with too few.
    for (std::uint8_t selector = 0; selector < 12; ++selector) {
        writeSeed(root / "decodepixels", "name" + std::to_string(selector) + "-full", textureInput(selector, 8, 8, 8 * 8 * 5));
        writeSeed(root / "decodepixels", "name" + std::to_string(selector) + "-short", textureInput(selector, 5, 3, 7));
    }
    std::vector<std::uint8_t> ownName = {20, 'E', 'T', 'C', '1', 4, 0, 4, 0};
    const std::vector<std::uint8_t> data = samples::patternBytes(16, 9);
    ownName.insert(ownName.end(), data.begin(), data.end());
    writeSeed(root / "decodepixels", "own-name", ownName);
    return 0;
}
