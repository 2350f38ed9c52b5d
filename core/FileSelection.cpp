#include "core/FileSelection.h"

#include <algorithm>

FileSelection::FileSelection(const std::vector<std::string>& patterns) {
    patterns_.reserve(patterns.size());
    for (const std::string& pattern : patterns) {
        patterns_.emplace_back(pattern);
    }
}

bool FileSelection::selects(std::string_view path) const {
    if (selectsEverything()) {
        return true;
    }
    // The path is cut into components once for all the patterns.
    std::vector<std::string_view> components;
    splitPathComponents(path, components);
    return std::ranges::any_of(patterns_,
                               [&components](const CompiledPattern& pattern) { return pattern.matches(components); });
}
