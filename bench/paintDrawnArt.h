#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A generated atlas of drawn game art, 8-bit RGBA rows packed one after the
// other.
struct DrawnSheet {
    std::string kind;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rgba;
};

// The drawn-art atlases of the PNG benchmark, the same on every run: two
// glyph sheets on transparency (small plain text; large outlined text with a
// gradient fill), flat shapes with hard anti-aliased edges, linear and radial
// gradients, a sprite sheet more than half transparent, and pixel art.
std::vector<DrawnSheet> paintDrawnArt();
