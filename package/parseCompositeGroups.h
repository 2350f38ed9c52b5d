#pragma once

#include <cstdint>

#include "core/Bytes.h"
#include "package/PackageRecords.h"

// Fills every group of `groups` (already holding the header's group count)
// from the records at `groupInfoOffset`, 1156 bytes apart whatever the
// header's group entry size says. All 64 slots of a group are read; the
// slots in use (the first subGroupCount) must name one of the package's
// `subGroupTotal` subgroups. Throws PackageFormatError for records outside
// the package, a slot count above 64 or a slot naming no subgroup.
void parseCompositeGroups(PtrArray<CompositeGroup>& groups, ByteSpan package, std::uint32_t groupInfoOffset,
                          std::uint32_t subGroupTotal);
