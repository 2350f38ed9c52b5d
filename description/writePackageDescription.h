#pragma once

#include <cstdint>

#include "platform/OutputFolder.h"
#include "core/StringBuffer.h"
#include "package/PackageRecords.h"

// Describes the package read into `records` and writes the description as
// "Information.json" in `folder`. `packageFileName` is the package file's own
// name (its "ID"). The description is written as it is made, one subgroup at
// a time, so it costs the memory of one subgroup's description, not of the
// file. Every subgroup is checked before the file is touched: a malformed
// package throws PackageFormatError and writes nothing; a file that cannot be
// written throws RunAborted. The file may hold at most `limit` bytes (a
// description above it throws DescriptionOverBudget and leaves no file);
// returns its size.
std::uint64_t writePackageDescription(OutputFolder& folder, const StringBuffer& packageFileName,
                                      const PackageRecords& records, std::uint64_t limit = UINT64_MAX);
