#include "bench/paintDrawnArt.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <functional>

#include "bench/paintPicture.h"

namespace {

struct Colour {
    double r, g, b;
};

// A sheet being painted, with straight (not premultiplied) alpha.
class Sheet {
public:
    Sheet(std::string kind, std::uint32_t width, std::uint32_t height)
        : sheet_ {std::move(kind), width, height, std::vector<std::uint8_t>(std::size_t {width} * height * 4U)} {}

    int width() const { return static_cast<int>(sheet_.width); }
    int height() const { return static_cast<int>(sheet_.height); }

    // Lays `colour` at `alpha` (0 to 1) over the pixel, as a drawing program does.
    void over(int x, int y, Colour colour, double alpha) {
        if (x < 0 || y < 0 || x >= width() || y >= height() || alpha <= 0) {
            return;
        }
        std::uint8_t* p = &sheet_.rgba[(static_cast<std::size_t>(y) * sheet_.width + static_cast<std::size_t>(x)) * 4U];
        const double below = p[3] / 255.0;
        const double out = alpha + below * (1 - alpha);
        const auto mix = [&](std::uint8_t old, double value) {
            const double mixed = (value * alpha + old * below * (1 - alpha)) / out;
            return static_cast<std::uint8_t>(std::clamp(std::lround(mixed), 0L, 255L));
        };
        p[0] = mix(p[0], colour.r);
        p[1] = mix(p[1], colour.g);
        p[2] = mix(p[2], colour.b);
        p[3] = static_cast<std::uint8_t>(std::clamp(std::lround(out * 255), 0L, 255L));
    }

    // Sets the pixel outright.
    void set(int x, int y, std::array<std::uint8_t, 4> rgba) {
        if (x >= 0 && y >= 0 && x < width() && y < height()) {
            std::copy(rgba.begin(), rgba.end(),
                      sheet_.rgba.begin() + static_cast<std::ptrdiff_t>(
                                                (static_cast<std::size_t>(y) * sheet_.width + static_cast<std::size_t>(x)) * 4U));
        }
    }

    DrawnSheet take() { return std::move(sheet_); }

private:
    DrawnSheet sheet_;
};

double uniform(std::uint64_t& state) { return static_cast<double>(nextRandom(state) >> 11U) / 9007199254740992.0; }

int between(std::uint64_t& state, int low, int high) {
    return low + static_cast<int>(nextRandom(state) % static_cast<std::uint64_t>(high - low + 1));
}

Colour randomColour(std::uint64_t& state) {
    return {static_cast<double>(between(state, 0, 255)), static_cast<double>(between(state, 0, 255)),
            static_cast<double>(between(state, 0, 255))};
}

Colour scaled(Colour c, double f) {
    return {std::clamp(c.r * f, 0.0, 255.0), std::clamp(c.g * f, 0.0, 255.0), std::clamp(c.b * f, 0.0, 255.0)};
}

Colour lerp(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Coverage of a pixel by a shape whose signed distance (negative inside) at
// the pixel's centre is `distance`: a one-pixel anti-aliased edge.
double coverage(double distance) { return std::clamp(0.5 - distance, 0.0, 1.0); }

double segmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay;
    const double length2 = dx * dx + dy * dy;
    const double t = length2 == 0 ? 0 : std::clamp(((px - ax) * dx + (py - ay) * dy) / length2, 0.0, 1.0);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

double roundedBoxDistance(double px, double py, double cx, double cy, double halfW, double halfH, double radius) {
    const double qx = std::abs(px - cx) - halfW + radius;
    const double qy = std::abs(py - cy) - halfH + radius;
    return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
}

// Paints a shape given by its signed distance over the box around it.
void paintShape(Sheet& sheet, int x0, int y0, int x1, int y1, const std::function<double(double, double)>& distance,
                const std::function<Colour(double, double)>& colour, double alpha = 1) {
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double c = coverage(distance(px, py));
            if (c > 0) {
                sheet.over(x, y, colour(px, py), c * alpha);
            }
        }
    }
}

