#pragma once

#include <array>

#include "core/PathList.h"
#include "core/StringBuffer.h"

// "Information.json": the description's file name, relative to the output folder.
const PathList& descriptionFilePath();

// The texture format names, in this order: "UnKnown", "RGB24", "RGB24_ALPHA",
// "RGBA32", "BGR24", "BGR24_ALPHA", "BGRA32", "RGB_ETC1", "RGB_ETC1_ALPHA",
// "RGBA_PVRTC4", "RGBA24_ALPHA_UNKNOWN", "RGB_ETC1_ALPHA_UNKNOWN".
enum class FormatName {
    UnKnown,
    RGB24,
    RGB24_ALPHA,
    RGBA32,
    BGR24,
    BGR24_ALPHA,
    BGRA32,
    RGB_ETC1,
    RGB_ETC1_ALPHA,
    RGBA_PVRTC4,
    RGBA24_ALPHA_UNKNOWN,
    RGB_ETC1_ALPHA_UNKNOWN,
};
inline constexpr std::size_t formatNameCount = 12;
const std::array<StringBuffer, formatNameCount>& formatNames();
