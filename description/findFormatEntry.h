#pragma once

#include <cstdint>

#include "description/TextureFormatIndex.h"

// The first entry, in file order, whose index is `formatCode`; null when none is.
const FormatEntry* findFormatEntry(const TextureFormatIndex& table, std::uint32_t formatCode);
