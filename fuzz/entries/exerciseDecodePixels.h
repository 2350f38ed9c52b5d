#pragma once

#include "core/Bytes.h"

// Decodes texture bytes taken from the input. Layout of the input:
//   byte 0      format selector: below 12 picks one of the twelve format
//               names; otherwise the name is the next (selector % 16) bytes;
//   2 + 2 bytes record width and height (little-endian), each taken modulo
//               `sideLimit` + 1 so a run stays small;
//   the rest    the texture file's bytes.
// Takes the decode size the driver would, allocates the rows and decodes.
void exerciseDecodePixels(ByteSpan input);

inline constexpr unsigned sideLimit = 300;
