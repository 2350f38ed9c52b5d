#include "bench/benchPackageAtlases.h"

#include <cstdio>
#include <optional>

#include "texture/PixelFormat.h"
#include "texture/decodePixels.h"
#include "texture/decodeSize.h"
#include "bench/readBenchInput.h"
#include "platform/Console.h"
#include "description/findFormatEntry.h"
#include "description/loadTextureFormatIndex.h"
#include "package/openPacketBlocks.h"
#include "package/readPackage.h"

BenchPackage readBenchPackage(const std::string& packagePath, const std::string& indexPath) {
    BenchPackage package;
    package.bytes = readBenchInput(packagePath);
    readPackage(package.view(), package.records);
    std::FILE* quiet = std::fopen("/dev/null", "w");
    Console console(stdin, quiet, false);
    package.formats = loadTextureFormatIndex(console, indexPath);
    std::fclose(quiet);
    return package;
}

void forEachPackageAtlas(const BenchPackage& package, const std::function<void(std::uint32_t)>& onPacket,
                         const std::function<void(const PacketFileEntry&, PixelRows&&)>& onAtlas) {
    const PackageRecords& records = package.records;
    for (const CompositeGroup& group : records.groups) {
        for (std::uint32_t slot = 0; slot < group.subGroupCount && slot < group.subGroups.count(); ++slot) {
            const std::uint32_t k = group.subGroups[slot].subGroupIndex;
            const SubGroupInfo& info = records.subGroups[k];
            if (info.atlasCount == 0) {
                continue;
            }
            onPacket(k);
            const PacketBlocks blocks =
                openPacketBlocks(package.view(), info.packetOffset, records.packetHeaders[k], "packet");
            for (const PacketFileEntry& entry : records.packetFileLists[k]) {
                if (entry.type != atlasFileType) {
                    continue;
                }
                const TextureInfo& texture = records.textures[info.firstTextureIndex + entry.atlasIndex];
                const FormatEntry* format = findFormatEntry(package.formats, texture.format);
                if (format == nullptr) {
                    continue; // the tool skips it too
                }
                const PixelFormat pixelFormat = pixelFormatNamed(format->name.view());
                const std::optional<ImageSize> size =
                    decodeSize(ImageSize {texture.width, texture.height}, pixelFormat.sizeRule);
                PixelRows rows(*size);
                decodePixels(blocks.atlasData().subspan(entry.offset, entry.size), rows, pixelFormat);
                onAtlas(entry, std::move(rows));
            }
        }
    }
}
