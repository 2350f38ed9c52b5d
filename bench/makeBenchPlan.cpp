#include "bench/makeBenchPlan.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <stdexcept>
#include <string_view>

#include "bench/paintPicture.h"
#include "core/Bytes.h"
#include "texture/encodeEtc1Image.h"
#include "texture/encodePvrtc4Image.h"

namespace pw = packagewriter;

namespace {

struct BenchFormat {
    std::string_view name;
    std::uint32_t code;
};

// The nine decodable formats with the codes the index file gives them.
constexpr std::array<BenchFormat, 9> benchFormats = {{
    {"RGBA32", 0},
    {"BGRA32", 1},
    {"RGB24", 2},
    {"BGR24", 3},
    {"RGB24_ALPHA", 4},
    {"BGR24_ALPHA", 5},
    {"RGB_ETC1", 147},
    {"RGB_ETC1_ALPHA", 148},
    {"RGBA_PVRTC4", 30},
}};
constexpr std::uint32_t undecodableCode = 9;  // listed as "UnKnown"
constexpr std::uint32_t unlistedCode = 77;    // not in the index file

// The texture bytes of a `width` x `height` record in format `f`, painted at
// the size the format is decoded at (a PVRTC side must come to 8 or more).
std::vector<std::uint8_t> textureBytes(std::size_t f, std::uint32_t width, std::uint32_t height, std::uint64_t seed) {
    const std::string_view name = benchFormats[f].name;
    if (name == "RGBA_PVRTC4") {
        const std::uint32_t side = std::max(roundUpToPowerOfTwo(width), roundUpToPowerOfTwo(height));
        return encodePvrtc4Image(paintPicture(side, side, seed), side);
    }
    if (name.starts_with("RGB_ETC1")) {
        const std::uint32_t w = std::max(roundUpToPowerOfTwo(width), 4U);
        const std::uint32_t h = std::max(roundUpToPowerOfTwo(height), 4U);
        const std::vector<std::uint8_t> rgba = paintPicture(w, h, seed);
        std::vector<std::uint8_t> out = encodeEtc1Image(rgba, w, h);
        if (name == "RGB_ETC1_ALPHA") {
            for (std::size_t i = 3; i < rgba.size(); i += 4) {
                out.push_back(rgba[i]);
            }
        }
        return out;
    }
    const std::vector<std::uint8_t> rgba = paintPicture(width, height, seed);
    const bool swap = name.starts_with("B");
    std::vector<std::uint8_t> out;
    const std::size_t pixels = std::size_t{width} * height;
    if (name.ends_with("32")) {
        out = rgba;
        if (swap) {
            for (std::size_t i = 0; i < out.size(); i += 4) {
                std::swap(out[i], out[i + 2]);
            }
        }
        return out;
    }
    out.reserve(pixels * 4U);
    for (std::size_t i = 0; i < pixels; ++i) {
        out.push_back(rgba[i * 4U + (swap ? 2U : 0U)]);
        out.push_back(rgba[i * 4U + 1U]);
        out.push_back(rgba[i * 4U + (swap ? 0U : 2U)]);
    }
    if (name.ends_with("_ALPHA")) {
        for (std::size_t i = 0; i < pixels; ++i) {
            out.push_back(rgba[i * 4U + 3U]);
        }
    }
    return out;
}

// Resource bytes: text-like data that compresses well, or sound-like data
// (a noisy waveform) that hardly does.
std::vector<std::uint8_t> resourceBytes(std::uint32_t size, std::uint64_t& state) {
    std::vector<std::uint8_t> out;
    out.reserve(size);
    if (nextRandom(state) % 2U == 0) {
        while (out.size() < size) {
            // Drawn one statement at a time: the compiler may evaluate the
            // operands of a chain of string + in any order (GCC goes right to
            // left on x86-64, left to right on aarch64), and every build must
            // write the same bytes. This is the order the x86-64 build took.
            const std::uint64_t frameY = nextRandom(state) % 2048U;
            const std::uint64_t frameX = nextRandom(state) % 2048U;
            const std::uint64_t id = nextRandom(state) % 100000U;
            const std::string line = "{\"id\": " + std::to_string(id) + ", \"frame\": [" + std::to_string(frameX) +
                                     ", " + std::to_string(frameY) + "], \"scale\": 1.0},\n";
            out.insert(out.end(), line.begin(), line.end());
        }
        out.resize(size);
    } else {
        std::uint32_t phase = 0;
        const std::uint32_t step = 1U + static_cast<std::uint32_t>(nextRandom(state) % 40U);
        for (std::uint32_t i = 0; i < size; ++i) {
            phase += step;
            const auto wave = static_cast<std::uint8_t>(((phase >> 4) & 0x80U) != 0 ? phase : ~phase);
            out.push_back(static_cast<std::uint8_t>(wave + (nextRandom(state) & 0x3FU)));
        }
    }
    return out;
}

std::string number(std::uint32_t v, std::size_t digits) {
    std::string text = std::to_string(v);
    return std::string(digits > text.size() ? digits - text.size() : 0, '0') + text;
}

} // namespace

