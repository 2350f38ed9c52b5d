#include "description/findFormatEntry.h"

const FormatEntry* findFormatEntry(const TextureFormatIndex& table, std::uint32_t formatCode) {
    for (const FormatEntry& entry : table) {
        if (entry.index == formatCode) {
            return &entry;
        }
    }
    return nullptr;
}
