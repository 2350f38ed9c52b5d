#pragma once

#include <string_view>

// The text of app/usage.txt, built in by CMake: what -h/--help prints. The
// man page is made from the same file.
std::string_view usageFile();
