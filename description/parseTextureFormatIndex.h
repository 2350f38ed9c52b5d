#pragma once

#include <optional>
#include <string_view>

#include "description/TextureFormatIndex.h"

// Reads a texture-format index file held in memory: a JSON object whose
// "TextureFormat" array holds objects with an "Index" (format code) and a
// "TextureFormat" (format name). Comments and one trailing comma per array or
// object are allowed. Every array element is read as an entry, in file order
// (the first "Index" and "TextureFormat" member of each count); an "Index"
// that is not an unsigned 32-bit integer gives 0xFFFFFFFF and a
// "TextureFormat" that is not a string gives an absent name. The table keeps
// the first entry of each code (TextureFormatIndex). The file is read as it
// is parsed, so memory follows the codes it lists, not its length.
// Nothing when the text is not accepted: shorter than four bytes, a byte-order
// mark, a syntax error, content after the root value, a root that is not an
// object, a "TextureFormat" that is missing or not an array, or an element
// that is not an object.
std::optional<TextureFormatIndex> parseTextureFormatIndex(std::string_view bytes);

// True when the bytes start with the UTF-8 byte-order mark some editors put
// at the start of a text file (which parseTextureFormatIndex refuses).
bool startsWithByteOrderMark(std::string_view bytes);
