#include "core/printableName.h"

std::string printableName(std::string_view name, char kept) {
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20U || byte == 0x7FU) && (kept == '\0' || c != kept)) {
            text += "\\x";
            text += hexDigits[byte >> 4U];
            text += hexDigits[byte & 0xFU];
        } else {
            text += c;
        }
    }
    return text;
}
