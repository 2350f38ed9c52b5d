#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/matchesPattern.h"

// The files of a packet a run works on, chosen by their path inside the
// packet: every file when no pattern is given, otherwise the files whose path
// matches at least one of the glob patterns (matchesPattern).
class FileSelection {
public:
    FileSelection() = default;
    // Each pattern is cut into components here, once, not for every path.
    explicit FileSelection(const std::vector<std::string>& patterns);

    bool selectsEverything() const { return patterns_.empty(); }
    bool selects(std::string_view path) const;

private:
    std::vector<CompiledPattern> patterns_;
};
