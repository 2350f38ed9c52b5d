#pragma once

#include <string_view>

// Whether `path` matches the glob `pattern`. Both are cut into components at
// '/' and '\', alike. Within a component '*' matches any run of characters
// (also none) and '?' exactly one character (one byte); a component that is
// just "**" matches any number of whole components (also none); "**" inside
// a longer component acts as '*'. Every other character matches only itself:
// letter case, empty components and "." are taken as they are.
// The work is bounded by the product of the two lengths, whatever they hold.
bool matchesPattern(std::string_view pattern, std::string_view path);
