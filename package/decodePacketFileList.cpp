#include "package/decodePacketFileList.h"

#include "package/decodePrefixTable.h"

namespace {

struct FileDescriptionPayload {
    static constexpr std::uint32_t minimumSize = 12;
    static constexpr std::uint32_t atlasSize = 32;

    std::uint32_t size(ByteSpan rest) const {
        // Too short to hold the type: the minimum size is already too much.
        if (rest.size() < 4) {
            return minimumSize;
        }
        return loadU32LE(rest.data()) == atlasFileType ? atlasSize : minimumSize;
    }

    // Bytes 16 to 23 of an atlas description are not used.
    void read(ByteSpan bytes, PacketFileEntry& entry) const {
        entry.type = loadU32LE(bytes.data());
        entry.offset = loadU32LE(bytes.data() + 4);
        entry.size = loadU32LE(bytes.data() + 8);
        if (bytes.size() == atlasSize) {
            entry.atlasIndex = loadU32LE(bytes.data() + 12);
            entry.width = loadU32LE(bytes.data() + 24);
            entry.height = loadU32LE(bytes.data() + 28);
        }
    }
};

} // namespace

void decodePacketFileList(PacketFileList& list, ByteSpan table, std::string_view tableName) {
    decodePrefixTable(list, table, tableName, FileDescriptionPayload{});
}
