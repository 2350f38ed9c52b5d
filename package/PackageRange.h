#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/Bytes.h"

// Bounds checks on the untrusted package. Each returns the checked bytes or
// throws PackageFormatError whose reason starts with `what` and gives the
// offending offset, length and the package size. All arithmetic is 64-bit.

// `length` bytes at `offset`.
ByteSpan packageRange(ByteSpan package, std::uint64_t offset, std::uint64_t length, std::string_view what);

// `count` records of `extent` bytes, the first at `offset`, each `stride`
// bytes after the previous one. Records may overlap (stride below the extent,
// even 0), but the count may not exceed what the package could hold without
// overlap: count x extent <= package size. That bound keeps a crafted count
// from allocating far more records than the file has bytes. Returns the
// section from the first record's start to the last record's end.
ByteSpan recordSection(ByteSpan package, std::uint64_t offset, std::uint64_t count, std::uint64_t stride,
                       std::uint64_t extent, std::string_view what);

// "subgroup 12 (name)": the record's number and its name, with control bytes
// shown as \xNN so a damaged name cannot garble the console line.
std::string recordLabel(std::string_view kind, std::uint64_t index, std::string_view name);
