#include "tools/samplepackage/SamplePictures.h"

#include <algorithm>
#include <cmath>

namespace {

std::uint8_t toByte(double value) { return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 255.0))); }

Picture blank(std::uint32_t width, std::uint32_t height) {
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.rgba.assign(std::size_t{width} * height * 4U, 0);
    return picture;
}

void put(Picture& picture, std::uint32_t x, std::uint32_t y, std::uint8_t r, std::uint8_t g, std::uint8_t b,
         std::uint8_t a) {
    std::uint8_t* p = picture.rgba.data() + (std::size_t{y} * picture.width + x) * 4U;
    p[0] = r;
    p[1] = g;
    p[2] = b;
    p[3] = a;
}

} // namespace

Picture drawGradient(std::uint32_t width, std::uint32_t height) {
    Picture picture = blank(width, height);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / std::max(1U, width - 1U);
            const double v = static_cast<double>(y) / std::max(1U, height - 1U);
            const double edge = std::min({u, v, 1.0 - u, 1.0 - v});
            put(picture, x, y, toByte(255.0 * u), toByte(255.0 * v), toByte(255.0 * (1.0 - u * v)),
                toByte(255.0 * std::min(1.0, edge * 12.0)));
        }
    }
    return picture;
}

Picture drawCheckerboard(std::uint32_t width, std::uint32_t height, std::uint32_t cell) {
    Picture picture = blank(width, height);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const bool dark = ((x / cell) + (y / cell)) % 2U == 0U;
            if (dark) {
                put(picture, x, y, 40, 40, 60, 255);
            } else {
                put(picture, x, y, 230, 200, 60, 255);
            }
        }
    }
    return picture;
}

Picture drawLandscape(std::uint32_t width, std::uint32_t height) {
    Picture picture = blank(width, height);
    const double w = width;
    const double h = height;
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const double fx = x / w;
            const double fy = y / h;
            // Sky: dark blue at the top to orange at the horizon.
            double r = 20 + 200 * fy;
            double g = 30 + 90 * fy;
            double b = 90 - 40 * fy;
            const double sunX = 0.72;
            const double sunY = 0.3;
            if ((fx - sunX) * (fx - sunX) + (fy - sunY) * (fy - sunY) < 0.012) {
                r = 255;
                g = 220;
                b = 80;
            }
            const double hill = 0.62 + 0.08 * std::sin(fx * 6.2);
            if (fy > hill) {
                r = 40;
                g = 120 + 60 * (fy - hill);
                b = 50;
            }
            // A house: a square body and a triangular roof.
            if (fx > 0.2 && fx < 0.42 && fy > 0.5 && fy < 0.75) {
                r = 200;
                g = 60;
                b = 50;
                if (fx > 0.28 && fx < 0.34 && fy > 0.6) {
                    r = 90;
                    g = 50;
                    b = 30;
                }
            }
            if (fy > 0.36 && fy <= 0.5 && std::abs(fx - 0.31) < (fy - 0.36) * 0.9) {
                r = 110;
                g = 40;
                b = 40;
            }
            put(picture, x, y, toByte(r), toByte(g), toByte(b), 255);
        }
    }
    return picture;
}

Picture drawRings(std::uint32_t width, std::uint32_t height) {
    Picture picture = blank(width, height);
    const double cx = (width - 1) / 2.0;
    const double cy = (height - 1) / 2.0;
    const double radius = std::min(width, height) / 2.0;
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const double d = std::hypot(x - cx, y - cy) / radius;
            const bool band = static_cast<int>(d * 8.0) % 2 == 0;
            const double alpha = d >= 1.0 ? 0.0 : 255.0 * (1.0 - d * d);
            if (band) {
                put(picture, x, y, 30, 160, 230, toByte(alpha));
            } else {
                put(picture, x, y, 240, 90, 140, toByte(alpha));
            }
        }
    }
    return picture;
}
