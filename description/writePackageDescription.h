#pragma once

#include "core/StringBuffer.h"
#include "package/PackageRecords.h"

// Describes the package read into `records` and writes the description as
// "Information.json" in the current directory. `packageFileName` is the
// package file's own name (its "ID"). The whole description is built and
// checked before the file is touched: a malformed package throws
// PackageFormatError and writes nothing; a file that cannot be written throws
// RunAborted.
void writePackageDescription(const StringBuffer& packageFileName, const PackageRecords& records);
