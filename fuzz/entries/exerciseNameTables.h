#pragma once

#include "core/Bytes.h"

// Runs the same raw bytes through both name-table decoders: as a
// package-level name table and as a packet file list. Each may only end in
// PackageFormatError, which is swallowed.
void exerciseNameTables(ByteSpan table);
