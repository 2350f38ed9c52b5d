#include "fuzz/entries/exerciseNameTables.h"

#include <stdexcept>

#include "core/FatalError.h"
#include "package/PackageRecords.h"
#include "package/decodeNameTable.h"
#include "package/decodePacketFileList.h"

namespace {

// Every decoded name and payload comes out of the table, so no entry can
// need more than one unit of the table's bytes: more entries than units means
// the decoder invented some.
template <typename List>
void checkCount(const List& list, ByteSpan table) {
    if (list.count() > table.size() / 4U) {
        throw std::logic_error("decoder produced more entries than the table has units");
    }
}

} // namespace

void exerciseNameTables(ByteSpan table) {
    try {
        PtrArray<NameTableEntry> names;
        decodeNameTable(names, table);
        checkCount(names, table);
    } catch (const PackageFormatError&) {
    }
    try {
        PacketFileList files;
        decodePacketFileList(files, table);
        checkCount(files, table);
    } catch (const PackageFormatError&) {
    }
}
