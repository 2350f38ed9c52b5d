#include "package/decodeNameTable.h"

#include "package/decodePrefixTable.h"

namespace {

struct NameValuePayload {
    static constexpr std::uint32_t minimumSize = 4;
    std::uint32_t size(ByteSpan /*rest*/) const { return minimumSize; }
    void read(ByteSpan bytes, NameTableEntry& entry) const { entry.value = loadU32LE(bytes.data()); }
};

} // namespace

void decodeNameTable(PtrArray<NameTableEntry>& list, ByteSpan table, std::string_view tableName) {
    decodePrefixTable(list, table, tableName, NameValuePayload{});
}
