#pragma once

#include <string>
#include <string_view>

// A name taken from a package, made safe for one console line: what a
// terminal would act on is shown as \xNN, namely the C0 controls (below
// 0x20), 0x7F, the C1 controls U+0080 to U+009F written in UTF-8 (0xC2 0x80
// to 0xC2 0x9F) and the bytes 0x80 to 0x9F outside a UTF-8 sequence. Every
// other byte, UTF-8 text included, is shown as it is.
// `kept`, when not zero, is one control byte shown as it is (a tab, which
// does no harm on a terminal).
std::string printableName(std::string_view name, char kept = '\0');
