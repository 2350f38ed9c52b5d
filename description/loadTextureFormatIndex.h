#pragma once

#include <optional>
#include <string>

#include "platform/Console.h"
#include "description/TextureFormatIndex.h"

// Asks for the texture-format index file ("Please Choose TextureFormat Index
// Information File", then the file choice with `givenPath` as the answer when
// the command line gave one), echoes "InPut : " and the path, and returns the
// file's table. Throws RunAborted (no pause) with "TextureFormat Index
// Information File : Not Exist" when the file cannot be read and with
// "TextureFormat Index Information File : Format Error" when it is not accepted.
// `chosenPath`, when given, receives the path of the file the table was read
// from, so that the next package of the run can take the same file.
TextureFormatIndex loadTextureFormatIndex(Console& console, const std::optional<std::string>& givenPath,
                                          std::string* chosenPath = nullptr);

// The reading half alone, for a path already chosen: the table, or the same
// RunAborted, printing nothing.
TextureFormatIndex readTextureFormatIndexFile(const std::string& path);
