#include "package/parseCompositeGroups.h"

#include "package/FieldMaps.h"
#include "package/PackageRange.h"
#include "package/PackageRules.h"

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

        checkSlotCount(group, i);
        checkSlotSubGroups(group, i, subGroupTotal);
    }
}
