#include "package/readPacketHeaders.h"

#include <string>

#include "core/FatalError.h"
#include "package/FieldMaps.h"
#include "package/PackageRange.h"
#include "package/decodePacketFileList.h"

void readPacketHeaders(ByteSpan package, const PtrArray<SubGroupInfo>& subGroups, PtrArray<PacketHeader>& headers,
                       PtrArray<PacketFileList>& fileLists) {
    headers = PtrArray<PacketHeader>::sized(subGroups.count());
    fileLists = PtrArray<PacketFileList>::sized(subGroups.count());

    std::uint64_t fileListBytes = 0;
    for (std::uint32_t k = 0; k < subGroups.count(); ++k) {
        const SubGroupInfo& subGroup = subGroups[k];
        const std::string label = recordLabel("subgroup", k, nameText(subGroup.name));
        const ByteSpan packet = packageRange(package, subGroup.packetOffset, packetHeaderSize, label + ": packet");
        PacketHeader& header = headers[k];
        readRecord(packet, packetHeaderFieldMap, header);

        const std::uint64_t listOffset = std::uint64_t{subGroup.packetOffset} + header.fileListOffset;
        const ByteSpan list = packageRange(package, listOffset, header.fileListSize, label + ": file list");
        fileListBytes += header.fileListSize;
        if (fileListBytes > package.size()) {
            throw PackageFormatError(label + ": the packets' file lists add up to " + std::to_string(fileListBytes) +
                                     " bytes, more than the package holds (size " + std::to_string(package.size()) +
                                     "); packets overlap");
        }
        decodePacketFileList(fileLists[k], list, label + ": file list");
    }
}
