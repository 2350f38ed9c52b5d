#include "package/PackageRules.h"

#include <string>

#include "core/FatalError.h"
#include "package/PackageRange.h"

void checkSlotCount(const CompositeGroup& group, std::uint32_t groupNumber) {
    if (group.subGroupCount > groupSlotCount) {
        throw PackageFormatError(recordLabel("group", groupNumber, nameText(group.name)) + ": " +
                                 std::to_string(group.subGroupCount) + " subgroups in use, but a group has only " +
                                 std::to_string(groupSlotCount) + " slots");
    }
}

void checkSlotSubGroups(const CompositeGroup& group, std::uint32_t groupNumber, std::uint32_t subGroupTotal) {
    for (std::uint32_t k = 0; k < group.subGroupCount; ++k) {
        const std::uint32_t index = group.subGroups[k].subGroupIndex;
        if (index >= subGroupTotal) {
            throw PackageFormatError(recordLabel("group", groupNumber, nameText(group.name)) + ", slot " +
                                     std::to_string(k) + ": subgroup index " + std::to_string(index) +
                                     " is beyond the package's " + std::to_string(subGroupTotal) + " subgroups");
        }
    }
}

void checkCompressionFlags(std::uint32_t compressionFlags, std::string_view label) {
    if (compressionFlags > highestCompressionFlags) {
        throw PackageFormatError(std::string(label) + ": packet compression flags " +
                                 std::to_string(compressionFlags) + " (above 3)");
    }
}

const TextureInfo& atlasTexture(const PtrArray<TextureInfo>& textures, std::uint32_t firstTextureIndex,
                                const PacketFileEntry& entry, std::string_view label) {
    const std::uint64_t number = std::uint64_t {firstTextureIndex} + entry.atlasIndex;
    if (number >= textures.count()) {
        throw PackageFormatError(std::string(label) + ": texture number " + std::to_string(number) +
                                 " (first texture " + std::to_string(firstTextureIndex) + " + atlas index " +
                                 std::to_string(entry.atlasIndex) + ") beyond the " +
                                 std::to_string(textures.count()) + " texture records");
    }
    return textures[static_cast<std::uint32_t>(number)];
}
