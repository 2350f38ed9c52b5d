#pragma once

#include <cstdint>

// Which Windows reparse points the file layer refuses. A reparse point whose
// tag is a name surrogate (symbolic links, junctions and mount points, the
// links WSL makes, ...) names another entry: following it could lead out of
// the output folder, so it counts as a link. Every other tag only changes how
// the entry's data is stored (cloud-file placeholders, deduplicated and
// WOF-compressed files, hierarchical storage, ...): such an entry is the
// file or folder it appears to be. Pure, so that it is tested on every
// platform.

// True when an entry with the reparse tag `tag` is to be treated as a link.
// Tag 0 (no tag could be read for an entry marked as a reparse point) counts
// as one too: what cannot be told apart is refused.
bool reparseTagLeadsElsewhere(std::uint32_t tag);
