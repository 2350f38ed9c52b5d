#include "description/buildSubGroupInformation.h"

#include <string>

#include "core/FatalError.h"
#include "description/quotedName.h"
#include "package/PackageRules.h"

namespace {

// The locale id is shown as its four stored bytes in reverse order, so the
// little-endian value reads most significant byte first.
StringBuffer locIdText(std::uint32_t locId) {
    StringBuffer text = StringBuffer::reserved(4);
    for (int shift = 24; shift >= 0; shift -= 8) {
        text.appendChar(static_cast<char>((locId >> static_cast<unsigned>(shift)) & 0xFFU));
    }
    return text;
}

std::string entryContext(std::string_view subGroupName, std::uint32_t entryNumber, const PacketFileEntry& entry) {
    return "subgroup " + quotedName(subGroupName) + ", packet file " + std::to_string(entryNumber) + " " +
           quotedName(entry.name.view());
}

} // namespace

void buildSubGroupInformation(SubGroupInformation& target, std::string_view subGroupName, std::uint32_t resId,
                              std::uint32_t locId, std::uint32_t compressionFlags, const PacketFileList& fileList,
                              const PtrArray<TextureInfo>& textureInfos, std::uint32_t firstTextureIndex) {
    checkCompressionFlags(compressionFlags, "subgroup " + quotedName(subGroupName));

    SubGroupInformation built;
    built.id = StringBuffer::fromBytes(subGroupName);
    built.resId = resId;
    if (locId != 0) {
        built.locId = locIdText(locId);
    }
    built.compressResource = (compressionFlags & compressResourceFlag) != 0;
    built.compressAtlasResource = (compressionFlags & compressAtlasFlag) != 0;

    built.resources.reserve(fileList.count());
    built.atlasResources.reserve(fileList.count());
    for (std::uint32_t i = 0; i < fileList.count(); ++i) {
        const PacketFileEntry& entry = fileList[i];
        if (entry.type == resourceFileType) {
            built.resources.append(PathList::fromText(entry.name.view()));
        } else if (entry.type == atlasFileType) {
            const TextureInfo& texture =
                atlasTexture(textureInfos, firstTextureIndex, entry, entryContext(subGroupName, i, entry));
            AtlasResourceInformation& atlas = built.atlasResources.append();
            atlas.path.split(entry.name.view());
            atlas.atlasInformation = AtlasInformation{entry.atlasIndex, entry.width, entry.height, texture.format};
        } else {
            throw PackageFormatError(entryContext(subGroupName, i, entry) + ": file type " +
                                     std::to_string(entry.type) + " (neither 0 nor 1)");
        }
    }
    built.resources.trim();
    built.atlasResources.trim();
    target = std::move(built);
}
