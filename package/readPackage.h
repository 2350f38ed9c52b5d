#pragma once

#include "core/Bytes.h"
#include "package/PackageRecords.h"

// Turns a whole package in memory into its records: the header, the texture
// layout flag, the three name tables, groups, subgroups, pools, textures (and
// their extra values when texture records are 24 bytes), and every packet's
// header and file list. Every offset, size and count is checked against the
// package before it is used; a violation throws PackageFormatError with a
// reason naming the damaged part, and `records` is left as it was.
// The records refer to no package bytes; extraction later reads packet data
// from the same package.
void readPackage(ByteSpan package, PackageRecords& records);
