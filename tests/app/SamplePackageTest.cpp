#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "support/PngFile.h"
#include "support/RunBinary.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// The sample package of scripts/demo unpacks cleanly: every decodable atlas
// becomes a picture with content, the unlisted one is skipped.
TEST(SamplePackage, UnpacksEveryDecodableAtlas) {
    TempFolder folder;
    const std::string make = std::string(SAMPLE_PACKAGE_TOOL) + " " + shellQuoted(folder.path().string()) + " >/dev/null";
    ASSERT_EQ(std::system(make.c_str()), 0);
    const BinaryRun run =
        runBinary(folder.path(), {"sample.rsb", "-f", "TextureFormatIndex.json", "--skip-unknown"}, "");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    const fs::path out = folder.path() / "~sample.rsb" / "OutPut" / "images";
    const char* pictures[] = {"ui/gradient_rgba32",      "ui/rings_bgra32",
                              "ui/landscape_rgb24",      "ui/board_bgr24",
                              "world/rings_rgb24_alpha", "world/gradient_bgr24_alpha",
                              "world/landscape_etc1",    "world/rings_etc1_alpha",
                              "world/sky_pvrtc4"};
    for (const char* picture : pictures) {
        const PngFile png = PngFile::read((out / (std::string(picture) + ".png")).string());
        ASSERT_TRUE(png.valid) << picture;
        std::set<std::uint32_t> colours;
        for (std::size_t i = 0; i + 3 < png.rgba.size(); i += 4) {
            colours.insert(std::uint32_t{png.rgba[i]} << 24 | std::uint32_t{png.rgba[i + 1]} << 16 |
                           std::uint32_t{png.rgba[i + 2]} << 8 | png.rgba[i + 3]);
        }
        // A checkerboard has two colours; every other picture is a gradient or a scene.
        const std::size_t least = std::string(picture).find("board") != std::string::npos ? 2U : 16U;
        EXPECT_GE(colours.size(), least) << picture << " should show a picture, not a flat colour";
    }
    EXPECT_FALSE(fs::exists(out / "fonts" / "glyphs_unlisted.png"));
    EXPECT_TRUE(fs::exists(out / "fonts" / "glyphs_undecodable.png"));
}

// An independent checker finds every PNG of the sample package sound at
// every --compression setting: chunk order and CRCs, IHDR fields, the zlib
// stream and its length. The settings reach the encoder: each one smaller
// than the faster one before it.
TEST(SamplePackage, PngCheckFindsEveryPngSound) {
    constexpr const char* pngcheck = "/usr/bin/pngcheck";
    if (!fs::exists(pngcheck)) {
        GTEST_SKIP() << pngcheck << " is not installed (Debian package pngcheck); check skipped";
    }
    TempFolder folder;
    const std::string make = std::string(SAMPLE_PACKAGE_TOOL) + " " + shellQuoted(folder.path().string()) + " >/dev/null";
    ASSERT_EQ(std::system(make.c_str()), 0);
    std::uintmax_t fasterSettingBytes = 0;
    for (const char* compression : {"fast", "default", "best"}) {
        const fs::path output = folder.path() / compression;
        const BinaryRun run = runBinary(folder.path(), {"sample.rsb", "-f", "TextureFormatIndex.json", "-o",
                                                        output.string(), "--skip-unknown", "--compression", compression},
                                        "");
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        std::string files;
        int count = 0;
        std::uintmax_t bytes = 0;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(output / "OutPut")) {
            if (entry.path().extension() == ".png") {
                files += " " + shellQuoted(entry.path().string());
                ++count;
                bytes += entry.file_size();
            }
        }
        ASSERT_GE(count, 10) << compression;
        if (fasterSettingBytes != 0) {
            EXPECT_LT(bytes, fasterSettingBytes) << compression;
        }
        fasterSettingBytes = bytes;
        const std::string check = std::string(pngcheck) + " -q" + files + " >pngcheck.log 2>&1";
        EXPECT_EQ(std::system(check.c_str()), 0) << compression << ": " << readFileText(folder.path() / "pngcheck.log");
    }
}

} // namespace
