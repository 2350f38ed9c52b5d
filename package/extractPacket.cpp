#include "package/extractPacket.h"

#include <string>

#include "core/FatalError.h"
#include "package/PackageRange.h"
#include "package/checkPacketFiles.h"
#include "package/openPacketBlocks.h"
#include "package/writePacketFiles.h"

void extractPacket(OutputFolder& folder, const PathList& base, ByteSpan package, std::uint32_t packetOffset,
                   const PacketHeader& header, const PacketFileList& files, std::string_view packetLabel) {
    // Cheap checks first: a bad list should not cost an inflation.
    checkPacketFiles(files, header.resourceDataSize, header.atlasDataSize, packetLabel);
    const PacketBlocks blocks = openPacketBlocks(package, packetOffset, header, packetLabel);
    writePacketFiles(folder, base, blocks.resourceData(), blocks.atlasData(), files, packetLabel);
}

namespace {

const SubGroupInfo& checkedSubGroup(const PackageRecords& records, std::uint32_t subGroupIndex) {
    const std::uint32_t count = records.subGroups.count();
    if (subGroupIndex >= count || records.packetHeaders.count() != count || records.packetFileLists.count() != count) {
        throw PackageFormatError("subgroup index " + std::to_string(subGroupIndex) + " is beyond the package's " +
                                 std::to_string(count) + " subgroups");
    }
    return records.subGroups[subGroupIndex];
}

std::string subGroupLabel(const PackageRecords& records, std::uint32_t subGroupIndex) {
    return recordLabel("subgroup", subGroupIndex, nameText(records.subGroups[subGroupIndex].name));
}

} // namespace

void extractPacket(OutputFolder& folder, const PathList& base, ByteSpan package, const PackageRecords& records,
                   std::uint32_t subGroupIndex) {
    const SubGroupInfo& subGroup = checkedSubGroup(records, subGroupIndex);
    extractPacket(folder, base, package, subGroup.packetOffset, records.packetHeaders[subGroupIndex],
                  records.packetFileLists[subGroupIndex], subGroupLabel(records, subGroupIndex));
}

void checkSubGroupPacketFiles(const PackageRecords& records, std::uint32_t subGroupIndex) {
    (void)checkedSubGroup(records, subGroupIndex);
    const PacketHeader& header = records.packetHeaders[subGroupIndex];
    checkPacketFiles(records.packetFileLists[subGroupIndex], header.resourceDataSize, header.atlasDataSize,
                     subGroupLabel(records, subGroupIndex));
}

PacketBlocks openSubGroupPacket(ByteSpan package, const PackageRecords& records, std::uint32_t subGroupIndex) {
    const SubGroupInfo& subGroup = checkedSubGroup(records, subGroupIndex);
    const PacketHeader& header = records.packetHeaders[subGroupIndex];
    const std::string label = subGroupLabel(records, subGroupIndex);
    checkPacketFiles(records.packetFileLists[subGroupIndex], header.resourceDataSize, header.atlasDataSize, label);
    return openPacketBlocks(package, subGroup.packetOffset, header, label);
}

void writeSubGroupPacket(OutputFolder& folder, const PathList& base, const PacketBlocks& blocks,
                         const PackageRecords& records, std::uint32_t subGroupIndex) {
    (void)checkedSubGroup(records, subGroupIndex);
    writePacketFiles(folder, base, blocks.resourceData(), blocks.atlasData(), records.packetFileLists[subGroupIndex],
                     subGroupLabel(records, subGroupIndex));
}
