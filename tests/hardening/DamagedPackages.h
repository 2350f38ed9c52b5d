#pragma once

// The damaged copies of the sample packages that the sweep runs through the
// tool: truncated at every header field and section boundary, single fields
// set to values that point nowhere, and random byte flips with fixed seeds,
// so every run makes the same copies. Also written to files for the Windows
// build's comparison with the Linux build.

#include <algorithm>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "atlas/decodeAtlasFile.h"
#include "fuzz/seeds/samplePackages.h"
#include "packagewriter/writePackage.h"

namespace damaged {

struct DamagedPackage {
    std::string label;
    std::vector<std::uint8_t> bytes;
};

inline packagewriter::WrittenPackage writtenSample(const std::string& name) {
    for (const samples::NamedPackage& sample : samples::samplePackages()) {
        if (sample.name == name) {
            return packagewriter::writePackage(sample.plan);
        }
    }
    throw std::invalid_argument("no sample package " + name);
}

// Every place where a part of the package starts or ends.
inline std::vector<std::uint32_t> boundaries(const packagewriter::WrittenPackage& written) {
    const packagewriter::Layout& layout = written.layout;
    std::vector<std::uint32_t> at;
    for (std::uint32_t offset = 0; offset <= 112; offset += 4) {
        at.push_back(offset); // each header field
    }
    for (const packagewriter::Range range : {layout.groupNameTable, layout.subGroupNameTable, layout.fileNameTable}) {
        at.push_back(range.offset);
        at.push_back(range.offset + range.size / 2);
        at.push_back(range.offset + range.size);
    }
    for (const std::uint32_t start : {layout.groupRecords, layout.subGroupRecords, layout.poolRecords,
                                      layout.textureRecords}) {
        at.push_back(start);
        at.push_back(start + 4);
    }
    for (const packagewriter::PacketLayout& packet : layout.packets) {
        at.insert(at.end(), {packet.subGroupRecord + 128, packet.subGroupRecord + 200, packet.packet,
                             packet.packet + 40, packet.packet + 76, packet.fileList.offset,
                             packet.fileList.offset + packet.fileList.size, packet.resourceData.offset,
                             packet.resourceData.offset + packet.resourceData.size / 2, packet.atlasData.offset,
                             packet.atlasData.offset + packet.atlasData.size - 1});
        for (const std::uint32_t description : packet.fileDescriptions) {
            at.push_back(description + 8);
        }
    }
    const std::uint32_t size = static_cast<std::uint32_t>(written.bytes.size());
    for (std::uint32_t step = 0; step < 16; ++step) {
        at.push_back(size / 16 * step + step * 7);
    }
    at.push_back(size - 1);
    std::sort(at.begin(), at.end());
    at.erase(std::unique(at.begin(), at.end()), at.end());
    at.erase(std::remove_if(at.begin(), at.end(), [size](std::uint32_t offset) { return offset >= size; }), at.end());
    return at;
}

inline std::vector<DamagedPackage> truncations(const packagewriter::WrittenPackage& written) {
    std::vector<DamagedPackage> cases;
    for (const std::uint32_t length : boundaries(written)) {
        cases.push_back({"truncated to " + std::to_string(length) + " bytes",
                         {written.bytes.begin(), written.bytes.begin() + length}});
    }
    return cases;
}

struct Field {
    std::string name;
    std::uint32_t offset;
    bool imageSide = false; // a width or height rather than an offset, size or count
};

// Every field a reader takes from the header, the records, the packet
// headers and the packet file descriptions.
inline std::vector<Field> storedFields(const packagewriter::WrittenPackage& written, std::uint32_t textureRecordSize,
                                std::size_t textureCount, std::size_t groupCount, std::size_t poolCount,
                                std::uint32_t poolStride) {
    const packagewriter::Layout& layout = written.layout;
    std::vector<Field> fields;
    for (const std::uint32_t offset : {0U, 4U, 12U, 16U, 20U, 32U, 36U, 40U, 44U, 48U, 52U, 56U, 60U, 64U, 68U, 72U,
                                       76U, 80U, 84U, 88U, 92U, 108U}) {
        fields.push_back({"header +" + std::to_string(offset), offset});
    }
    for (std::size_t g = 0; g < groupCount; ++g) {
        const std::uint32_t at = layout.groupRecords + static_cast<std::uint32_t>(g) * 1156U;
        fields.push_back({"group " + std::to_string(g) + " subGroupCount", at + 1152});
        for (const std::uint32_t slotField : {128U, 132U, 136U, 144U}) {
            fields.push_back({"group " + std::to_string(g) + " +" + std::to_string(slotField), at + slotField});
        }
    }
    for (std::size_t k = 0; k < layout.packets.size(); ++k) {
        const packagewriter::PacketLayout& packet = layout.packets[k];
        const std::string sub = "subgroup " + std::to_string(k);
        for (const std::uint32_t offset : {128U, 132U, 196U, 200U}) {
            fields.push_back({sub + " record +" + std::to_string(offset), packet.subGroupRecord + offset});
        }
        for (const std::uint32_t offset : {0U, 4U, 16U, 20U, 24U, 28U, 32U, 40U, 44U, 48U, 72U, 76U}) {
            fields.push_back({sub + " packet header +" + std::to_string(offset), packet.packet + offset});
        }
        for (std::size_t f = 0; f < packet.fileDescriptions.size(); ++f) {
            const std::uint32_t at = packet.fileDescriptions[f];
            const bool atlas = written.bytes[at] == 1; // type 1 has the 32-byte description
            for (const std::uint32_t offset : atlas ? std::vector<std::uint32_t>{0, 4, 8, 12, 24, 28}
                                                    : std::vector<std::uint32_t>{0, 4, 8}) {
                fields.push_back({sub + " file " + std::to_string(f) + " +" + std::to_string(offset), at + offset,
                                  offset >= 24});
            }
        }
    }
    for (std::size_t t = 0; t < textureCount; ++t) {
        const std::uint32_t at = layout.textureRecords + static_cast<std::uint32_t>(t) * textureRecordSize;
        for (std::uint32_t offset = 0; offset < textureRecordSize; offset += 4) {
            fields.push_back({"texture " + std::to_string(t) + " +" + std::to_string(offset), at + offset,
                              offset < 8});
        }
    }
    for (std::size_t p = 0; p < poolCount; ++p) {
        fields.push_back({"pool " + std::to_string(p) + " +128",
                          layout.poolRecords + static_cast<std::uint32_t>(p) * poolStride + 128U});
    }
    return fields;
}

inline void store(std::vector<std::uint8_t>& bytes, std::uint32_t at, std::uint32_t value) {
    for (std::uint32_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8U * i));
    }
}

