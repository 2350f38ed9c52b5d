#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "description/FormatEntry.h"

// The texture-format index file as format codes are looked up in it: for
// every code the file lists, the first element in file order with that code.
// A later element with a code listed before can never be found, so it is not
// kept: a file of millions of elements of a few codes takes a few entries,
// and a lookup costs the same whatever the file's length.
class TextureFormatIndex {
public:
    // Takes the next element of the file, in file order; it is kept only when
    // no earlier element has its code.
    void add(FormatEntry entry);

    // The first element, in file order, whose index is `code`; null when
    // none is. The entry stays where it is until the next add.
    const FormatEntry* find(std::uint32_t code) const;

    // The kept elements, one per code, in file order.
    std::uint32_t count() const { return static_cast<std::uint32_t>(entries_.size()); }
    const FormatEntry& operator[](std::uint32_t i) const { return entries_[i]; }
    std::vector<FormatEntry>::const_iterator begin() const { return entries_.begin(); }
    std::vector<FormatEntry>::const_iterator end() const { return entries_.end(); }

private:
    std::vector<FormatEntry> entries_;
    std::unordered_map<std::uint32_t, std::uint32_t> positions_; // code -> position in entries_
};
