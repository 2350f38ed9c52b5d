#pragma once

#include <cstdint>
#include <string_view>

#include "core/PtrArray.h"
#include "description/PackageInformation.h"
#include "package/PackageRecords.h"

// Fills `target` (replacing what it held) with the description of one
// subgroup slot: the subgroup's name, the slot's resource id and locale id
// (`locId` is the four stored bytes read little-endian), the packet's
// compression flags and its file list split into plain resources and atlases.
// An atlas's texture format comes from texture record firstTextureIndex +
// atlasIndex. Throws PackageFormatError, naming the subgroup and the file
// entry, for compression flags above 3, a file type other than 0 or 1, or a
// texture number beyond `textureInfos`.
void buildSubGroupInformation(SubGroupInformation& target, std::string_view subGroupName, std::uint32_t resId,
                              std::uint32_t locId, std::uint32_t compressionFlags, const PacketFileList& fileList,
                              const PtrArray<TextureInfo>& textureInfos, std::uint32_t firstTextureIndex);
