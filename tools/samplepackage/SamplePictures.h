#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Pictures drawn by the sample program itself, as RGBA bytes, top row first.
struct Picture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rgba;
};

// A colour wheel-like gradient with a soft transparent edge.
Picture drawGradient(std::uint32_t width, std::uint32_t height);
// A checkerboard of two colours with squares of `cell` pixels.
Picture drawCheckerboard(std::uint32_t width, std::uint32_t height, std::uint32_t cell);
// A dark sky with a sun, a hill and a house: shapes with sharp edges.
Picture drawLandscape(std::uint32_t width, std::uint32_t height);
// Concentric rings whose alpha fades outwards.
Picture drawRings(std::uint32_t width, std::uint32_t height);
