#pragma once

#include <optional>
#include <string_view>

#include "description/FormatEntry.h"

// Reads a texture-format index file held in memory: a JSON object whose
// "TextureFormat" array holds objects with an "Index" (format code) and a
// "TextureFormat" (format name). Comments and one trailing comma per array or
// object are allowed. Gives one entry per array element, in file order; an
// "Index" that is not an unsigned 32-bit integer gives 0xFFFFFFFF and a
// "TextureFormat" that is not a string gives an absent name.
// Nothing when the text is not accepted: shorter than four bytes, a byte-order
// mark, a syntax error, content after the root value, a root that is not an
// object, a "TextureFormat" that is missing or not an array, or an element
// that is not an object.
std::optional<TextureFormatIndex> parseTextureFormatIndex(std::string_view bytes);

// True when the bytes start with the UTF-8 byte-order mark some editors put
// at the start of a text file (which parseTextureFormatIndex refuses).
bool startsWithByteOrderMark(std::string_view bytes);
