#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "texture/PixelRows.h"
#include "core/Bytes.h"
#include "description/TextureFormatIndex.h"
#include "package/PackageRecords.h"

// A benchmark package read whole, with its records and its index file.
struct BenchPackage {
    std::vector<std::uint8_t> bytes;
    PackageRecords records;
    TextureFormatIndex formats;

    ByteSpan view() const { return {bytes.data(), bytes.size()}; }
};

BenchPackage readBenchPackage(const std::string& packagePath, const std::string& indexPath);

// Every atlas the tool would decode, in the order it meets them: for each
// visited packet that holds atlases, `onPacket(subGroup)`, then for each of
// its atlases of a listed format `onAtlas(entry, pixels)` with the decoded
// pixels.
void forEachPackageAtlas(const BenchPackage& package, const std::function<void(std::uint32_t)>& onPacket,
                         const std::function<void(const PacketFileEntry&, PixelRows&&)>& onAtlas);