// Glyphs of a made-up script on a grid of cells: each glyph is two to four
// strokes between points of a 3 x 4 lattice, as a stroke font draws them.
DrawnSheet glyphSheet(const char* kind, std::uint32_t width, std::uint32_t height, int cellW, int cellH,
                      double stroke, double outline, std::uint64_t seed) {
    Sheet sheet(kind, width, height);
    std::uint64_t state = seed;
    const Colour top {255, 236, 120}, bottom {255, 140, 20}, edge {60, 20, 10};
    for (int cy = 0; cy + cellH <= sheet.height(); cy += cellH) {
        for (int cx = 0; cx + cellW <= sheet.width(); cx += cellW) {
            struct Segment {
                double ax, ay, bx, by;
            };
            std::vector<Segment> strokes;
            const int count = between(state, 2, 4);
            const double marginX = cellW * 0.2, marginY = cellH * 0.15;
            const auto point = [&](int i, int j) {
                return std::array<double, 2> {cx + marginX + (cellW - 2 * marginX) * i / 2.0,
                                              cy + marginY + (cellH - 2 * marginY) * j / 3.0};
            };
            // Each lattice point drawn in its own statement: the order in
            // which a call's arguments are evaluated differs between targets
            // (GCC: right to left on x86-64, left to right on aarch64), and
            // every build must paint the same sheet. Row before column, the
            // order the x86-64 build took.
            const auto latticePoint = [&] {
                const int j = between(state, 0, 3);
                const int i = between(state, 0, 2);
                return point(i, j);
            };
            for (int s = 0; s < count; ++s) {
                const auto a = latticePoint();
                const auto b = latticePoint();
                strokes.push_back({a[0], a[1], b[0], b[1]});
            }
            const auto distance = [&](double px, double py, double halfWidth) {
                double nearest = 1e9;
                for (const Segment& s : strokes) {
                    nearest = std::min(nearest, segmentDistance(px, py, s.ax, s.ay, s.bx, s.by));
                }
                return nearest - halfWidth;
            };
            if (outline > 0) {
                paintShape(
                    sheet, cx, cy, cx + cellW, cy + cellH,
                    [&](double px, double py) { return distance(px, py, stroke / 2 + outline); },
                    [&](double, double) { return edge; });
                paintShape(
                    sheet, cx, cy, cx + cellW, cy + cellH,
                    [&](double px, double py) { return distance(px, py, stroke / 2); },
                    [&](double, double py) { return lerp(top, bottom, (py - cy) / cellH); });
            } else {
                paintShape(
                    sheet, cx, cy, cx + cellW, cy + cellH,
                    [&](double px, double py) { return distance(px, py, stroke / 2); },
                    [&](double, double) { return Colour {255, 255, 255}; });
            }
        }
    }
    return sheet.take();
}

// Buttons, panels, badges and icons in flat colours from a small palette,
// on a grid of cells with transparent gaps.
DrawnSheet shapeSheet(std::uint64_t seed) {
    Sheet sheet("flat shapes", 1024, 1024);
    std::uint64_t state = seed;
    std::array<Colour, 8> palette {};
    for (Colour& c : palette) {
        c = randomColour(state);
    }
    const int cell = 128;
    for (int cy = 0; cy < sheet.height(); cy += cell) {
        for (int cx = 0; cx < sheet.width(); cx += cell) {
            const Colour fill = palette[nextRandom(state) % palette.size()];
            const Colour border = palette[nextRandom(state) % palette.size()];
            const double mx = cx + cell / 2.0, my = cy + cell / 2.0;
            const double halfW = between(state, 30, 62), halfH = between(state, 20, 62);
            const int shape = between(state, 0, 3);
            std::function<double(double, double)> distance;
            switch (shape) {
            case 0: // rounded panel
                distance = [=](double px, double py) {
                    return roundedBoxDistance(px, py, mx, my, halfW, halfH, std::min(halfW, halfH) / 3);
                };
                break;
            case 1: // disc
                distance = [=](double px, double py) { return std::hypot(px - mx, py - my) - std::min(halfW, halfH); };
                break;
            case 2: // triangle, as the largest distance to its three edges
                distance = [=](double px, double py) {
                    const double r = std::min(halfW, halfH);
                    double d = -1e9;
                    for (int k = 0; k < 3; ++k) {
                        const double angle = -1.5707963 + k * 2.0943951;
                        const double nx = std::cos(angle + 3.14159265), ny = std::sin(angle + 3.14159265);
                        d = std::max(d, (px - mx) * nx + (py - my) * ny - r / 2);
                    }
                    return d;
                };
                break;
            default: // ring
                distance = [=](double px, double py) {
                    return std::abs(std::hypot(px - mx, py - my) - std::min(halfW, halfH) * 0.75) -
                           std::min(halfW, halfH) * 0.2;
                };
                break;
            }
            paintShape(sheet, cx, cy, cx + cell, cy + cell, distance, [&](double, double) { return border; });
            paintShape(
                sheet, cx, cy, cx + cell, cy + cell, [&](double px, double py) { return distance(px, py) + 3; },
                [&](double, double) { return fill; });
        }
    }
    return sheet.take();
}

