#pragma once

#include <cstdint>
#include <string_view>

#include "package/PackageRecords.h"

// The rules a package's records must keep beyond their bounds, one function
// each, called where a run first meets the record. Each throws
// PackageFormatError; a reason that names its spot through `label` starts
// with it.

// At most 64 of a group's slots are in use (group number `groupNumber`).
void checkSlotCount(const CompositeGroup& group, std::uint32_t groupNumber);

// Every slot in use names one of the package's `subGroupTotal` subgroups.
void checkSlotSubGroups(const CompositeGroup& group, std::uint32_t groupNumber, std::uint32_t subGroupTotal);

// A packet's compression flags are 0 to 3: bit 0 for the atlas data, bit 1
// for the resource data.
inline constexpr std::uint32_t highestCompressionFlags = compressAtlasFlag | compressResourceFlag;
void checkCompressionFlags(std::uint32_t compressionFlags, std::string_view label);

// The texture record of an atlas entry: number firstTextureIndex +
// atlasIndex, counted without 32-bit wrap-around, inside the texture list.
const TextureInfo& atlasTexture(const PtrArray<TextureInfo>& textures, std::uint32_t firstTextureIndex,
                                const PacketFileEntry& entry, std::string_view label);
