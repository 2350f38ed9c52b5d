#pragma once

#include <string>
#include <string_view>
#include <vector>

// The files of a packet a run works on, chosen by their path inside the
// packet: every file when no pattern is given, otherwise the files whose path
// matches at least one of the glob patterns (matchesPattern).
class FileSelection {
public:
    FileSelection() = default;
    explicit FileSelection(std::vector<std::string> patterns) : patterns_(std::move(patterns)) {}

    bool selectsEverything() const { return patterns_.empty(); }
    bool selects(std::string_view path) const;

private:
    std::vector<std::string> patterns_;
};
