#include "package/extractPacket.h"

#include <string>

#include "package/PackageRange.h"
#include "package/checkPacketFiles.h"
#include "package/openPacketBlocks.h"
#include "package/writePacketFiles.h"

namespace {

std::string subGroupLabel(const PackageRecords& records, std::uint32_t subGroupIndex) {
    return recordLabel("subgroup", subGroupIndex, nameText(records.subGroups[subGroupIndex].name));
}

} // namespace

void checkSubGroupPacketFiles(const PackageRecords& records, std::uint32_t subGroupIndex) {
    const PacketHeader& header = records.packetHeaders[subGroupIndex];
    checkPacketFiles(records.packetFileLists[subGroupIndex], header.resourceDataSize, header.atlasDataSize,
                     subGroupLabel(records, subGroupIndex));
}

PacketBlocks openSubGroupPacket(ByteSpan package, const PackageRecords& records, std::uint32_t subGroupIndex) {
    // Cheap checks first: a bad list should not cost an inflation.
    checkSubGroupPacketFiles(records, subGroupIndex);
    return openPacketBlocks(package, records.subGroups[subGroupIndex].packetOffset, records.packetHeaders[subGroupIndex],
                            subGroupLabel(records, subGroupIndex));
}

void writeSubGroupPacket(OutputFolder& folder, const PathList& base, const PacketBlocks& blocks,
                         const PackageRecords& records, std::uint32_t subGroupIndex) {
    writePacketFiles(folder, base, blocks.resourceData(), blocks.atlasData(), records.packetFileLists[subGroupIndex],
                     subGroupLabel(records, subGroupIndex));
}