std::string benchFormatIndex() {
    std::string json = "{\n\t\"TextureFormat\": [\n";
    for (const BenchFormat& f : benchFormats) {
        json += "\t\t{ \"Index\": " + std::to_string(f.code) + ", \"TextureFormat\": \"" + std::string(f.name) +
                "\" },\n";
    }
    json += "\t\t{ \"Index\": " + std::to_string(undecodableCode) + ", \"TextureFormat\": \"UnKnown\" },\n";
    json += "\t]\n}\n";
    return json;
}

BenchShape smallBenchShape() {
    BenchShape shape;
    shape.atlasPackets = 4;
    shape.atlasesPerPacket = 4;
    shape.resourcePackets = 6;
    shape.resourceFileBytes = 700;
    shape.sides = {16, 32, 64};
    shape.oddCases = true;
    return shape;
}

pw::Package makeBenchPlan(const BenchShape& shape) {
    pw::Package plan;
    std::uint64_t state = shape.seed;
    std::size_t formatTurn = 0;
    std::uint32_t sideTurn = 0;
    const std::uint32_t packets = shape.atlasPackets + shape.resourcePackets;
    // Atlas-bearing packets are spread among the others, as in a real package.
    const std::uint32_t spacing = shape.atlasPackets == 0 ? 1U : std::max(1U, packets / shape.atlasPackets);
    std::uint32_t atlasPacketsMade = 0;
    for (std::uint32_t p = 0; p < packets; ++p) {
        const bool holdsAtlases = atlasPacketsMade < shape.atlasPackets &&
                                  (p % spacing == 0 || packets - p <= shape.atlasPackets - atlasPacketsMade);
        pw::SubGroup sub;
        sub.name = (holdsAtlases ? "Atlas_" : "Res_") + number(p, 4);
        // Every combination of stored and compressed blocks, among atlas
        // packets as among the others.
        sub.compressionFlags = (holdsAtlases ? atlasPacketsMade : p) % 4U;
        sub.firstTextureIndex = static_cast<std::uint32_t>(plan.textures.size());
        const std::uint32_t resourceFiles =
            holdsAtlases ? 2U : shape.resourceFilesPerPacket / 2U +
                                    static_cast<std::uint32_t>(nextRandom(state) % (shape.resourceFilesPerPacket + 1U));
        for (std::uint32_t r = 0; r < resourceFiles; ++r) {
            const auto size = static_cast<std::uint32_t>(nextRandom(state) % (2U * shape.resourceFileBytes + 1U));
            sub.files.push_back({.path = "res/" + sub.name + "/data" + number(r, 3) + (r % 2 == 0 ? ".json" : ".snd"),
                                 .data = resourceBytes(size, state)});
        }
        if (holdsAtlases) {
            const std::uint32_t count =
                shape.atlasesPerPacket - 1U + static_cast<std::uint32_t>(atlasPacketsMade % 3U);
            for (std::uint32_t a = 0; a < count; ++a) {
                const std::size_t f = formatTurn++ % benchFormats.size();
                std::uint32_t width = shape.sides[sideTurn++ % shape.sides.size()];
                std::uint32_t height = width;
                if (a == 1) {
                    height = std::max(4U, width / 2U); // atlases are not always square
                }
                if (shape.oddCases && a >= 2) {
                    width = width * 3U / 4U + a; // sides that the compressed formats pad
                    height = height * 5U / 8U + 1U;
                }
                const auto index = static_cast<std::uint32_t>(plan.textures.size() - sub.firstTextureIndex);
                std::string path = "images/" + sub.name + "/sheet" + number(a, 2);
                sub.files.push_back({.path = path,
                                     .type = pw::atlasFile,
                                     .data = textureBytes(f, width, height, nextRandom(state)),
                                     .atlasIndex = index,
                                     .width = width,
                                     .height = height});
                plan.textures.push_back({.width = width, .height = height, .format = benchFormats[f].code});
                if (shape.oddCases && atlasPacketsMade == 1 && a == 1) {
                    // Amid the packet's atlases: an undecodable name and an unlisted
                    // code, each with some bytes.
                    for (const std::uint32_t code : {undecodableCode, unlistedCode}) {
                        const auto oddIndex = static_cast<std::uint32_t>(plan.textures.size() - sub.firstTextureIndex);
                        sub.files.push_back({.path = "images/" + sub.name + "/odd" + std::to_string(code),
                                             .type = pw::atlasFile,
                                             .data = resourceBytes(256, state),
                                             .atlasIndex = oddIndex,
                                             .width = 12,
                                             .height = 5});
                        plan.textures.push_back({.width = 12, .height = 5, .format = code});
                    }
                }
            }
            if (shape.oddCases && atlasPacketsMade == 3 && sub.files.size() >= 4) {
                // Names that land on an atlas's extracted file: a resource
                // written after it under the same name, and an atlas whose
                // name differs only by an empty and a "." component.
                const std::string first = sub.files[2].path;
                sub.files.push_back({.path = first, .data = resourceBytes(300, state)});
                pw::PacketFile again = sub.files[3];
                again.path.replace(again.path.find('/'), 1, "//./");
                std::reverse(again.data.begin(), again.data.end());
                sub.files.push_back(std::move(again));
            }
            ++atlasPacketsMade;
        }
        plan.subGroups.push_back(std::move(sub));
    }
    // Groups of ten slots; with the odd cases the first atlas packet is named
    // again by the last group, so it is extracted twice.
    for (std::uint32_t first = 0; first < packets; first += 10) {
        pw::Group group {.name = "Group_" + number(first / 10U, 3)};
        for (std::uint32_t k = first; k < packets && k < first + 10U; ++k) {
            group.slots.push_back({.subGroupIndex = k, .resId = k + 1U, .locId = 0});
        }
        plan.groups.push_back(std::move(group));
    }
    if (shape.oddCases && !plan.groups.empty()) {
        plan.groups.push_back({.name = "Again", .slots = {{.subGroupIndex = 0, .resId = 1, .locId = 0}}});
    }
    plan.pools = {{.name = "Pool_Main", .words = {1, 2, 3}}};
    return plan;
}