// Buttons with vertical gradients, bars with horizontal ones, round glows
// fading to transparency and lit spheres.
DrawnSheet gradientSheet(std::uint64_t seed) {
    Sheet sheet("gradients", 1024, 1024);
    std::uint64_t state = seed;
    const int cell = 256;
    for (int cy = 0; cy < sheet.height(); cy += cell) {
        for (int cx = 0; cx < sheet.width(); cx += cell) {
            const Colour a = randomColour(state), b = randomColour(state);
            const double mx = cx + cell / 2.0, my = cy + cell / 2.0;
            switch (between(state, 0, 3)) {
            case 0: // button, lit from above
                paintShape(
                    sheet, cx, cy, cx + cell, cy + cell,
                    [&](double px, double py) { return roundedBoxDistance(px, py, mx, my, 120, 60, 24); },
                    [&](double, double py) { return lerp(a, b, std::clamp((py - my + 60) / 120, 0.0, 1.0)); });
                break;
            case 1: // bars across
                for (int bar = 0; bar < 4; ++bar) {
                    const double top = cy + 8 + bar * 62;
                    paintShape(
                        sheet, cx, cy, cx + cell, cy + cell,
                        [&](double px, double py) { return roundedBoxDistance(px, py, mx, top + 25, 124, 25, 8); },
                        [&](double px, double) { return lerp(a, b, (px - cx) / cell); });
                }
                break;
            case 2: // glow
                for (int y = cy; y < cy + cell; ++y) {
                    for (int x = cx; x < cx + cell; ++x) {
                        const double r = std::hypot(x + 0.5 - mx, y + 0.5 - my) / (cell / 2.0);
                        if (r < 1) {
                            sheet.over(x, y, lerp(a, b, r), (1 - r) * (1 - r));
                        }
                    }
                }
                break;
            default: // sphere, lit from the upper left
                paintShape(
                    sheet, cx, cy, cx + cell, cy + cell,
                    [&](double px, double py) { return std::hypot(px - mx, py - my) - 110; },
                    [&](double px, double py) {
                        const double t = std::clamp(std::hypot(px - mx + 40, py - my + 40) / 190, 0.0, 1.0);
                        return lerp(scaled(a, 1.4), scaled(a, 0.35), t);
                    });
                break;
            }
        }
    }
    return sheet.take();
}

// Characters on 64 x 64 cells: body, head, arms and legs of shaded parts
// with a dark outline, most of each cell left transparent.
DrawnSheet spriteSheet(std::uint64_t seed) {
    Sheet sheet("sprite sheet", 1024, 1024);
    std::uint64_t state = seed;
    const int cell = 64;
    for (int cy = 0; cy < sheet.height(); cy += cell) {
        for (int cx = 0; cx < sheet.width(); cx += cell) {
            const Colour skin = randomColour(state), cloth = randomColour(state);
            const double mx = cx + 32 + between(state, -3, 3), my = cy + 34;
            const double lean = between(state, -6, 6);
            struct Part {
                double ax, ay, bx, by, radius;
                Colour colour;
            };
            const std::array<Part, 6> parts {{
                {mx, my - 16, mx, my - 16, 8, skin},                  // head
                {mx, my - 6, mx, my + 8, 8, cloth},                   // body
                {mx - 6, my - 4, mx - 12, my + 6 + lean, 3, skin},    // arms
                {mx + 6, my - 4, mx + 12, my + 6 - lean, 3, skin},
                {mx - 4, my + 12, mx - 6 - lean, my + 24, 3.5, cloth}, // legs
                {mx + 4, my + 12, mx + 6 + lean, my + 24, 3.5, cloth},
            }};
            const auto union_ = [&](double px, double py, double grow) {
                double d = 1e9;
                for (const Part& p : parts) {
                    d = std::min(d, segmentDistance(px, py, p.ax, p.ay, p.bx, p.by) - p.radius - grow);
                }
                return d;
            };
            paintShape(
                sheet, cx, cy, cx + cell, cy + cell, [&](double px, double py) { return union_(px, py, 1.5); },
                [&](double, double) { return Colour {30, 22, 28}; });
            for (const Part& p : parts) {
                paintShape(
                    sheet, cx, cy, cx + cell, cy + cell,
                    [&](double px, double py) {
                        return segmentDistance(px, py, p.ax, p.ay, p.bx, p.by) - p.radius;
                    },
                    [&](double px, double) { return scaled(p.colour, 1.15 - 0.5 * (px - (mx - 14)) / 28); });
            }
        }
    }
    return sheet.take();
}

