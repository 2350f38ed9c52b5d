// Writes the packages the gallery's browser tests and measurements open:
//   make_gallery_packages FOLDER [--many]  ->  FOLDER/hostile.rsb, FOLDER/index.json
//                                              (and FOLDER/many.rsb with --many)
// hostile.rsb names its groups, subgroups and atlases with text that would
// be markup, script, URL syntax, control bytes or invalid UTF-8 if a page
// took it as it is; many.rsb holds 2,000 small atlases in 40 subgroups.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "packagewriter/writePackage.h"

namespace {

namespace pw = packagewriter;
using namespace std::string_literals;

// The names, also listed by the browser test (tests/gallery/galleryBrowserTest.py).
const std::vector<std::string> hostileNames = {
    "<img src=x onerror=alert(1)>",
    "</script><script>alert(2)</script>",
    "q\"uote's & 100% #hash ?query=1",
    "back\\slash and sp ace",
    "ctl\x01\x1f" "byte",
    "bad\xff\xfeutf8",
    "<!--<svg onload=alert(3)>",
    "a\xe2\x80\xa8line\xe2\x80\xa9sep",
};

// A w x h RGBA32 picture: a colour of `seed` in a transparent frame.
std::vector<std::uint8_t> picture(std::uint32_t width, std::uint32_t height, std::uint32_t seed) {
    std::vector<std::uint8_t> rgba(std::size_t {width} * height * 4U, 0);
    for (std::uint32_t y = 2; y + 2 < height; ++y) {
        for (std::uint32_t x = 2; x + 2 < width; ++x) {
            std::uint8_t* p = rgba.data() + (std::size_t {y} * width + x) * 4U;
            p[0] = static_cast<std::uint8_t>(seed * 53U + x * 2U);
            p[1] = static_cast<std::uint8_t>(seed * 101U + y * 3U);
            p[2] = static_cast<std::uint8_t>(seed * 29U + (x ^ y));
            p[3] = 255;
        }
    }
    return rgba;
}

pw::PacketFile atlasFile(pw::Package& package, const std::string& path, std::uint32_t index, std::uint32_t width,
                         std::uint32_t height, std::uint32_t seed) {
    package.textures.push_back({.width = width, .height = height, .format = 0});
    return {.path = path, .type = pw::atlasFile, .data = picture(width, height, seed), .atlasIndex = index,
            .width = width, .height = height};
}

pw::Package hostilePackage() {
    pw::Package package;
    package.version = 4;
    std::vector<pw::Slot> slots;
    for (std::uint32_t k = 0; k < hostileNames.size(); ++k) {
        pw::SubGroup subGroup {.name = hostileNames[k] + " " + std::to_string(k), .compressionFlags = 1,
                               .firstTextureIndex = static_cast<std::uint32_t>(package.textures.size())};
        // One atlas named by the name alone, one in a folder of that name.
        subGroup.files.push_back(atlasFile(package, hostileNames[k], 0, 40, 24, k));
        subGroup.files.push_back(atlasFile(package, "dir " + hostileNames[k] + "/" + std::to_string(k), 1, 24, 40,
                                           k + 100U));
        package.subGroups.push_back(subGroup);
        slots.push_back({k, k + 1U, 0});
    }
    package.groups = {{.name = "<b>group</b> & \"friends\"", .slots = slots}};
    return package;
}

pw::Package manyPackage() {
    pw::Package package;
    package.version = 4;
    constexpr std::uint32_t subGroups = 40;
    constexpr std::uint32_t atlasesEach = 50;
    for (std::uint32_t group = 0; group < 4; ++group) {
        pw::Group entry {.name = "Group_" + std::to_string(group)};
        for (std::uint32_t k = group * 10U; k < (group + 1U) * 10U && k < subGroups; ++k) {
            entry.slots.push_back({k, k + 1U, 0});
        }
        package.groups.push_back(entry);
    }
    for (std::uint32_t k = 0; k < subGroups; ++k) {
        pw::SubGroup subGroup {.name = "Packet_" + std::to_string(k), .compressionFlags = 1,
                               .firstTextureIndex = static_cast<std::uint32_t>(package.textures.size())};
        for (std::uint32_t a = 0; a < atlasesEach; ++a) {
            const std::uint32_t width = 64U + 32U * (a % 4U);
            const std::uint32_t height = 64U + 32U * (a % 3U);
            subGroup.files.push_back(atlasFile(package,
                                               "images/packet" + std::to_string(k) + "/atlas_" + std::to_string(a),
                                               a, width, height, k * atlasesEach + a));
        }
        package.subGroups.push_back(subGroup);
    }
    return package;
}

void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

} // namespace

int main(int argc, char** argv) {
    const bool many = argc == 3 && std::string(argv[2]) == "--many";
    if (argc != 2 && !many) {
        std::fprintf(stderr, "usage: make_gallery_packages FOLDER [--many]\n");
        return 2;
    }
    try {
        const std::filesystem::path folder = argv[1];
        std::filesystem::create_directories(folder);
        writeBytes(folder / "hostile.rsb", pw::writePackage(hostilePackage()).bytes);
        if (many) {
            writeBytes(folder / "many.rsb", pw::writePackage(manyPackage()).bytes);
        }
        const std::string index = R"({"TextureFormat": [{"Index": 0, "TextureFormat": "RGBA32"}]})";
        writeBytes(folder / "index.json", std::vector<std::uint8_t>(index.begin(), index.end()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_gallery_packages: %s\n", error.what());
        return 1;
    }
    return 0;
}