pw::Package makeNamesPlan(std::uint32_t fileCount) {
    pw::Package plan;
    constexpr std::uint32_t packetCount = 20;
    const std::uint32_t perPacket = (fileCount + packetCount - 1U) / packetCount;
    std::uint64_t state = 7;
    std::uint32_t made = 0;
    for (std::uint32_t p = 0; p < packetCount && made < fileCount; ++p) {
        pw::SubGroup sub {.name = "Names_" + number(p, 2), .compressionFlags = p % 4U};
        sub.firstTextureIndex = static_cast<std::uint32_t>(plan.textures.size());
        for (std::uint32_t i = 0; i < perPacket && made < fileCount; ++i, ++made) {
            // Shared prefixes, as real names have: packet, folder, then file.
            sub.files.push_back({.path = "names/" + sub.name + "/folder" + number(i / 100U, 3) + "/item" +
                                         number(made, 6) + ".txt",
                                 .data = resourceBytes(16U + static_cast<std::uint32_t>(nextRandom(state) % 48U),
                                                       state)});
        }
        sub.files.push_back({.path = "names/" + sub.name + "/atlas",
                             .type = pw::atlasFile,
                             .data = paintPicture(32, 32, p),
                             .atlasIndex = 0,
                             .width = 32,
                             .height = 32});
        plan.textures.push_back({.width = 32, .height = 32, .format = 0});
        plan.subGroups.push_back(std::move(sub));
    }
    pw::Group group {.name = "Names"};
    for (std::uint32_t k = 0; k < plan.subGroups.size(); ++k) {
        group.slots.push_back({.subGroupIndex = k, .resId = k + 1U, .locId = 0});
    }
    plan.groups.push_back(std::move(group));
    return plan;
}

