#include "package/extractPacket.h"

#include <string>

#include "core/FatalError.h"
#include "package/PackageRange.h"
#include "package/checkPacketFiles.h"
#include "package/openPacketBlocks.h"
#include "package/writePacketFiles.h"

void extractPacket(const PathList& outputFolder, ByteSpan package, std::uint32_t packetOffset,
                   const PacketHeader& header, const PacketFileList& files, std::string_view packetLabel) {
    // Cheap checks first: a bad list should not cost an inflation.
    checkPacketFiles(files, header.resourceDataSize, header.atlasDataSize, packetLabel);
    const PacketBlocks blocks = openPacketBlocks(package, packetOffset, header, packetLabel);
    writePacketFiles(outputFolder, blocks.resourceData(), blocks.atlasData(), files, packetLabel);
}

void extractPacket(const PathList& outputFolder, ByteSpan package, const PackageRecords& records,
                   std::uint32_t subGroupIndex) {
    const std::uint32_t count = records.subGroups.count();
    if (subGroupIndex >= count || records.packetHeaders.count() != count || records.packetFileLists.count() != count) {
        throw PackageFormatError("subgroup index " + std::to_string(subGroupIndex) + " is beyond the package's " +
                                 std::to_string(count) + " subgroups");
    }
    const SubGroupInfo& subGroup = records.subGroups[subGroupIndex];
    extractPacket(outputFolder, package, subGroup.packetOffset, records.packetHeaders[subGroupIndex],
                  records.packetFileLists[subGroupIndex], recordLabel("subgroup", subGroupIndex, nameText(subGroup.name)));
}
