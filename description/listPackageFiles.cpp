#include "description/listPackageFiles.h"

#include <string>

#include "description/findFormatEntry.h"
#include "package/PackageRange.h"
#include "package/PackageRules.h"
#include "package/checkPacketFiles.h"

namespace {

// The texture record of each atlas of a packet, in list order; throws for a
// texture number beyond the texture list.
std::vector<const TextureInfo*> atlasTextures(const PackageRecords& records, const SubGroupInfo& info,
                                              const PacketFileList& files, const std::string& label) {
    std::vector<const TextureInfo*> textures(files.count(), nullptr);
    for (std::uint32_t e = 0; e < files.count(); ++e) {
        if (files[e].type != atlasFileType) {
            continue;
        }
        textures[e] = &atlasTexture(records.textures, info.firstTextureIndex, files[e],
                                    label + ": " + recordLabel("file", e, files[e].name.view()));
    }
    return textures;
}

} // namespace

std::string listField(std::string_view text) {
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    std::string field;
    field.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\\': field += "\\\\"; break;
        case '\t': field += "\\t"; break;
        case '\n': field += "\\n"; break;
        case '\r': field += "\\r"; break;
        default:
            if (byte < 0x20U || byte == 0x7FU) {
                field += "\\x";
                field += hexDigits[byte >> 4U];
                field += hexDigits[byte & 0xFU];
            } else {
                field += c;
            }
        }
    }
    return field;
}

std::vector<std::string> listPackageFiles(const PackageRecords& records, const FileSelection& selection,
                                          const TextureFormatIndex* formats) {
    const std::uint32_t count = records.subGroups.count();
    // Only the subgroups that some group names: those are the packets that
    // unpacking reaches, and damage in the others stops neither.
    std::vector<bool> named(count, false);
    for (const CompositeGroup& group : records.groups) {
        for (std::uint32_t slot = 0; slot < group.subGroupCount; ++slot) {
            // readPackage has checked every slot in use against the subgroups.
            named.at(group.subGroups[slot].subGroupIndex) = true;
        }
    }
    std::vector<std::string> lines;
    for (std::uint32_t k = 0; k < count; ++k) {
        if (!named[k]) {
            continue;
        }
        const SubGroupInfo& info = records.subGroups[k];
        const PacketHeader& header = records.packetHeaders[k];
        const PacketFileList& files = records.packetFileLists[k];
        const std::string label = recordLabel("subgroup", k, nameText(info.name));
        checkCompressionFlags(header.compressionFlags, label);
        checkPacketFiles(files, header.resourceDataSize, header.atlasDataSize, label);
        const std::vector<const TextureInfo*> textures = atlasTextures(records, info, files, label);

        const std::string subGroupField = listField(nameText(info.name));
        for (std::uint32_t e = 0; e < files.count(); ++e) {
            const PacketFileEntry& file = files[e];
            if (!selection.selects(file.name.view())) {
                continue;
            }
            const bool atlas = file.type == atlasFileType;
            const bool compressed =
                (header.compressionFlags & (atlas ? compressAtlasFlag : compressResourceFlag)) != 0;
            std::string line = subGroupField + '\t' + listField(file.name.view()) + '\t' +
                               std::to_string(file.size) + '\t' + (compressed ? "yes" : "no") + '\t';
            if (atlas) {
                const TextureInfo& texture = *textures[e];
                line += std::to_string(texture.width) + '\t' + std::to_string(texture.height) + '\t' +
                        std::to_string(texture.format) + '\t';
                const FormatEntry* format = formats != nullptr ? findFormatEntry(*formats, texture.format) : nullptr;
                if (format != nullptr) {
                    line += listField(format->name.view());
                }
            } else {
                line += "\t\t\t";
            }
            lines.push_back(std::move(line));
        }
    }
    return lines;
}
