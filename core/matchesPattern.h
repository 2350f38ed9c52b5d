#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Whether `path` matches the glob `pattern`. Both are cut into components at
// '/' and '\', alike. Within a component '*' matches any run of characters
// (also none) and '?' exactly one character (one byte); a component that is
// just "**" matches any number of whole components (also none); "**" inside
// a longer component acts as '*'. Every other character matches only itself:
// letter case, empty components and "." are taken as they are.
// The work is bounded by the product of the two lengths, whatever they hold.
bool matchesPattern(std::string_view pattern, std::string_view path);

// The components of `path` as matchesPattern cuts them, into `components`
// (cleared first, so that one vector serves many paths).
void splitPathComponents(std::string_view path, std::vector<std::string_view>& components);

// A pattern cut into its components once, to be matched against many paths
// as matchesPattern would.
class CompiledPattern {
public:
    explicit CompiledPattern(std::string_view pattern);

    // `pathComponents` as splitPathComponents gives them.
    bool matches(std::span<const std::string_view> pathComponents) const;

private:
    struct Part {
        std::size_t offset = 0;
        std::size_t length = 0;
        bool anyComponents = false; // the component is just "**"
        bool anyName = false;       // just stars: any one component
        bool literal = false;       // no '*' and no '?': only itself
    };
    std::string text_;
    std::vector<Part> parts_;
};
