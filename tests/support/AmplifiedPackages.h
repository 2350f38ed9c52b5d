#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "packagewriter/PackagePlan.h"

// Tiny packages that ask for far more work than they hold, each with an
// index file that lists format code 0 as RGBA32.
namespace amplified {

// `packet` as the package's one subgroup with its one texture, named by all
// 64 slots of each of twelve groups: 768 visits of one packet.
inline packagewriter::Package namedByEverySlot(packagewriter::SubGroup packet, packagewriter::Texture texture) {
    packagewriter::Package plan;
    plan.subGroups = {std::move(packet)};
    plan.textures = {texture};
    for (int g = 0; g < 12; ++g) {
        packagewriter::Group group {.name = "G" + std::to_string(g)};
        group.slots.assign(64, packagewriter::Slot {0, 1, 0});
        plan.groups.push_back(group);
    }
    return plan;
}

// 300 file entries that all point at the same compressed megabyte of zeros,
// and one 2 x 2 atlas: a package of a few kilobytes that would extract
// 300 MiB + 16 bytes.
inline packagewriter::Package sameBytesMany() {
    namespace pw = packagewriter;
    pw::SubGroup packet {.name = "Amplified", .compressionFlags = 2};
    packet.files.push_back({.path = "res/0", .data = std::vector<std::uint8_t>(1U << 20, 0)});
    for (int i = 1; i < 300; ++i) {
        packet.files.push_back({.path = "res/" + std::to_string(i), .offset = 0U, .size = 1U << 20});
    }
    packet.files.push_back({.path = "img/a", .type = pw::atlasFile, .data = std::vector<std::uint8_t>(16, 9),
                            .atlasIndex = 0, .width = 2, .height = 2});
    pw::Package plan;
    plan.subGroups = {packet};
    plan.textures = {{.width = 2, .height = 2, .format = 0}};
    plan.groups = {{.name = "G", .slots = {{0, 1, 0}}}};
    return plan;
}

// One 16384 x 16384 atlas with no pixel data behind it: 1 GiB of pixels.
inline packagewriter::Package hugeEmptyAtlas() {
    namespace pw = packagewriter;
    pw::Package plan;
    plan.subGroups = {{.name = "Huge", .files = {{.path = "img/big", .type = pw::atlasFile, .atlasIndex = 0,
                                                  .width = 16384, .height = 16384}}}};
    plan.textures = {{.width = 16384, .height = 16384, .format = 0}};
    plan.groups = {{.name = "G", .slots = {{0, 1, 0}}}};
    return plan;
}

} // namespace amplified
