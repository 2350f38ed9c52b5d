#pragma once

#include <string_view>

#include "core/Bytes.h"
#include "package/PackageRecords.h"

// Decodes a package-level name table (each name followed by one 32-bit
// value) into `list`, in stored order. `tableName` starts the reason of a
// PackageFormatError, so the user learns which table is damaged.
void decodeNameTable(PtrArray<NameTableEntry>& list, ByteSpan table, std::string_view tableName = "name table");
