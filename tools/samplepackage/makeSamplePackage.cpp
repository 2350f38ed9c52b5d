// Writes a small but realistic sample package and the matching texture-format
// index file, so that a newcomer can watch the tool at work:
//   make_sample_package FOLDER   ->  FOLDER/sample.rsb, FOLDER/TextureFormatIndex.json
// Every picture is drawn here; the compressed formats use our own encoders.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/Bytes.h"
#include "packagewriter/writePackage.h"
#include "texture/encodeEtc1Image.h"
#include "texture/encodePvrtc4Image.h"
#include "tools/samplepackage/SamplePictures.h"

namespace {

namespace pw = packagewriter;

// The format codes of the sample's index file.
enum Code : std::uint32_t {
    rgba32 = 0,
    bgra32 = 1,
    rgb24 = 2,
    bgr24 = 3,
    rgb24Alpha = 4,
    bgr24Alpha = 5,
    rgbEtc1 = 147,
    rgbEtc1Alpha = 148,
    rgbaPvrtc4 = 30,
    undecodable = 40,
    unlisted = 999,
};

std::vector<std::uint8_t> swapRedBlue(std::vector<std::uint8_t> rgba) {
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) {
        std::swap(rgba[i], rgba[i + 2]);
    }
    return rgba;
}

// Three bytes per pixel (R, G, B or, swapped, B, G, R), optionally followed by an alpha plane.
std::vector<std::uint8_t> threeBytePixels(const Picture& picture, bool blueFirst, bool alphaPlane) {
    std::vector<std::uint8_t> out;
    const std::size_t pixels = std::size_t{picture.width} * picture.height;
    out.reserve(pixels * (alphaPlane ? 4U : 3U));
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint8_t* p = picture.rgba.data() + i * 4;
        out.push_back(blueFirst ? p[2] : p[0]);
        out.push_back(p[1]);
        out.push_back(blueFirst ? p[0] : p[2]);
    }
    if (alphaPlane) {
        for (std::size_t i = 0; i < pixels; ++i) {
            out.push_back(picture.rgba[i * 4 + 3]);
        }
    }
    return out;
}

// The picture placed at the top left of a larger transparent canvas.
Picture onCanvas(const Picture& picture, std::uint32_t width, std::uint32_t height) {
    Picture canvas;
    canvas.width = width;
    canvas.height = height;
    canvas.rgba.assign(std::size_t{width} * height * 4U, 0);
    for (std::uint32_t y = 0; y < picture.height && y < height; ++y) {
        for (std::uint32_t x = 0; x < picture.width && x < width; ++x) {
            for (std::uint32_t c = 0; c < 4; ++c) {
                canvas.rgba[(std::size_t{y} * width + x) * 4 + c] = picture.rgba[(std::size_t{y} * picture.width + x) * 4 + c];
            }
        }
    }
    return canvas;
}

std::vector<std::uint8_t> etc1Data(const Picture& picture, bool alphaPlane) {
    const Picture canvas =
        onCanvas(picture, roundUpToPowerOfTwo(picture.width), roundUpToPowerOfTwo(picture.height));
    std::vector<std::uint8_t> out = encodeEtc1Image(canvas.rgba, canvas.width, canvas.height);
    if (alphaPlane) {
        for (std::size_t i = 0; i < std::size_t{canvas.width} * canvas.height; ++i) {
            out.push_back(canvas.rgba[i * 4 + 3]);
        }
    }
    return out;
}

std::vector<std::uint8_t> pvrtcData(const Picture& picture) {
    const std::uint32_t side =
        std::max(roundUpToPowerOfTwo(picture.width), roundUpToPowerOfTwo(picture.height));
    const Picture canvas = onCanvas(picture, side, side);
    return encodePvrtc4Image(canvas.rgba, side);
}

std::vector<std::uint8_t> textBytes(const std::string& text) { return {text.begin(), text.end()}; }

// Adds an atlas file and its texture record; returns the file.
pw::PacketFile atlas(pw::Package& package, std::uint32_t firstTexture, std::uint32_t& nextIndex,
                     const std::string& path, const Picture& picture, std::uint32_t code,
                     std::vector<std::uint8_t> data) {
    pw::PacketFile file;
    file.path = path;
    file.type = pw::atlasFile;
    file.data = std::move(data);
    file.atlasIndex = nextIndex++;
    file.width = picture.width;
    file.height = picture.height;
    if (package.textures.size() <= firstTexture + file.atlasIndex) {
        package.textures.resize(firstTexture + file.atlasIndex + 1U);
    }
    pw::Texture& texture = package.textures[firstTexture + file.atlasIndex];
    texture.width = picture.width;
    texture.height = picture.height;
    texture.format = code;
    return file;
}

pw::PacketFile resource(const std::string& path, const std::string& text) {
    pw::PacketFile file;
    file.path = path;
    file.data = textBytes(text);
    return file;
}

