#pragma once

#include <string>
#include <string_view>

// A package name in double quotes for an error reason. Control bytes are shown
// as \xNN so that a damaged name cannot break the reason's console line.
inline std::string quotedName(std::string_view name) {
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    std::string text = "\"";
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20U || byte == 0x7FU) {
            text += "\\x";
            text += hexDigits[byte >> 4U];
            text += hexDigits[byte & 0xFU];
        } else {
            text += c;
        }
    }
    return text + "\"";
}
