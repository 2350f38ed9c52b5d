#include "bench/paintPicture.h"

#include <algorithm>
#include <cstddef>

std::uint64_t nextRandom(std::uint64_t& state) {
    state += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

namespace {

// Integer arithmetic only, so every build of the generator paints the same bytes.

std::int64_t below(std::uint64_t& state, std::uint32_t bound) {
    return static_cast<std::int64_t>(nextRandom(state) % bound);
}

std::uint8_t clampByte(std::int64_t v) { return static_cast<std::uint8_t>(std::clamp<std::int64_t>(v, 0, 255)); }

struct Sprite {
    std::int64_t x0, y0, w, h;
    std::int64_t r, g, b;   // base colour
    std::int64_t gx, gy;    // shading change over the whole sprite, in 1/256
    std::int64_t stripe;    // stripe period in pixels (0: none)
    bool round;             // ellipse or box
};

// Coverage of pixel (dx, dy) in 0..256: full inside, falling off over the
// outer sixteenth of the shape so edges are soft.
std::int64_t coverage(const Sprite& s, std::int64_t dx, std::int64_t dy) {
    // Offsets from the centre, doubled so the centre of a pixel is an integer.
    const std::int64_t ox = 2 * dx + 1 - s.w;
    const std::int64_t oy = 2 * dy + 1 - s.h;
    std::int64_t inside = 0; // 0 at the edge, 4096 at the centre
    if (s.round) {
        const std::int64_t q = ox * ox * 4096 / (s.w * s.w) + oy * oy * 4096 / (s.h * s.h);
        inside = 4096 - q;
    } else {
        inside = std::min(4096 - std::abs(ox) * 4096 / s.w, 4096 - std::abs(oy) * 4096 / s.h);
    }
    return std::clamp<std::int64_t>(inside, 0, 256);
}

void drawSprite(std::vector<std::uint8_t>& pixels, std::int64_t width, std::int64_t height, const Sprite& s,
                std::uint64_t& grain) {
    for (std::int64_t dy = 0; dy < s.h && s.y0 + dy < height; ++dy) {
        for (std::int64_t dx = 0; dx < s.w && s.x0 + dx < width; ++dx) {
            const std::int64_t alpha = coverage(s, dx, dy);
            if (alpha == 0) {
                continue;
            }
            std::int64_t shade = 256 + s.gx * dx / s.w + s.gy * dy / s.h;
            if (s.stripe != 0 && ((dx + dy) / s.stripe) % 2 == 0) {
                shade = shade * 7 / 8;
            }
            const auto noise = static_cast<std::int64_t>(nextRandom(grain) & 7U) - 3; // light grain
            std::uint8_t* p = &pixels[static_cast<std::size_t>(((s.y0 + dy) * width + s.x0 + dx) * 4)];
            // Over-composite onto what is there.
            const std::int64_t keep = 256 - alpha;
            p[0] = clampByte((p[0] * keep + (s.r * shade / 256 + noise) * alpha) / 256);
            p[1] = clampByte((p[1] * keep + (s.g * shade / 256 + noise) * alpha) / 256);
            p[2] = clampByte((p[2] * keep + (s.b * shade / 256 + noise) * alpha) / 256);
            p[3] = clampByte((p[3] * keep + 255 * alpha) / 256);
        }
    }
}

} // namespace

std::vector<std::uint8_t> paintPicture(std::uint32_t width, std::uint32_t height, std::uint64_t seed) {
    std::vector<std::uint8_t> pixels(std::size_t{width} * height * 4U, 0);
    if (width == 0 || height == 0) {
        return pixels;
    }
    std::uint64_t state = seed * 0x2545F4914F6CDD1DULL + 1U;
    std::uint64_t grain = state ^ 0x5DEECE66DULL;
    // Sprites cover most of the sheet; atlases are packed but not full.
    const std::int64_t area = std::int64_t{width} * height;
    std::int64_t covered = 0;
    while (covered < area * 7 / 10) {
        Sprite s {};
        s.w = 8 + below(state, std::max<std::uint32_t>(16U, width / 4U));
        s.h = 8 + below(state, std::max<std::uint32_t>(16U, height / 4U));
        s.x0 = below(state, width);
        s.y0 = below(state, height);
        s.r = 40 + below(state, 200);
        s.g = 40 + below(state, 200);
        s.b = 40 + below(state, 200);
        s.gx = below(state, 128) - 64;
        s.gy = -(64 + below(state, 64));
        s.stripe = below(state, 3) == 0 ? 2 + below(state, 6) : 0;
        s.round = below(state, 2) == 0;
        drawSprite(pixels, width, height, s, grain);
        covered += s.w * s.h * 3 / 4;
    }
    return pixels;
}
