#include "description/TextureFormatIndex.h"

#include <limits>
#include <stdexcept>
#include <utility>

void TextureFormatIndex::add(FormatEntry entry) {
    if (positions_.contains(entry.index)) {
        return;
    }
    // One entry per code: never more than 2^32 of them, but the count must fit.
    if (entries_.size() >= std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("index file of more than 4 Gi format codes");
    }
    positions_.emplace(entry.index, static_cast<std::uint32_t>(entries_.size()));
    entries_.push_back(std::move(entry));
}

const FormatEntry* TextureFormatIndex::find(std::uint32_t code) const {
    const auto found = positions_.find(code);
    return found == positions_.end() ? nullptr : &entries_[found->second];
}
