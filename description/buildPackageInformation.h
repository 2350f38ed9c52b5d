#pragma once

#include <functional>

#include "core/PtrArray.h"
#include "core/StringBuffer.h"
#include "description/PackageInformation.h"
#include "package/PackageRecords.h"

// Fills `target` (replacing what it held) with the description of a package
// from the reader's records: one group per composite group, one subgroup per
// used slot (a subgroup listed by several groups is described under each).
// `packetHeaders` and `packetFileLists` are indexed like `subGroupInfos`; the
// groups' slots in use name entries of them, as readPackage has checked.
// Throws PackageFormatError, naming the group, the slot and the subgroup, when
// the subgroup's packet is malformed (see buildSubGroupInformation). Nothing
// is changed in `target` then.
void buildPackageInformation(PackageInformation& target, const StringBuffer& packageFileName, bool useMoreAtlasInfo,
                             const PtrArray<CompositeGroup>& compositeGroups,
                             const PtrArray<SubGroupInfo>& subGroupInfos, const PtrArray<TextureInfo>& textureInfos,
                             const PtrArray<PacketHeader>& packetHeaders,
                             const PtrArray<PacketFileList>& packetFileLists);

// What visitPackageInformation calls, each when set: at the start of each
// group with its "ID", with each described slot in order, at each group's end.
struct PackageInformationVisitor {
    std::function<void(const StringBuffer& groupId)> groupStart;
    std::function<void(SubGroupInformation& subGroup)> slot;
    std::function<void()> groupEnd;
};

// The walk of buildPackageInformation, with its checks and errors, without
// keeping the description: each slot's description lives only for its call,
// so a package costs the memory of one subgroup's description.
void visitPackageInformation(const PtrArray<CompositeGroup>& compositeGroups,
                             const PtrArray<SubGroupInfo>& subGroupInfos, const PtrArray<TextureInfo>& textureInfos,
                             const PtrArray<PacketHeader>& packetHeaders,
                             const PtrArray<PacketFileList>& packetFileLists, const PackageInformationVisitor& visitor);
