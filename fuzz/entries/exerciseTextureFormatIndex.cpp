#include "fuzz/entries/exerciseTextureFormatIndex.h"

#include <cstdint>
#include <optional>
#include <stdexcept>

#include "description/TextureFormatIndex.h"
#include "description/findFormatEntry.h"
#include "description/parseTextureFormatIndex.h"

void exerciseTextureFormatIndex(std::string_view contents) {
    const std::optional<TextureFormatIndex> table = parseTextureFormatIndex(contents);
    if (!table) {
        return;
    }
    // The table holds one entry per code: looking up each entry's code must
    // find that very entry.
    for (const FormatEntry& entry : *table) {
        const FormatEntry* found = findFormatEntry(*table, entry.index);
        if (found != &entry) {
            throw std::logic_error("a listed format code is not found, or not as its first entry");
        }
        (void)found->name.view().size();
    }
    for (const std::uint32_t code : {0U, 1U, 0xFFFFFFFFU}) {
        (void)findFormatEntry(*table, code);
    }
}
