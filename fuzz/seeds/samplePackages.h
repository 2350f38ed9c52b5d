#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "packagewriter/PackagePlan.h"

// Small sound packages of every shape the reader knows: no groups at all,
// resource-only packets, atlas packets under each compression setting, 16-
// and 24-byte texture records, overlapping and widened strides, a subgroup
// named by two groups, names that fill their whole field and nested paths.
// Texture format codes used: 0 (4-byte pixels), 1 (ETC), 2 (PVRTC).
namespace samples {

struct NamedPackage {
    std::string name;
    packagewriter::Package plan;
};

inline std::vector<std::uint8_t> patternBytes(std::size_t count, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + i * 37U);
    }
    return bytes;
}

inline packagewriter::PacketFile resource(std::string path, std::size_t size, std::uint8_t seed) {
    packagewriter::PacketFile file;
    file.path = std::move(path);
    file.type = packagewriter::resourceFile;
    file.data = patternBytes(size, seed);
    return file;
}

inline packagewriter::PacketFile atlas(std::string path, std::uint32_t atlasIndex, std::size_t size,
                                       std::uint32_t width, std::uint32_t height, std::uint8_t seed) {
    packagewriter::PacketFile file;
    file.path = std::move(path);
    file.type = packagewriter::atlasFile;
    file.data = patternBytes(size, seed);
    file.atlasIndex = atlasIndex;
    file.width = width;
    file.height = height;
    return file;
}

inline std::vector<NamedPackage> samplePackages() {
    using namespace packagewriter;
    std::vector<NamedPackage> all;

    all.push_back({"empty", Package{}});

    {
        Package p;
        p.groups = {Group{"ResourcesOnly", {Slot{0, 7, 0x656E4755U}}, {}}};
        SubGroup sub;
        sub.name = "ResourcesOnly_Sub";
        sub.files = {resource("data/a.bin", 10, 1), resource("data\\deeper\\b.txt", 0, 2),
                     resource("c", 33, 3)};
        p.subGroups = {sub};
        p.pools = {Pool{"ResourcesOnly_Pool", {1, 2, 3}}};
        all.push_back({"resources", p});
    }

    for (std::uint32_t flags = 0; flags < 4; ++flags) {
        Package p;
        p.groups = {Group{"Atlas" + std::to_string(flags), {Slot{0, 0, 0}}, {}}};
        SubGroup sub;
        sub.name = "Atlas_Sub" + std::to_string(flags);
        sub.compressionFlags = flags;
        sub.files = {resource("res/info.txt", 20, 4),
                     atlas("img/rgba.ptx", 0, 8 * 4 * 4, 8, 4, 5),
                     atlas("img/etc.ptx", 1, 8 * 4, 8, 8, 6),
                     atlas("img/pvr.ptx", 2, 8 * 4, 8, 8, 7)};
        p.subGroups = {sub};
        p.textures = {Texture{8, 4, 0, 0, 0, 0}, Texture{8, 8, 1, 0, 0, 0}, Texture{8, 8, 2, 0, 0, 0}};
        p.pools = {Pool{"AtlasPool", {}}};
        all.push_back({"atlas-flags" + std::to_string(flags), p});
    }

    {
        // 24-byte texture records, two groups naming the same subgroup, a
        // second packet holding only resources, and a first texture past 0.
        Package p;
        p.textureRecordSize = 24;
        p.groups = {Group{"First", {Slot{0, 1, 0}, Slot{1, 2, 0x4E524446U}}, {}},
                    Group{"Second", {Slot{0, 3, 0}}, {}}};
        SubGroup shared;
        shared.name = "Shared";
        shared.compressionFlags = 1;
        shared.firstTextureIndex = 1;
        shared.files = {atlas("shared/atlas0.ptx", 0, 4 * 4 * 4, 4, 4, 8)};
        SubGroup plain;
        plain.name = "Plain";
        plain.compressionFlags = 2;
        plain.files = {resource("plain/one", 5, 9), resource("plain/two", 6, 10)};
        p.subGroups = {shared, plain};
        p.textures = {Texture{1, 1, 0, 0, 11, 12}, Texture{4, 4, 0, 0, 13, 14}};
        p.pools = {Pool{"P0", {}}, Pool{"P1", {4, 5, 6}}};
        all.push_back({"records24-shared", p});
    }

    {
        // Strides other than the record sizes: subgroup and pool records
        // spaced wider than they are, and full-length names.
        Package p;
        p.subGroupStride = 220;
        p.poolStride = 144;
        p.groups = {Group{std::string(128, 'G'), {Slot{0, 0, 0}, Slot{1, 0, 0}}, {}}};
        SubGroup a;
        a.name = std::string(128, 'S');
        a.files = {resource("x/y/z/w.dat", 3, 11)};
        SubGroup b;
        b.name = "B";
        b.compressionFlags = 3;
        b.files = {atlas("b.ptx", 0, 3 * 4 * 4, 4, 4, 12), resource("b.txt", 1, 13)};
        p.subGroups = {a, b};
        p.textures = {Texture{4, 4, 0, 0, 0, 0}};
        p.pools = {Pool{std::string(128, 'P'), {}}, Pool{"Q", {}}};
        all.push_back({"wide-strides", p});
    }
    return all;
}

} // namespace samples