inline std::vector<DamagedPackage> corruptions(const std::string& sampleName,
                                               const packagewriter::WrittenPackage& written) {
    const packagewriter::Package* plan = nullptr;
    static const std::vector<samples::NamedPackage> all = samples::samplePackages();
    for (const samples::NamedPackage& sample : all) {
        if (sample.name == sampleName) {
            plan = &sample.plan;
        }
    }
    const std::uint32_t size = static_cast<std::uint32_t>(written.bytes.size());
    // Nothing, everything, the first places past the package's last byte,
    // and the top bit alone. An image side gets one past the largest side
    // the tool decodes instead: a side near the package size is sound and
    // only makes a large image.
    const std::vector<std::uint32_t> values = {0U, 0xFFFFFFFFU, size, size + 1U, 0x80000000U};
    const std::vector<std::uint32_t> sideValues = {0U, 0xFFFFFFFFU, maxDecodeSide + 1U, 0x80000000U};
    std::vector<DamagedPackage> cases;
    for (const Field& field : storedFields(written, plan->textureRecordSize, plan->textures.size(),
                                           plan->groups.size(), plan->pools.size(), plan->poolStride)) {
        for (const std::uint32_t value : field.imageSide ? sideValues : values) {
            DamagedPackage damaged{field.name + " = " + std::to_string(value), written.bytes};
            store(damaged.bytes, field.offset, value);
            if (damaged.bytes != written.bytes) {
                cases.push_back(std::move(damaged));
            }
        }
    }
    return cases;
}

inline std::vector<DamagedPackage> byteFlips(const packagewriter::WrittenPackage& written, std::uint32_t seed,
                                      std::size_t count) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> position(0, written.bytes.size() - 1);
    std::uniform_int_distribution<unsigned> flips(1, 6);
    std::uniform_int_distribution<unsigned> byte(1, 255);
    std::vector<DamagedPackage> cases;
    for (std::size_t i = 0; i < count; ++i) {
        DamagedPackage damaged{"flips (seed " + std::to_string(seed) + ", case " + std::to_string(i) + "):",
                               written.bytes};
        const unsigned n = flips(random);
        for (unsigned f = 0; f < n; ++f) {
            const std::size_t at = position(random);
            damaged.bytes[at] = static_cast<std::uint8_t>(damaged.bytes[at] ^ byte(random));
            damaged.label += " @" + std::to_string(at);
        }
        cases.push_back(std::move(damaged));
    }
    return cases;
}

// A fixed seed per sample (FNV-1a of its name), so every run flips the same bytes.
inline std::uint32_t seedOf(const std::string& name) {
    std::uint32_t hash = 2166136261U;
    for (const char c : name) {
        hash = (hash ^ static_cast<std::uint8_t>(c)) * 16777619U;
    }
    return hash;
}

enum class Damage { Truncation, Corruption, ByteFlips };

struct SweepShard {
    std::string sample;
    Damage damage;
};

// The sweep: which damage on which sample.
inline const std::vector<SweepShard>& sweepShards() {
    static const std::vector<SweepShard> shards = {
        {"atlas-flags3", Damage::Truncation},     {"atlas-flags3", Damage::Corruption},
        {"atlas-flags3", Damage::ByteFlips},      {"atlas-flags0", Damage::ByteFlips},
        {"records24-shared", Damage::Truncation}, {"records24-shared", Damage::Corruption},
        {"records24-shared", Damage::ByteFlips},  {"wide-strides", Damage::Truncation},
        {"wide-strides", Damage::Corruption}};
    return shards;
}

// The damaged copies of one shard.
inline std::vector<DamagedPackage> casesOf(const SweepShard& shard, const packagewriter::WrittenPackage& written) {
    switch (shard.damage) {
    case Damage::Truncation: return truncations(written);
    case Damage::Corruption: return corruptions(shard.sample, written);
    case Damage::ByteFlips: return byteFlips(written, seedOf(shard.sample), 100);
    }
    return {};
}

} // namespace damaged