// Pixel art scaled up without smoothing: a band of opaque ground tiles in
// a few shades, then mirrored creatures of 16 x 16 with an outline, each
// pixel a 3 x 3 block.
DrawnSheet pixelArtSheet(std::uint64_t seed) {
    Sheet sheet("pixel art", 1024, 512);
    std::uint64_t state = seed;
    std::array<std::array<std::uint8_t, 4>, 12> palette {};
    for (auto& c : palette) {
        c = {static_cast<std::uint8_t>(between(state, 0, 255)), static_cast<std::uint8_t>(between(state, 0, 255)),
             static_cast<std::uint8_t>(between(state, 0, 255)), 255};
    }
    constexpr int scale = 3;
    // Ground tiles: the top 192 rows, 16 x 16 tiles of three shades each.
    for (int ty = 0; ty < 192 / (16 * scale); ++ty) {
        for (int tx = 0; tx < 1024 / (16 * scale); ++tx) {
            const std::size_t base = nextRandom(state) % (palette.size() - 2);
            std::uint64_t tile = nextRandom(state);
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    const std::size_t shade = (((x + y) % 5 == 0) ? 1U : 0U) + ((tile >> ((x * 7 + y * 3) % 61)) & 1U);
                    for (int sy = 0; sy < scale; ++sy) {
                        for (int sx = 0; sx < scale; ++sx) {
                            sheet.set((tx * 16 + x) * scale + sx, (ty * 16 + y) * scale + sy, palette[base + shade]);
                        }
                    }
                }
                tile = tile * 6364136223846793005ULL + 1442695040888963407ULL;
            }
        }
    }
    // Creatures below, one per 64 x 64 cell.
    for (int cy = 192; cy + 64 <= sheet.height(); cy += 64) {
        for (int cx = 0; cx + 64 <= sheet.width(); cx += 64) {
            std::array<int, 16 * 16> cells {}; // 0 empty, 1 outline, 2.. colours
            const auto grid = [&cells](int y) { return &cells[static_cast<std::size_t>(y) * 16U]; };
            const int body = between(state, 2, 11), detail = between(state, 2, 11);
            for (int y = 2; y < 14; ++y) {
                for (int x = 2; x < 8; ++x) {
                    const double keep = 0.75 - 0.04 * std::abs(7 - x) - 0.03 * std::abs(8 - y);
                    if (uniform(state) < keep) {
                        grid(y)[x] = grid(y)[15 - x] = uniform(state) < 0.2 ? detail : body;
                    }
                }
            }
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    const bool filled = grid(y)[x] >= 2;
                    const bool nextToFilled = (x > 0 && grid(y)[x - 1] >= 2) || (x < 15 && grid(y)[x + 1] >= 2) ||
                                              (y > 0 && grid(y - 1)[x] >= 2) || (y < 15 && grid(y + 1)[x] >= 2);
                    if (!filled && nextToFilled) {
                        grid(y)[x] = 1;
                    }
                }
            }
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    if (grid(y)[x] == 0) {
                        continue;
                    }
                    const std::array<std::uint8_t, 4> colour =
                        grid(y)[x] == 1 ? std::array<std::uint8_t, 4> {20, 16, 24, 255} : palette[static_cast<std::size_t>(grid(y)[x])];
                    for (int sy = 0; sy < scale; ++sy) {
                        for (int sx = 0; sx < scale; ++sx) {
                            sheet.set(cx + 8 + x * scale + sx, cy + 8 + y * scale + sy, colour);
                        }
                    }
                }
            }
        }
    }
    return sheet.take();
}

} // namespace

std::vector<DrawnSheet> paintDrawnArt() {
    std::vector<DrawnSheet> sheets;
    sheets.push_back(glyphSheet("small text", 1024, 512, 12, 16, 1.4, 0, 11));
    sheets.push_back(glyphSheet("outlined text", 1024, 1024, 40, 48, 4.5, 2, 12));
    sheets.push_back(shapeSheet(13));
    sheets.push_back(gradientSheet(14));
    sheets.push_back(spriteSheet(15));
    sheets.push_back(pixelArtSheet(16));
    return sheets;
}
