#include "package/FieldMaps.h"

#include <cstring>
#include <stdexcept>

void FieldTarget::load(const std::uint8_t* source) const {
    if (word_ != nullptr) {
        *word_ = loadU32LE(source);
    } else {
        std::memcpy(name_->data(), source, name_->size());
    }
}

FieldTargets<22> fieldTargets(PackageHeader& h) {
    return {{h.magic, h.version, h.reserved0C, h.reserved6C, h.groupNameTableOffset, h.groupNameTableSize,
             h.groupInfoOffset, h.groupInfoEntrySize, h.groupCount, h.subGroupNameTableOffset,
             h.subGroupNameTableSize, h.subGroupInfoOffset, h.subGroupInfoEntrySize, h.subGroupCount,
             h.fileNameTableOffset, h.fileNameTableSize, h.textureInfoOffset, h.textureInfoEntrySize,
             h.textureCount, h.poolInfoOffset, h.poolInfoEntrySize, h.poolCount}};
}

FieldTargets<2> fieldTargets(CompositeGroup& group) { return {{group.name, group.subGroupCount}}; }

FieldTargets<3> fieldTargets(SubGroupRef& slot) { return {{slot.subGroupIndex, slot.resId, slot.locId}}; }

FieldTargets<15> fieldTargets(SubGroupInfo& s) {
    auto& w = s.infoWords;
    return {{s.name, s.packetOffset, w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7], w[8], w[9], w[10],
             s.atlasCount, s.firstTextureIndex}};
}

FieldTargets<4> fieldTargets(PoolInfo& pool) {
    return {{pool.name, pool.poolWords[0], pool.poolWords[1], pool.poolWords[2]}};
}

FieldTargets<4> fieldTargets(TextureInfo& t) { return {{t.width, t.height, t.format, t.reserved08}}; }

FieldTargets<2> fieldTargets(MoreAtlasInfo& more) { return {{more.moreInfo0, more.moreInfo1}}; }

FieldTargets<12> fieldTargets(PacketHeader& p) {
    return {{p.magic, p.version, p.reserved14, p.compressionFlags, p.fileListOffset, p.fileListSize,
             p.resourceDataOffset, p.resourceDataCompressedSize, p.resourceDataSize, p.atlasDataOffset,
             p.atlasDataCompressedSize, p.atlasDataSize}};
}

void copyFields(ByteSpan record, const FieldSource* map, const FieldTarget* targets, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const FieldSource& field = map[i];
        if (field.width != targets[i].width() || !rangeInside(record.size(), field.offset, field.width)) {
            throw std::logic_error("field map does not fit its record");
        }
        targets[i].load(record.data() + field.offset);
    }
}
