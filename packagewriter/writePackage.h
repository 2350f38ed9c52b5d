#pragma once

#include "packagewriter/PackagePlan.h"

namespace packagewriter {

// Lays the package out (header, group, subgroup and file name tables, group,
// subgroup, pool and texture records, then one packet per subgroup: header,
// file list, resource data, atlas data), compresses the blocks the
// compression flags ask for, applies the overrides and returns the bytes
// with the positions of every part. Bytes that no reader looks at are
// filled with a recognisable pattern. Throws std::invalid_argument for a
// plan it cannot lay out (a name over 128 bytes, more than 64 slots, a
// texture record size other than 16 or 24, a stride of 0).
WrittenPackage writePackage(const Package& package);

} // namespace packagewriter
