#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "texture/PixelRows.h"

// The reference the benchmarks measure the tool's encoder against: libpng at
// its default compression and filters, writing an 8-bit RGBA, non-interlaced
// PNG. Returns nothing on success, otherwise libpng's reason.
std::optional<std::string> writePngWithLibpng(const PixelRows& rows, std::FILE* file);

// The same PNG encoded into memory: its bytes replace those of `bytes`.
std::optional<std::string> encodePngWithLibpng(const PixelRows& rows, std::vector<std::uint8_t>& bytes);
