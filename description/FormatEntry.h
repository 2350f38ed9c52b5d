#pragma once

#include <cstdint>

#include "core/StringBuffer.h"

// One element of the texture-format index file: a format code and the name
// of the pixel format it stands for.
struct FormatEntry {
    StringBuffer name;                 // absent when the element has no "TextureFormat" string
    std::uint32_t index = 0xFFFFFFFFU; // 0xFFFFFFFF when "Index" is not an unsigned 32-bit integer
};
