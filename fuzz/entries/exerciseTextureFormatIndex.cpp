#include "fuzz/entries/exerciseTextureFormatIndex.h"

#include <cstdint>
#include <optional>
#include <stdexcept>

#include "description/FormatEntry.h"
#include "description/findFormatEntry.h"
#include "description/parseTextureFormatIndex.h"

void exerciseTextureFormatIndex(std::string_view contents) {
    const std::optional<TextureFormatIndex> table = parseTextureFormatIndex(contents);
    if (!table) {
        return;
    }
    // Looking up every listed code must find an entry with that code.
    for (const FormatEntry& entry : *table) {
        const FormatEntry* found = findFormatEntry(*table, entry.index);
        if (found == nullptr || found->index != entry.index) {
            throw std::logic_error("a listed format code is not found");
        }
        (void)found->name.view().size();
    }
    for (const std::uint32_t code : {0U, 1U, 0xFFFFFFFFU}) {
        (void)findFormatEntry(*table, code);
    }
}
