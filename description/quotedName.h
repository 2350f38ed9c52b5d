#pragma once

#include <string>
#include <string_view>

#include "core/printableName.h"

// A package name in double quotes for an error reason. Control bytes are shown
// as \xNN so that a damaged name cannot break the reason's console line.
inline std::string quotedName(std::string_view name) {
    std::string quoted(1, '"');
    quoted += printableName(name);
    quoted += '"';
    return quoted;
}
