#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "atlas/PixelRows.h"

// Writes `rows` to the open binary stream `file` as an 8-bit RGBA,
// non-interlaced PNG holding only the IHDR, IDAT and IEND chunks, at libpng's
// default compression and filters. Returns nothing on success, otherwise the
// reason (libpng's error message, e.g. for a zero side or a failed write);
// after a failure the stream holds an unusable partial file. The stream stays
// open either way.
std::optional<std::string> writePngFile(const PixelRows& rows, std::uint32_t width, std::uint32_t height,
                                        std::FILE* file);

// The same PNG bytes into `bytes` (emptied first) instead of a stream, for
// encoding on a thread that must not touch files.
std::optional<std::string> writePngFile(const PixelRows& rows, std::uint32_t width, std::uint32_t height,
                                        std::vector<std::uint8_t>& bytes);
