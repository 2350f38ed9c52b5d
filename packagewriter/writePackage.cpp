#include "packagewriter/writePackage.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include <zlib.h>

#include "packagewriter/encodePrefixTable.h"
#include "packagewriter/putBytes.h"

namespace packagewriter {

namespace {

// On-disk sizes of the fixed records.
constexpr std::uint32_t headerSize = 112;
constexpr std::uint32_t groupSize = 1156;
constexpr std::uint32_t subGroupSize = 204;
constexpr std::uint32_t poolSize = 140;
constexpr std::uint32_t packetHeaderBytes = 80;
constexpr std::uint32_t slotLimit = 64;

std::uint32_t to32(std::size_t value) {
    if (value > std::numeric_limits<std::uint32_t>::max()) {
        throw std::invalid_argument("package larger than 4 GiB");
    }
    return static_cast<std::uint32_t>(value);
}

std::uint32_t pick(const std::optional<std::uint32_t>& override, std::uint32_t computed) {
    return override.value_or(computed);
}

// Appends `length` zero bytes aligned nowhere in particular; returns where they start.
std::uint32_t reserve(std::vector<std::uint8_t>& out, std::size_t length) {
    const std::uint32_t at = to32(out.size());
    to32(out.size() + length);
    out.resize(out.size() + length, 0);
    return at;
}

std::uint32_t appendBytes(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& bytes) {
    const std::uint32_t at = reserve(out, bytes.size());
    std::copy(bytes.begin(), bytes.end(), out.begin() + at);
    return at;
}

// Records of one kind, `stride` apart; overlapping ones are written in order,
// so a later record's bytes replace the tail of an earlier one.
std::uint32_t reserveRecords(std::vector<std::uint8_t>& out, std::size_t count, std::uint32_t stride,
                             std::uint32_t extent) {
    if (count == 0) {
        return to32(out.size());
    }
    if (stride == 0) {
        throw std::invalid_argument("a record stride of 0 cannot be laid out");
    }
    const std::uint32_t at = reserve(out, (count - 1U) * std::size_t{stride} + extent);
    putFiller(out, at, ((count - 1U) * std::size_t{stride} + extent) & ~std::size_t{3});
    return at;
}

std::vector<std::uint8_t> deflate(const std::vector<std::uint8_t>& raw) {
    uLongf length = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(length);
    if (compress2(packed.data(), &length, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) != Z_OK) {
        throw std::runtime_error("zlib could not compress a data block");
    }
    packed.resize(length);
    return packed;
}

struct PacketBytes {
    std::vector<std::uint8_t> bytes;
    std::uint32_t fileList = 0, fileListSize = 0;
    std::uint32_t resource = 0, resourceStored = 0;
    std::uint32_t atlas = 0, atlasStored = 0;
    std::vector<std::uint32_t> descriptions; // packet-relative
};

PacketBytes writePacket(const SubGroup& sub) {
    // Blocks first: each file's place inside its block.
    std::vector<std::uint8_t> resource, atlas;
    std::vector<TableEntry> list;
    for (const PacketFile& file : sub.files) {
        std::vector<std::uint8_t>& block = file.type == atlasFile ? atlas : resource;
        const std::uint32_t offset = to32(block.size());
        block.insert(block.end(), file.data.begin(), file.data.end());
        list.push_back({file.path, fileDescription(file.type, pick(file.offset, offset),
                                                   pick(file.size, to32(file.data.size())), file.atlasIndex,
                                                   file.width, file.height)});
    }
    const PacketOverrides& o = sub.overrides;
    const std::uint32_t flags = pick(o.compressionFlags, sub.compressionFlags);
    const std::vector<std::uint8_t> storedResource =
        o.resourceBlock ? *o.resourceBlock : (sub.compressionFlags & 2U) != 0 ? deflate(resource) : resource;
    const std::vector<std::uint8_t> storedAtlas =
        o.atlasBlock ? *o.atlasBlock : (sub.compressionFlags & 1U) != 0 ? deflate(atlas) : atlas;

    PacketBytes packet;
    std::vector<std::uint8_t>& out = packet.bytes;
    reserve(out, packetHeaderBytes);
    putFiller(out, 0, packetHeaderBytes);
    const std::vector<std::uint8_t> table = encodePrefixTable(list, &packet.descriptions);
    packet.fileList = appendBytes(out, table);
    packet.fileListSize = to32(table.size());
    for (std::uint32_t& at : packet.descriptions) {
        at += packet.fileList;
    }
    packet.resource = appendBytes(out, storedResource);
    packet.resourceStored = to32(storedResource.size());
    packet.atlas = appendBytes(out, storedAtlas);
    packet.atlasStored = to32(storedAtlas.size());

    putU32(out, 0, sub.packetMagic);
    putU32(out, 4, sub.packetVersion);
    putU32(out, 16, flags);
    putU32(out, 20, sub.packetReserved14);
    putU32(out, 24, pick(o.resourceDataOffset, packet.resource));
    putU32(out, 28, pick(o.resourceDataCompressedSize, packet.resourceStored));
    putU32(out, 32, pick(o.resourceDataSize, to32(resource.size())));
    putU32(out, 40, pick(o.atlasDataOffset, packet.atlas));
    putU32(out, 44, pick(o.atlasDataCompressedSize, packet.atlasStored));
    putU32(out, 48, pick(o.atlasDataSize, to32(atlas.size())));
    putU32(out, 72, pick(o.fileListSize, packet.fileListSize));
    putU32(out, 76, pick(o.fileListOffset, packet.fileList));
    return packet;
}

std::vector<NamedValue> namesWithIndex(const auto& records) {
    std::vector<NamedValue> names;
    for (const auto& record : records) {
        names.push_back({record.name, to32(names.size())});
    }
    return names;
}

std::vector<NamedValue> filePaths(const std::vector<SubGroup>& subGroups) {
    std::vector<NamedValue> names;
    for (const SubGroup& sub : subGroups) {
        for (const PacketFile& file : sub.files) {
            names.push_back({file.path, to32(names.size())});
        }
    }
    return names;
}

Range appendTable(std::vector<std::uint8_t>& out, const std::vector<NamedValue>& names) {
    const std::vector<std::uint8_t> table = encodeNameTable(names);
    return {appendBytes(out, table), to32(table.size())};
}

} // namespace

WrittenPackage writePackage(const Package& package) {
    if (package.textureRecordSize != 16 && package.textureRecordSize != 24) {
        throw std::invalid_argument("texture records are 16 or 24 bytes; override textureInfoEntrySize for others");
    }
    WrittenPackage written;
    std::vector<std::uint8_t>& out = written.bytes;
    Layout& layout = written.layout;

    reserve(out, headerSize);
    putFiller(out, 0, headerSize);

    layout.groupNameTable = appendTable(out, package.groupNames.value_or(namesWithIndex(package.groups)));
    layout.subGroupNameTable = appendTable(out, package.subGroupNames.value_or(namesWithIndex(package.subGroups)));
    layout.fileNameTable = appendTable(out, package.fileNames.value_or(filePaths(package.subGroups)));

    layout.groupRecords = reserveRecords(out, package.groups.size(), groupSize, groupSize);
    for (std::size_t i = 0; i < package.groups.size(); ++i) {
        const Group& group = package.groups[i];
        if (group.slots.size() > slotLimit) {
            throw std::invalid_argument("a group has at most 64 slots");
        }
        const std::size_t at = layout.groupRecords + i * groupSize;
        putName(out, at, group.name);
        for (std::size_t k = 0; k < slotLimit; ++k) {
            const Slot slot = k < group.slots.size() ? group.slots[k] : Slot{};
            putU32(out, at + 128 + 16 * k, slot.subGroupIndex);
            putU32(out, at + 132 + 16 * k, slot.resId);
            putU32(out, at + 136 + 16 * k, slot.locId);
        }
        putU32(out, at + 1152, pick(group.subGroupCount, to32(group.slots.size())));
    }

    layout.subGroupRecords = reserveRecords(out, package.subGroups.size(), package.subGroupStride, subGroupSize);
    layout.poolRecords = reserveRecords(out, package.pools.size(), package.poolStride, poolSize);
    for (std::size_t i = 0; i < package.pools.size(); ++i) {
        const Pool& pool = package.pools[i];
        const std::size_t at = layout.poolRecords + i * package.poolStride;
        putName(out, at, pool.name);
        for (std::size_t w = 0; w < pool.words.size(); ++w) {
            putU32(out, at + 128 + 4 * w, pool.words[w]);
        }
    }
    layout.textureRecords =
        reserveRecords(out, package.textures.size(), package.textureRecordSize, package.textureRecordSize);
    for (std::size_t i = 0; i < package.textures.size(); ++i) {
        const Texture& texture = package.textures[i];
        const std::size_t at = layout.textureRecords + i * package.textureRecordSize;
        putU32(out, at, texture.width);
        putU32(out, at + 4, texture.height);
        putU32(out, at + 8, texture.reserved08);
        putU32(out, at + 12, texture.format);
        if (package.textureRecordSize == 24) {
            putU32(out, at + 16, texture.moreInfo0);
            putU32(out, at + 20, texture.moreInfo1);
        }
    }

    // Packets, then the subgroup records that point at them; records are
    // written in order so that overlapping ones end as the format reads them.
    for (const SubGroup& sub : package.subGroups) {
        PacketBytes packet = writePacket(sub);
        const std::uint32_t at = appendBytes(out, packet.bytes);
        PacketLayout placed;
        placed.packet = at;
        placed.fileList = {at + packet.fileList, packet.fileListSize};
        placed.resourceData = {at + packet.resource, packet.resourceStored};
        placed.atlasData = {at + packet.atlas, packet.atlasStored};
        for (const std::uint32_t description : packet.descriptions) {
            placed.fileDescriptions.push_back(at + description);
        }
        layout.packets.push_back(std::move(placed));
    }
    for (std::size_t i = 0; i < package.subGroups.size(); ++i) {
        const SubGroup& sub = package.subGroups[i];
        const std::size_t at = layout.subGroupRecords + i * package.subGroupStride;
        layout.packets[i].subGroupRecord = to32(at);
        std::uint32_t atlases = 0;
        for (const PacketFile& file : sub.files) {
            atlases += file.type == atlasFile ? 1U : 0U;
        }
        putName(out, at, sub.name);
        putU32(out, at + 128, pick(sub.overrides.packetOffset, layout.packets[i].packet));
        for (std::size_t w = 0; w < sub.infoWords.size(); ++w) {
            putU32(out, at + 132 + 4 * w, sub.infoWords[w]);
        }
        putFiller(out, at + 176, 20);
        putU32(out, at + 196, pick(sub.atlasCount, atlases));
        putU32(out, at + 200, sub.firstTextureIndex);
    }

    const HeaderOverrides& o = package.header;
    putU32(out, 0, package.magic);
    putU32(out, 4, package.version);
    putU32(out, 12, package.reserved0C);
    putU32(out, 16, pick(o.fileNameTableSize, layout.fileNameTable.size));
    putU32(out, 20, pick(o.fileNameTableOffset, layout.fileNameTable.offset));
    putU32(out, 32, pick(o.subGroupNameTableSize, layout.subGroupNameTable.size));
    putU32(out, 36, pick(o.subGroupNameTableOffset, layout.subGroupNameTable.offset));
    putU32(out, 40, pick(o.subGroupCount, to32(package.subGroups.size())));
    putU32(out, 44, pick(o.subGroupInfoOffset, layout.subGroupRecords));
    putU32(out, 48, pick(o.subGroupInfoEntrySize, package.subGroupStride));
    putU32(out, 52, pick(o.groupCount, to32(package.groups.size())));
    putU32(out, 56, pick(o.groupInfoOffset, layout.groupRecords));
    putU32(out, 60, pick(o.groupInfoEntrySize, package.groupInfoEntrySize));
    putU32(out, 64, pick(o.groupNameTableSize, layout.groupNameTable.size));
    putU32(out, 68, pick(o.groupNameTableOffset, layout.groupNameTable.offset));
    putU32(out, 72, pick(o.poolCount, to32(package.pools.size())));
    putU32(out, 76, pick(o.poolInfoOffset, layout.poolRecords));
    putU32(out, 80, pick(o.poolInfoEntrySize, package.poolStride));
    putU32(out, 84, pick(o.textureCount, to32(package.textures.size())));
    putU32(out, 88, pick(o.textureInfoOffset, layout.textureRecords));
    putU32(out, 92, pick(o.textureInfoEntrySize, package.textureRecordSize));
    putU32(out, 108, package.reserved6C);
    return written;
}

} // namespace packagewriter