pw::Package makeTilesPlan(bool tiled) {
    constexpr std::uint32_t side = 2048;
    constexpr std::uint32_t tile = 64;
    const std::vector<std::uint8_t> picture = paintPicture(side, side, 28);
    pw::Package plan;
    pw::SubGroup sub {.name = tiled ? "Tiles" : "Whole", .compressionFlags = 0};
    sub.firstTextureIndex = 0;
    const std::uint32_t step = tiled ? tile : side;
    for (std::uint32_t y = 0; y < side; y += step) {
        for (std::uint32_t x = 0; x < side; x += step) {
            std::vector<std::uint8_t> pixels;
            pixels.reserve(std::size_t {step} * step * 4U);
            for (std::uint32_t row = y; row < y + step; ++row) {
                const auto start = picture.begin() + static_cast<std::ptrdiff_t>((std::size_t {row} * side + x) * 4U);
                pixels.insert(pixels.end(), start, start + static_cast<std::ptrdiff_t>(std::size_t {step} * 4U));
            }
            const auto index = static_cast<std::uint32_t>(plan.textures.size());
            sub.files.push_back({.path = "tiles/" + number(y / step, 2) + "_" + number(x / step, 2),
                                 .type = pw::atlasFile,
                                 .data = std::move(pixels),
                                 .atlasIndex = index,
                                 .width = step,
                                 .height = step});
            plan.textures.push_back({.width = step, .height = step, .format = 0});
        }
    }
    plan.subGroups.push_back(std::move(sub));
    plan.groups.push_back({.name = "Tiles", .slots = {{.subGroupIndex = 0, .resId = 1, .locId = 0}}});
    return plan;
}

pw::Package makeWidePacketPlan(std::uint32_t atlasCount, std::uint32_t side, const std::string& format) {
    std::size_t f = 0;
    while (f < benchFormats.size() && benchFormats[f].name != format) {
        ++f;
    }
    if (f == benchFormats.size()) {
        throw std::invalid_argument("no bench format " + format);
    }
    pw::Package plan;
    pw::SubGroup sub {.name = "Wide", .compressionFlags = 1};
    // Pictures repeat after a few seeds: painting thousands of them would
    // take longer than the runs they are for.
    std::vector<std::vector<std::uint8_t>> pictures;
    for (std::uint32_t seed = 0; seed < std::min(atlasCount, 8U); ++seed) {
        pictures.push_back(textureBytes(f, side, side, seed + 1U));
    }
    for (std::uint32_t i = 0; i < atlasCount; ++i) {
        sub.files.push_back({.path = "wide/atlas" + number(i, 5),
                             .type = pw::atlasFile,
                             .data = pictures[i % pictures.size()],
                             .atlasIndex = i,
                             .width = side,
                             .height = side});
        plan.textures.push_back({.width = side, .height = side, .format = benchFormats[f].code});
    }
    plan.subGroups.push_back(std::move(sub));
    plan.groups.push_back(pw::Group {.name = "Wide", .slots = {{.subGroupIndex = 0, .resId = 1, .locId = 0}}});
    return plan;
}

