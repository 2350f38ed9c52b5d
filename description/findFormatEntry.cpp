#include "description/findFormatEntry.h"

const FormatEntry* findFormatEntry(const TextureFormatIndex& table, std::uint32_t formatCode) {
    return table.find(formatCode);
}