pw::Package samplePackage() {
    pw::Package package;
    package.magic = 0x31627370; // any value: the tool does not compare it
    package.version = 4;
    package.textureRecordSize = 24;

    // Subgroup 0: the user interface, both blocks compressed.
    {
        pw::SubGroup ui;
        ui.name = "UI_Common_1536";
        ui.compressionFlags = 3;
        ui.firstTextureIndex = 0;
        std::uint32_t next = 0;
        const Picture gradient = drawGradient(256, 256);
        const Picture rings = drawRings(128, 128);
        const Picture landscape = drawLandscape(200, 150);
        const Picture board = drawCheckerboard(96, 64, 16);
        ui.files.push_back(atlas(package, 0, next, "images/ui/gradient_rgba32", gradient, rgba32, gradient.rgba));
        ui.files.push_back(atlas(package, 0, next, "images/ui/rings_bgra32", rings, bgra32, swapRedBlue(rings.rgba)));
        ui.files.push_back(atlas(package, 0, next, "images/ui/landscape_rgb24", landscape, rgb24,
                                 threeBytePixels(landscape, false, false)));
        ui.files.push_back(atlas(package, 0, next, "images\\ui\\board_bgr24", board, bgr24,
                                 threeBytePixels(board, true, false)));
        ui.files.push_back(resource("layout/ui/main_menu.json", "{\"buttons\": [\"play\", \"options\"]}\n"));
        package.subGroups.push_back(std::move(ui));
    }
    // Subgroup 1: the world, only the atlas data compressed.
    {
        pw::SubGroup world;
        world.name = "World_768";
        world.compressionFlags = 1;
        world.firstTextureIndex = 4;
        std::uint32_t next = 0;
        const Picture rings = drawRings(64, 64);
        const Picture gradient = drawGradient(100, 60);
        const Picture landscape = drawLandscape(300, 200);
        const Picture ringsBig = drawRings(128, 128);
        const Picture sky = drawLandscape(256, 256);
        world.files.push_back(atlas(package, 4, next, "images/world/rings_rgb24_alpha", rings, rgb24Alpha,
                                    threeBytePixels(rings, false, true)));
        world.files.push_back(atlas(package, 4, next, "images/world/gradient_bgr24_alpha", gradient, bgr24Alpha,
                                    threeBytePixels(gradient, true, true)));
        world.files.push_back(
            atlas(package, 4, next, "images/world/landscape_etc1", landscape, rgbEtc1, etc1Data(landscape, false)));
        world.files.push_back(atlas(package, 4, next, "images/world/rings_etc1_alpha", ringsBig, rgbEtc1Alpha,
                                    etc1Data(ringsBig, true)));
        world.files.push_back(
            atlas(package, 4, next, "images/world/sky_pvrtc4", sky, rgbaPvrtc4, pvrtcData(sky)));
        world.files.push_back(resource("levels/world1/level.txt", "width 64\nheight 32\n"));
        package.subGroups.push_back(std::move(world));
    }
    // Subgroup 2: shared by both groups; stored as it is. One atlas has a
    // format code the index file does not list, one a name without a decoder.
    {
        pw::SubGroup shared;
        shared.name = "Shared_Fonts";
        shared.compressionFlags = 0;
        shared.firstTextureIndex = 9;
        std::uint32_t next = 0;
        const Picture board = drawCheckerboard(64, 64, 8);
        shared.files.push_back(resource("fonts/main/font.txt", "glyphs: ABCDEFGHIJKLMNOPQRSTUVWXYZ\n"));
        shared.files.push_back(atlas(package, 9, next, "images/fonts/glyphs_unlisted", board, unlisted, board.rgba));
        shared.files.push_back(
            atlas(package, 9, next, "images/fonts/glyphs_undecodable", board, undecodable, board.rgba));
        package.subGroups.push_back(std::move(shared));
    }
    // Subgroup 3: sounds only, no atlas; resource data compressed.
    {
        pw::SubGroup sounds;
        sounds.name = "Sounds";
        sounds.compressionFlags = 2;
        sounds.files.push_back(resource("sounds/music/theme.txt", "la la la\n"));
        sounds.files.push_back(resource("sounds/effects/click.txt", "click\n"));
        package.subGroups.push_back(std::move(sounds));
    }

    pw::Group interface;
    interface.name = "Interface";
    interface.slots = {{0, 1536, 0x656E5553U /* stored "SUne": reads back "enUS" */}, {2, 7, 0}, {3, 0, 0}};
    pw::Group world;
    world.name = "World";
    world.slots = {{1, 768, 0}, {2, 7, 0}};
    package.groups = {interface, world};
    package.pools = {{"Pool_Interface", {1, 2, 3}}, {"Pool_World", {4, 5, 6}}};
    return package;
}

const char* indexFile = R"(// Texture format codes of the sample package and the formats they stand for.
{
    "TextureFormat": [
        { "Index": 0, "TextureFormat": "RGBA32" },
        { "Index": 1, "TextureFormat": "BGRA32" },
        { "Index": 2, "TextureFormat": "RGB24" },
        { "Index": 3, "TextureFormat": "BGR24" },
        { "Index": 4, "TextureFormat": "RGB24_ALPHA" },
        { "Index": 5, "TextureFormat": "BGR24_ALPHA" },
        { "Index": 147, "TextureFormat": "RGB_ETC1" },
        { "Index": 148, "TextureFormat": "RGB_ETC1_ALPHA" },
        { "Index": 30, "TextureFormat": "RGBA_PVRTC4" },
        /* a name the tool has no decoder for: written as a transparent image */
        { "Index": 40, "TextureFormat": "RGBA24_ALPHA_UNKNOWN" },
    ],
}
)";

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_package FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const pw::WrittenPackage written = pw::writePackage(samplePackage());
    std::ofstream package(folder / "sample.rsb", std::ios::binary);
    package.write(reinterpret_cast<const char*>(written.bytes.data()), static_cast<std::streamsize>(written.bytes.size()));
    std::ofstream index(folder / "TextureFormatIndex.json", std::ios::binary);
    index << indexFile;
    package.close();
    index.close();
    if (!package || !index) {
        std::fprintf(stderr, "make_sample_package: cannot write into %s\n", folder.c_str());
        return 1;
    }
    std::printf("%s\n%s\n", (folder / "sample.rsb").c_str(), (folder / "TextureFormatIndex.json").c_str());
    return 0;
}
