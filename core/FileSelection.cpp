#include "core/FileSelection.h"

#include <algorithm>

#include "core/matchesPattern.h"

bool FileSelection::selects(std::string_view path) const {
    return selectsEverything() || std::ranges::any_of(patterns_, [path](const std::string& pattern) {
               return matchesPattern(pattern, path);
           });
}
