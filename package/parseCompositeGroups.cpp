#include "package/parseCompositeGroups.h"

#include <string>

#include "core/FatalError.h"
#include "package/FieldMaps.h"
#include "package/PackageRange.h"

void parseCompositeGroups(PtrArray<CompositeGroup>& groups, ByteSpan package, std::uint32_t groupInfoOffset,
                          std::uint32_t subGroupTotal) {
    const ByteSpan section =
        recordSection(package, groupInfoOffset, groups.count(), groupRecordSize, groupRecordSize, "composite group records");
    constexpr std::uint32_t slotExtent = fieldMapExtent(subGroupSlotFieldMap);

    for (std::uint32_t i = 0; i < groups.count(); ++i) {
        CompositeGroup& group = groups[i];
        const ByteSpan record = section.subspan(std::size_t{i} * groupRecordSize, groupRecordSize);
        readRecord(record, groupFieldMap, group);
        for (std::uint32_t k = 0; k < groupSlotCount; ++k) {
            readRecord(record.subspan(groupSlotsOffset + k * groupSlotStride, slotExtent), subGroupSlotFieldMap,
                       group.subGroups[k]);
        }

        if (group.subGroupCount > groupSlotCount) {
            throw PackageFormatError(recordLabel("group", i, nameText(group.name)) + ": " +
                                     std::to_string(group.subGroupCount) + " subgroups in use, but a group has only " +
                                     std::to_string(groupSlotCount) + " slots");
        }
        for (std::uint32_t k = 0; k < group.subGroupCount; ++k) {
            const std::uint32_t index = group.subGroups[k].subGroupIndex;
            if (index >= subGroupTotal) {
                throw PackageFormatError(recordLabel("group", i, nameText(group.name)) + ", slot " +
                                         std::to_string(k) + ": subgroup index " + std::to_string(index) +
                                         " is beyond the package's " + std::to_string(subGroupTotal) + " subgroups");
            }
        }
    }
}
