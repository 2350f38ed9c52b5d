#pragma once

#include <string_view>

// Parses raw file contents as a texture-format index file and looks a few
// format codes up in the result. Rejection is a normal outcome.
void exerciseTextureFormatIndex(std::string_view contents);
