#include "description/buildPackageInformation.h"

#include <algorithm>
#include <string>

#include "core/FatalError.h"
#include "description/buildSubGroupInformation.h"
#include "description/quotedName.h"

namespace {

std::string groupContext(std::uint32_t groupNumber, std::string_view groupName) {
    return "group " + std::to_string(groupNumber) + " " + quotedName(groupName);
}

} // namespace

void buildPackageInformation(PackageInformation& target, const StringBuffer& packageFileName, bool useMoreAtlasInfo,
                             const PtrArray<CompositeGroup>& compositeGroups,
                             const PtrArray<SubGroupInfo>& subGroupInfos, const PtrArray<TextureInfo>& textureInfos,
                             const PtrArray<PacketHeader>& packetHeaders,
                             const PtrArray<PacketFileList>& packetFileLists) {
    // A subgroup index must select an entry in all three per-subgroup lists.
    const std::uint32_t knownSubGroups =
        std::min({subGroupInfos.count(), packetHeaders.count(), packetFileLists.count()});

    PackageInformation built;
    built.id = packageFileName;
    built.useMoreAtlasInformation = useMoreAtlasInfo;
    built.groups = PtrArray<GroupInformation>::sized(compositeGroups.count());

    for (std::uint32_t g = 0; g < compositeGroups.count(); ++g) {
        const CompositeGroup& source = compositeGroups[g];
        GroupInformation& group = built.groups[g];
        const std::string_view groupName = nameText(source.name);
        group.id = StringBuffer::fromBytes(groupName);

        const std::uint32_t slots = std::min(groupSlotCount, source.subGroups.count());
        if (source.subGroupCount > slots) {
            throw PackageFormatError(groupContext(g, groupName) + ": lists " + std::to_string(source.subGroupCount) +
                                     " subgroups but has " + std::to_string(slots) + " slots");
        }
        group.subGroups = PtrArray<SubGroupInformation>::sized(source.subGroupCount);

        for (std::uint32_t j = 0; j < source.subGroupCount; ++j) {
            const SubGroupRef& slot = source.subGroups[j];
            const std::uint32_t k = slot.subGroupIndex;
            const std::string context = groupContext(g, groupName) + ", slot " + std::to_string(j);
            if (k >= knownSubGroups) {
                throw PackageFormatError(context + ": subgroup index " + std::to_string(k) + " beyond the " +
                                         std::to_string(knownSubGroups) + " subgroups");
            }
            const SubGroupInfo& info = subGroupInfos[k];
            try {
                buildSubGroupInformation(group.subGroups[j], nameText(info.name), slot.resId, slot.locId,
                                         packetHeaders[k].compressionFlags, packetFileLists[k], textureInfos,
                                         info.firstTextureIndex);
            } catch (const PackageFormatError& error) {
                throw PackageFormatError(context + " (subgroup " + std::to_string(k) + "), " + error.what());
            }
        }
    }
    target = std::move(built);
}
