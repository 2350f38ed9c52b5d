#include "atlas/unpackAtlases.h"

#include <string>

#include "atlas/decodeAtlasFile.h"
#include "atlas/reportDecodeOutcome.h"
#include "core/FatalError.h"
#include "core/Platform.h"
#include "description/findFormatEntry.h"
#include "description/loadTextureFormatIndex.h"
#include "package/extractPacket.h"

namespace {

// `folder` followed by the components of a path inside a packet.
PathList underFolder(const PathList& folder, const StringBuffer& name) {
    PathList path;
    path.copyFrom(folder);
    path.appendAll(PathList::fromText(name.view()));
    return path;
}

std::string subGroupLabel(std::uint32_t index, const SubGroupInfo& info) {
    return "subgroup " + std::to_string(index) + " (" + std::string(nameText(info.name)) + ")";
}

// The texture record of an atlas entry, checked against the texture list.
const TextureInfo& atlasTexture(const PackageRecords& records, std::uint32_t subGroupIndex,
                                const SubGroupInfo& info, std::uint32_t entryIndex, const PacketFileEntry& entry) {
    const std::uint64_t number = std::uint64_t{info.firstTextureIndex} + entry.atlasIndex;
    if (number >= records.textures.count()) {
        throw PackageFormatError(subGroupLabel(subGroupIndex, info) + ": atlas entry " + std::to_string(entryIndex) +
                                 " (" + std::string(entry.name.view()) + "): texture number " +
                                 std::to_string(number) + " is beyond the texture list (" +
                                 std::to_string(records.textures.count()) + " textures)");
    }
    return records.textures[static_cast<std::uint32_t>(number)];
}

// Asks whether to skip an atlas whose format code the index file does not
// list. True to skip; false to end the run (an answer of 0, or no answer).
bool skipUnlistedAtlas(Console& console, const AtlasOutputSettings& settings, std::uint32_t formatCode) {
    console.line("\t\t\t\a UnKnown TextureFormat Index : " + std::to_string(formatCode));
    console.line("\t\t\t  pass this atlas ? input 1 to continue, or input 0 to exit");
    if (settings.skipUnknown) {
        return true;
    }
    return console.readInteger().value_or(0) != 0;
}

} // namespace

bool unpackAtlases(Console& console, const AtlasOutputSettings& settings, ByteSpan package,
                   const PackageRecords& records) {
    const TextureFormatIndex formats = loadTextureFormatIndex(console, settings.indexPath);
    const PathList temp = PathList::fromText("Temp");
    const PathList output = PathList::fromText("OutPut");
    bool allWritten = true;

    for (std::uint32_t g = 0; g < records.groups.count(); ++g) {
        const CompositeGroup& group = records.groups[g];
        if (group.subGroupCount > group.subGroups.count()) {
            throw PackageFormatError("group " + std::to_string(g) + ": " + std::to_string(group.subGroupCount) +
                                     " subgroups named, a group holds at most " +
                                     std::to_string(group.subGroups.count()));
        }
        for (std::uint32_t slot = 0; slot < group.subGroupCount; ++slot) {
            const std::uint32_t k = group.subGroups[slot].subGroupIndex;
            if (k >= records.subGroups.count() || k >= records.packetHeaders.count() ||
                k >= records.packetFileLists.count()) {
                throw PackageFormatError("group " + std::to_string(g) + " slot " + std::to_string(slot) +
                                         ": subgroup index " + std::to_string(k) + " is beyond the subgroup list (" +
                                         std::to_string(records.subGroups.count()) + " subgroups)");
            }
            const SubGroupInfo& info = records.subGroups[k];
            if (info.atlasCount == 0) {
                continue;
            }
            console.line("");
            console.line("\tNow UnPack This PGSR Because it's Included Atlas Resource : " +
                         std::string(nameText(info.name)));
            const PacketFileList& files = records.packetFileLists[k];
            extractPacket(temp, package, records, k);

            for (std::uint32_t e = 0; e < files.count(); ++e) {
                const PacketFileEntry& entry = files[e];
                if (entry.type != atlasFileType) {
                    continue;
                }
                const TextureInfo& texture = atlasTexture(records, k, info, e, entry);
                console.line("");
                console.line("\t\t" + std::string(entry.name.view()));
                const FormatEntry* format = findFormatEntry(formats, texture.format);
                if (format == nullptr) {
                    if (!skipUnlistedAtlas(console, settings, texture.format)) {
                        throw RunAborted({}, true);
                    }
                    continue;
                }
                console.line("\t\t\tWidth : " + std::to_string(texture.width) + " , " + "Height : " +
                             std::to_string(texture.height) + " , " + "\tTextureFormat : " +
                             std::string(format->name.view()));
                const PathList inputPath = underFolder(temp, entry.name);
                PathList outputPath = underFolder(output, entry.name);
                outputPath.last().append(".png");
                const DecodeOutcome outcome =
                    decodeAtlasFile(inputPath, outputPath, ImageSize {texture.width, texture.height}, *format);
                reportDecodeOutcome(console, outcome);
                if (outcome.succeeded) {
                    // The extracted copy has served its purpose; a failed atlas keeps it for inspection.
                    (void)platform::removeFile(std::string(inputPath.join().view()));
                } else {
                    allWritten = false;
                }
            }
        }
    }
    return allWritten;
}