pw::Package makeFillerPlan(std::uint64_t fillerBytes) {
    pw::Package plan;
    constexpr std::uint32_t fileBytes = 4U << 20;
    constexpr std::uint32_t filesPerPacket = 16;
    std::uint64_t state = 11;
    // One block of filler, repeated: the package's size is what matters.
    const std::vector<std::uint8_t> filler = resourceBytes(fileBytes, state);
    const std::uint64_t fileCount = (fillerBytes + fileBytes - 1U) / fileBytes;
    for (std::uint64_t made = 0; made < fileCount;) {
        pw::SubGroup sub {.name = "Filler_" + number(static_cast<std::uint32_t>(plan.subGroups.size()), 3)};
        for (std::uint32_t i = 0; i < filesPerPacket && made < fileCount; ++i, ++made) {
            sub.files.push_back({.path = "filler/" + sub.name + "/part" + number(i, 2) + ".bin", .data = filler});
        }
        plan.subGroups.push_back(std::move(sub));
    }
    pw::SubGroup atlas {.name = "Small", .compressionFlags = 1};
    atlas.firstTextureIndex = 0;
    atlas.files.push_back({.path = "small/atlas", .type = pw::atlasFile, .data = paintPicture(64, 64, 3),
                           .atlasIndex = 0, .width = 64, .height = 64});
    plan.textures.push_back({.width = 64, .height = 64, .format = 0});
    plan.subGroups.push_back(std::move(atlas));
    pw::Group group {.name = "Filler"};
    // Only the atlas packet is in a group: the default run visits it alone.
    group.slots.push_back({.subGroupIndex = static_cast<std::uint32_t>(plan.subGroups.size() - 1U), .resId = 1});
    plan.groups.push_back(std::move(group));
    return plan;
}

pw::Package makeDeepPlan(std::uint32_t depth, std::uint32_t fileCount) {
    std::string folder;
    folder.reserve(2U * static_cast<std::size_t>(depth));
    for (std::uint32_t level = 0; level < depth; ++level) {
        folder += "d/";
    }
    pw::Package plan;
    pw::SubGroup sub {.name = "Deep", .compressionFlags = 3};
    sub.firstTextureIndex = 0;
    const std::vector<std::uint8_t> picture = paintPicture(32, 32, 9);
    sub.files.push_back({.path = "top", .type = pw::atlasFile, .data = picture, .atlasIndex = 0, .width = 32,
                         .height = 32});
    for (std::uint32_t i = 0; i < fileCount; ++i) {
        sub.files.push_back({.path = folder + "f" + std::to_string(i)});
    }
    sub.files.push_back({.path = folder + "atlas", .type = pw::atlasFile, .data = picture, .atlasIndex = 1,
                         .width = 32, .height = 32});
    plan.textures.push_back({.width = 32, .height = 32, .format = 0});
    plan.textures.push_back({.width = 32, .height = 32, .format = 0});
    plan.subGroups.push_back(std::move(sub));
    pw::Group group {.name = "Deep"};
    group.slots.push_back({.subGroupIndex = 0, .resId = 1});
    plan.groups.push_back(std::move(group));
    return plan;
}

pw::Package makeManyPacketsPlan(std::uint32_t packetCount) {
    pw::Package plan;
    const std::vector<std::uint8_t> picture = paintPicture(32, 32, 5);
    std::vector<pw::Group> groups;
    for (std::uint32_t k = 0; k < packetCount; ++k) {
        pw::SubGroup sub {.name = "Packet_" + number(k, 5), .compressionFlags = k % 2U};
        sub.firstTextureIndex = k;
        sub.files.push_back({.path = "packets/" + sub.name + "/atlas", .type = pw::atlasFile, .data = picture,
                             .atlasIndex = 0, .width = 32, .height = 32});
        plan.textures.push_back({.width = 32, .height = 32, .format = 0});
        plan.subGroups.push_back(std::move(sub));
        // A group holds at most 64 slots.
        if (k % 64U == 0) {
            plan.groups.push_back(pw::Group {.name = "Packets_" + number(k / 64U, 4)});
        }
        plan.groups.back().slots.push_back({.subGroupIndex = k, .resId = k + 1U, .locId = 0});
    }
    return plan;
}
