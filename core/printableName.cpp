#include "core/printableName.h"

#include <cstddef>

namespace {

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0
// when none starts there.
std::size_t utf8SequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    if (lead >= 0xC2U && lead <= 0xDFU) {
        length = 2;
    } else if (lead >= 0xE0U && lead <= 0xEFU) {
        length = 3;
    } else if (lead >= 0xF0U && lead <= 0xF4U) {
        length = 4;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0U) != 0x80U) {
            return 0;
        }
    }
    return length;
}

void appendHex(std::string& text, unsigned char byte) {
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    text += "\\x";
    text += hexDigits[byte >> 4U];
    text += hexDigits[byte & 0xFU];
}

} // namespace

std::string printableName(std::string_view name, char kept) {
    std::string text;
    text.reserve(name.size());
    std::size_t i = 0;
    while (i < name.size()) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte >= 0x80U) {
            const std::size_t length = utf8SequenceLength(name.substr(i));
            // U+0080 to U+009F, the C1 controls, are 0xC2 0x80 to 0xC2 0x9F.
            const bool c1InUtf8 = length == 2 && byte == 0xC2U && static_cast<unsigned char>(name[i + 1]) <= 0x9FU;
            if (c1InUtf8) {
                appendHex(text, byte);
                appendHex(text, static_cast<unsigned char>(name[i + 1]));
            } else if (length != 0) {
                text.append(name.substr(i, length));
            } else if (byte <= 0x9FU) {
                // A stray byte that a terminal in an 8-bit code page takes as a C1 control.
                appendHex(text, byte);
            } else {
                text += static_cast<char>(byte);
            }
            i += length != 0 ? length : 1U;
            continue;
        }
        if ((byte < 0x20U || byte == 0x7FU) && (kept == '\0' || name[i] != kept)) {
            appendHex(text, byte);
        } else {
            text += name[i];
        }
        ++i;
    }
    return text;
}
