#include "core/matchesPattern.h"

#include <vector>

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

// Both levels use the same walk: units of the pattern are matched in order,
// and on a mismatch only the most recent star is given one more unit. Every
// stretch between two stars has a fixed number of units, so placing it at
// its earliest fit is never worse than a later one, and the walk needs no
// deeper backtracking: it takes at most (pattern units) x (subject units)
// unit comparisons.
template <typename IsStar, typename UnitMatches>
bool starWalk(std::size_t patternCount, std::size_t subjectCount, IsStar isStar, UnitMatches unitMatches) {
    std::size_t p = 0;
    std::size_t s = 0;
    bool haveStar = false;
    std::size_t starAt = 0;     // the pattern unit after the last star
    std::size_t resumeFrom = 0; // the subject unit the last star would take next
    while (s < subjectCount) {
        if (p < patternCount && isStar(p)) {
            haveStar = true;
            starAt = ++p;
            resumeFrom = s;
        } else if (p < patternCount && unitMatches(p, s)) {
            ++p;
            ++s;
        } else if (haveStar) {
            p = starAt;
            s = ++resumeFrom;
        } else {
            return false;
        }
    }
    while (p < patternCount && isStar(p)) {
        ++p;
    }
    return p == patternCount;
}

bool componentMatches(std::string_view pattern, std::string_view name) {
    return starWalk(
        pattern.size(), name.size(), [&](std::size_t p) { return pattern[p] == '*'; },
        [&](std::size_t p, std::size_t s) { return pattern[p] == '?' || pattern[p] == name[s]; });
}

} // namespace

void splitPathComponents(std::string_view text, std::vector<std::string_view>& components) {
    components.clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || isSeparator(text[i])) {
            components.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
}

CompiledPattern::CompiledPattern(std::string_view pattern) : text_(pattern) {
    std::vector<std::string_view> components;
    splitPathComponents(text_, components);
    parts_.reserve(components.size());
    for (const std::string_view component : components) {
        parts_.push_back(Part {static_cast<std::size_t>(component.data() - text_.data()), component.size(),
                               component == "**",
                               !component.empty() && component.find_first_not_of('*') == std::string_view::npos,
                               component.find_first_of("*?") == std::string_view::npos});
    }
}

bool CompiledPattern::matches(std::span<const std::string_view> pathComponents) const {
    return starWalk(
        parts_.size(), pathComponents.size(), [&](std::size_t p) { return parts_[p].anyComponents; },
        [&](std::size_t p, std::size_t s) {
            // Most components of most patterns are plain names or a lone
            // star: those are decided without the walk.
            const Part& part = parts_[p];
            const std::string_view component(text_.data() + part.offset, part.length);
            if (part.literal) {
                return component == pathComponents[s];
            }
            return part.anyName || componentMatches(component, pathComponents[s]);
        });
}

bool matchesPattern(std::string_view pattern, std::string_view path) {
    std::vector<std::string_view> pathParts;
    splitPathComponents(path, pathParts);
    return CompiledPattern(pattern).matches(pathParts);
}
