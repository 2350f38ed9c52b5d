#pragma once

#include <string>
#include <string_view>

// A name taken from a package, made safe for one console line: control bytes
// (below 0x20, and 0x7F) are shown as \xNN, every other byte as it is.
// `kept`, when not zero, is one control byte shown as it is (a tab, which
// does no harm on a terminal).
std::string printableName(std::string_view name, char kept = '\0');
