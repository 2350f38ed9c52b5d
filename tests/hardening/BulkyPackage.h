#pragma once

// A package that takes the tool a moment to unpack, for runs that are
// interrupted half way, and a look at what such a run left.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "packagewriter/writePackage.h"
#include "support/FolderTree.h"
#include "support/Noise.h"

// Two packets of noise (so nothing shrinks and each atlas takes a moment to
// encode): resource files and atlases, the second packet compressed.
inline packagewriter::Package bulkyPlan() {
    packagewriter::Package plan;
    plan.groups = {packagewriter::Group{"G", {packagewriter::Slot{0, 1, 0}, packagewriter::Slot{1, 2, 0}}, {}}};
    constexpr std::uint32_t side = 256;
    std::uint32_t texture = 0;
    for (std::uint32_t k = 0; k < 2; ++k) {
        packagewriter::SubGroup sub;
        sub.name = "Bulky" + std::to_string(k);
        sub.compressionFlags = k == 0 ? 0U : 3U;
        sub.firstTextureIndex = texture;
        for (std::uint32_t f = 0; f < 6; ++f) {
            sub.files.push_back(packagewriter::PacketFile{"res/" + std::to_string(k) + "/r" + std::to_string(f) +
                                                              ".bin",
                                                          packagewriter::resourceFile, noise(96 * 1024, 10 * k + f), 0,
                                                          0, 0, {}, {}});
        }
        for (std::uint32_t a = 0; a < 4; ++a) {
            sub.files.push_back(packagewriter::PacketFile{"img/" + std::to_string(k) + "/a" + std::to_string(a) +
                                                              ".ptx",
                                                          packagewriter::atlasFile,
                                                          noise(std::size_t{side} * side * 4U, 100 * k + a), a, side,
                                                          side, {}, {}});
            plan.textures.push_back(packagewriter::Texture{side, side, 0, 0, 0, 0});
            ++texture;
        }
        plan.subGroups.push_back(sub);
    }
    return plan;
}

// What is wrong with a file a run interrupted on the bulky package left
// below its output folder, empty when nothing: it must be a file the whole
// run also leaves, byte for byte, or an extracted atlas file not yet
// decoded, with its packet bytes.
inline std::string leftoverFault(const std::string& path, const std::string& bytes,
                                 const std::map<std::string, std::string>& finished,
                                 const std::map<std::string, std::string>& packetFiles) {
    if (const auto same = finished.find(path); same != finished.end()) {
        return bytes == same->second ? std::string() : path + " differs from the whole run's";
    }
    if (const auto packet = packetFiles.find(path); packet != packetFiles.end()) {
        return bytes == packet->second ? std::string() : path + " is not its packet bytes";
    }
    return "unexpected file " + path;
}
