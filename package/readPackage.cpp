#include "package/readPackage.h"

#include <string>
#include <utility>

#include "core/FatalError.h"
#include "package/FieldMaps.h"
#include "package/PackageRange.h"
#include "package/decodeNameTable.h"
#include "package/parseCompositeGroups.h"
#include "package/readPacketHeaders.h"

namespace {

// Reads `count` records of one kind, `stride` bytes apart, from a section
// already checked by recordSection.
template <typename Record, std::size_t N>
void readRecords(PtrArray<Record>& list, ByteSpan section, std::uint32_t stride, const FieldMap<Record, N>& map) {
    const std::uint32_t extent = fieldMapExtent(map);
    for (std::uint32_t k = 0; k < list.count(); ++k) {
        readRecord(section.subspan(std::size_t{k} * stride, extent), map, list[k]);
    }
}

} // namespace

void readPackage(ByteSpan package, PackageRecords& records) {
    PackageRecords read;
    if (package.size() < packageHeaderSize) {
        throw PackageFormatError("the package is " + std::to_string(package.size()) + " bytes, shorter than its " +
                                 std::to_string(packageHeaderSize) + "-byte header");
    }
    readRecord(package.first(packageHeaderSize), packageHeaderFieldMap, read.header);
    const PackageHeader& h = read.header;

    if (h.textureInfoEntrySize != shortTextureRecordSize && h.textureInfoEntrySize != longTextureRecordSize) {
        throw PackageFormatError("texture records are " + std::to_string(h.textureInfoEntrySize) +
                                 " bytes long; only 16 and 24 are known layouts");
    }
    read.useMoreAtlasInfo = h.textureInfoEntrySize == longTextureRecordSize;

    // Every section is checked before anything is allocated for it.
    const ByteSpan groupNames = packageRange(package, h.groupNameTableOffset, h.groupNameTableSize, "group name table");
    const ByteSpan subGroupNames =
        packageRange(package, h.subGroupNameTableOffset, h.subGroupNameTableSize, "subgroup name table");
    const ByteSpan fileNames = packageRange(package, h.fileNameTableOffset, h.fileNameTableSize, "file name table");
    (void)recordSection(package, h.groupInfoOffset, h.groupCount, groupRecordSize, groupRecordSize,
                        "composite group records");
    const ByteSpan subGroupSection = recordSection(package, h.subGroupInfoOffset, h.subGroupCount,
                                                   h.subGroupInfoEntrySize, subGroupRecordSize, "subgroup records");
    const ByteSpan poolSection =
        recordSection(package, h.poolInfoOffset, h.poolCount, h.poolInfoEntrySize, poolRecordSize, "pool records");
    const ByteSpan textureSection = recordSection(package, h.textureInfoOffset, h.textureCount,
                                                  h.textureInfoEntrySize, h.textureInfoEntrySize, "texture records");

    decodeNameTable(read.groupNames, groupNames, "group name table");
    decodeNameTable(read.subGroupNames, subGroupNames, "subgroup name table");
    decodeNameTable(read.fileNames, fileNames, "file name table");

    read.groups = PtrArray<CompositeGroup>::sized(h.groupCount);
    read.subGroups = PtrArray<SubGroupInfo>::sized(h.subGroupCount);
    read.pools = PtrArray<PoolInfo>::sized(h.poolCount);
    read.textures = PtrArray<TextureInfo>::sized(h.textureCount);

    parseCompositeGroups(read.groups, package, h.groupInfoOffset, h.subGroupCount);
    readRecords(read.subGroups, subGroupSection, h.subGroupInfoEntrySize, subGroupFieldMap);
    readRecords(read.pools, poolSection, h.poolInfoEntrySize, poolFieldMap);
    readRecords(read.textures, textureSection, h.textureInfoEntrySize, textureFieldMap);
    if (read.useMoreAtlasInfo) {
        read.moreAtlasInfo = PtrArray<MoreAtlasInfo>::sized(h.textureCount);
        for (std::uint32_t k = 0; k < h.textureCount; ++k) {
            readRecord(textureSection.subspan(std::size_t{k} * longTextureRecordSize, longTextureRecordSize),
                       moreAtlasInfoFieldMap, read.moreAtlasInfo[k]);
        }
    }

    readPacketHeaders(package, read.subGroups, read.packetHeaders, read.packetFileLists);
    records = std::move(read);
}
