#include "description/buildPackageInformation.h"

#include <string>

#include "core/FatalError.h"
#include "description/buildSubGroupInformation.h"
#include "description/quotedName.h"

namespace {

std::string groupContext(std::uint32_t groupNumber, std::string_view groupName) {
    return "group " + std::to_string(groupNumber) + " " + quotedName(groupName);
}

} // namespace

void visitPackageInformation(const PtrArray<CompositeGroup>& compositeGroups,
                             const PtrArray<SubGroupInfo>& subGroupInfos, const PtrArray<TextureInfo>& textureInfos,
                             const PtrArray<PacketHeader>& packetHeaders,
                             const PtrArray<PacketFileList>& packetFileLists, const PackageInformationVisitor& visitor) {
    for (std::uint32_t g = 0; g < compositeGroups.count(); ++g) {
        const CompositeGroup& source = compositeGroups[g];
        const std::string_view groupName = nameText(source.name);
        if (visitor.groupStart) {
            visitor.groupStart(StringBuffer::fromBytes(groupName));
        }
        for (std::uint32_t j = 0; j < source.subGroupCount; ++j) {
            const SubGroupRef& slot = source.subGroups[j];
            const std::uint32_t k = slot.subGroupIndex;
            const SubGroupInfo& info = subGroupInfos[k];
            SubGroupInformation described;
            try {
                buildSubGroupInformation(described, nameText(info.name), slot.resId, slot.locId,
                                         packetHeaders[k].compressionFlags, packetFileLists[k], textureInfos,
                                         info.firstTextureIndex);
            } catch (const PackageFormatError& error) {
                throw PackageFormatError(groupContext(g, groupName) + ", slot " + std::to_string(j) + " (subgroup " +
                                         std::to_string(k) + "), " + error.what());
            }
            if (visitor.slot) {
                visitor.slot(described);
            }
        }
        if (visitor.groupEnd) {
            visitor.groupEnd();
        }
    }
}

void buildPackageInformation(PackageInformation& target, const StringBuffer& packageFileName, bool useMoreAtlasInfo,
                             const PtrArray<CompositeGroup>& compositeGroups,
                             const PtrArray<SubGroupInfo>& subGroupInfos, const PtrArray<TextureInfo>& textureInfos,
                             const PtrArray<PacketHeader>& packetHeaders,
                             const PtrArray<PacketFileList>& packetFileLists) {
    PackageInformation built;
    built.id = packageFileName;
    built.useMoreAtlasInformation = useMoreAtlasInfo;
    built.groups = PtrArray<GroupInformation>::sized(compositeGroups.count());
    std::uint32_t groupNumber = 0;
    std::uint32_t slotNumber = 0;
    PackageInformationVisitor visitor;
    visitor.groupStart = [&](const StringBuffer& groupId) {
        GroupInformation& group = built.groups[groupNumber];
        group.id = groupId;
        group.subGroups = PtrArray<SubGroupInformation>::sized(compositeGroups[groupNumber].subGroupCount);
        slotNumber = 0;
    };
    visitor.slot = [&](SubGroupInformation& subGroup) {
        built.groups[groupNumber].subGroups[slotNumber++] = std::move(subGroup);
    };
    visitor.groupEnd = [&] { ++groupNumber; };
    visitPackageInformation(compositeGroups, subGroupInfos, textureInfos, packetHeaders, packetFileLists, visitor);
    target = std::move(built);
}
