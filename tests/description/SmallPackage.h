#pragma once

#include <cstdint>
#include <string_view>

#include "package/PackageRecords.h"

// Hand-made package records for the description tests.

inline NameField nameField(std::string_view text) {
    NameField field {};
    for (std::size_t i = 0; i < text.size() && i < field.size(); ++i) {
        field[i] = text[i];
    }
    return field;
}

// The value a reader gives for the four stored locale bytes a, b, c, d.
constexpr std::uint32_t storedLocId(char a, char b, char c, char d) {
    return std::uint32_t {static_cast<unsigned char>(a)} | (std::uint32_t {static_cast<unsigned char>(b)} << 8U) |
           (std::uint32_t {static_cast<unsigned char>(c)} << 16U) |
           (std::uint32_t {static_cast<unsigned char>(d)} << 24U);
}

inline PacketFileEntry resourceFile(std::string_view name) {
    PacketFileEntry entry;
    entry.name = StringBuffer::fromBytes(name);
    entry.type = resourceFileType;
    return entry;
}

inline PacketFileEntry atlasFile(std::string_view name, std::uint32_t atlasIndex, std::uint32_t width,
                                 std::uint32_t height) {
    PacketFileEntry entry;
    entry.name = StringBuffer::fromBytes(name);
    entry.type = atlasFileType;
    entry.atlasIndex = atlasIndex;
    entry.width = width;
    entry.height = height;
    return entry;
}

inline void addSubGroup(PackageRecords& records, std::string_view name, std::uint32_t firstTextureIndex,
                        std::uint32_t compressionFlags, PacketFileList files) {
    SubGroupInfo& info = records.subGroups.append();
    info.name = nameField(name);
    info.firstTextureIndex = firstTextureIndex;
    records.packetHeaders.append().compressionFlags = compressionFlags;
    records.packetFileLists.append(std::move(files));
}

inline CompositeGroup& addGroup(PackageRecords& records, std::string_view name) {
    CompositeGroup& group = records.groups.append();
    group.name = nameField(name);
    return group;
}

inline void addSlot(CompositeGroup& group, std::uint32_t subGroupIndex, std::uint32_t resId, std::uint32_t locId) {
    group.subGroups[group.subGroupCount] = SubGroupRef {subGroupIndex, resId, locId};
    ++group.subGroupCount;
}

// Three groups over three subgroups. It has: resource ids 0 and 0xFFFFFFFF
// (both null), 1 and 0xFFFFFFFE; a locale id with zero bytes; every pair of
// compression flags but none; paths with a leading separator, doubled
// separators and no separator; non-ASCII bytes in the package name and a path;
// a group name full of characters that need escapes; an atlas whose width is
// the missing marker and whose texture has the missing format; atlas sizes
// that disagree with their texture records; a subgroup listed by two groups;
// a group without subgroups and a packet without files.
inline PackageRecords smallPackage() {
    PackageRecords records;
    records.useMoreAtlasInfo = true;

    records.textures.append(TextureInfo {4, 4, 0, 0});
    records.textures.append(TextureInfo {2048, 2048, 147, 0});
    records.textures.append(TextureInfo {8, 8, 0xFFFFFFFFU, 0});

    PacketFileList common;
    common.append(resourceFile("\\data\\a.txt"));
    common.append(resourceFile("b.json"));
    common.append(resourceFile("x/y\\\\z"));
    addSubGroup(records, "Common", 0, 3, std::move(common));

    PacketFileList atlases;
    atlases.append(atlasFile("atlases/ATLAS_00", 0, 1024, 512));
    atlases.append(resourceFile("res/\xC3\xA9t\xE9.bin"));
    atlases.append(atlasFile("atlases\\ATLAS_01", 1, 0xFFFFFFFFU, 0));
    addSubGroup(records, "Atlas_1536", 1, 2, std::move(atlases));

    addSubGroup(records, "Empty", 3, 1, PacketFileList {});

    CompositeGroup& alpha = addGroup(records, "Alpha");
    addSlot(alpha, 0, 0, 0);
    addSlot(alpha, 1, 0xFFFFFFFFU, storedLocId('S', 'U', 'n', 'e'));

    CompositeGroup& escapes = addGroup(records, "Tab\tQuote\"Back\\Slash/Ctl\x01\x1F\x7F\b\f\n\r");
    addSlot(escapes, 1, 1, storedLocId('e', 'n', '\0', '\0'));
    addSlot(escapes, 2, 0xFFFFFFFEU, 0);

    addGroup(records, "Hollow");
    return records;
}
