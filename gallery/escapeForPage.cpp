#include "gallery/escapeForPage.h"

#include <cstdint>
#include <optional>

namespace {

constexpr char hexDigits[] = "0123456789ABCDEF";
constexpr char32_t replacementCharacter = 0xFFFD;

void appendHexByte(std::string& text, const char* prefix, unsigned char byte) {
    text += prefix;
    text += hexDigits[byte >> 4U];
    text += hexDigits[byte & 0xFU];
}

// The length of the UTF-8 sequence at `at` and its code point, or nothing
// when the bytes there are not one (overlong forms, surrogates and code
// points above U+10FFFF are not).
std::optional<std::pair<std::size_t, char32_t>> utf8At(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80U) {
        return std::pair<std::size_t, char32_t> {1, lead};
    }
    std::size_t length = 0;
    char32_t point = 0;
    char32_t least = 0;
    if ((lead & 0xE0U) == 0xC0U) {
        length = 2;
        point = lead & 0x1FU;
        least = 0x80;
    } else if ((lead & 0xF0U) == 0xE0U) {
        length = 3;
        point = lead & 0x0FU;
        least = 0x800;
    } else if ((lead & 0xF8U) == 0xF0U) {
        length = 4;
        point = lead & 0x07U;
        least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() - at < length) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0U) != 0x80U) {
            return std::nullopt;
        }
        point = (point << 6U) | (next & 0x3FU);
    }
    if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
        return std::nullopt;
    }
    return std::pair<std::size_t, char32_t> {length, point};
}

void appendUtf8(std::string& text, char32_t point) {
    if (point < 0x80) {
        text += static_cast<char>(point);
    } else if (point < 0x800) {
        text += static_cast<char>(0xC0U | (point >> 6U));
        text += static_cast<char>(0x80U | (point & 0x3FU));
    } else if (point < 0x10000) {
        text += static_cast<char>(0xE0U | (point >> 12U));
        text += static_cast<char>(0x80U | ((point >> 6U) & 0x3FU));
        text += static_cast<char>(0x80U | (point & 0x3FU));
    } else {
        text += static_cast<char>(0xF0U | (point >> 18U));
        text += static_cast<char>(0x80U | ((point >> 12U) & 0x3FU));
        text += static_cast<char>(0x80U | ((point >> 6U) & 0x3FU));
        text += static_cast<char>(0x80U | (point & 0x3FU));
    }
}

// Calls `character` with each code point of `text`, U+FFFD for each byte
// that does not start a valid sequence.
template <typename Character>
void forEachCharacter(std::string_view text, Character&& character) {
    std::size_t at = 0;
    while (at < text.size()) {
        if (const auto sequence = utf8At(text, at)) {
            character(sequence->second);
            at += sequence->first;
        } else {
            character(replacementCharacter);
            ++at;
        }
    }
}

bool isControl(char32_t point) {
    return point < 0x20 || point == 0x7F || (point >= 0x80 && point < 0xA0);
}

std::string escapeHtml(std::string_view text, bool quotes) {
    std::string escaped;
    escaped.reserve(text.size());
    forEachCharacter(text, [&](char32_t point) {
        switch (point) {
        case '&': escaped += "&amp;"; return;
        case '<': escaped += "&lt;"; return;
        case '>': escaped += "&gt;"; return;
        case '"': escaped += quotes ? "&quot;" : "\""; return;
        case '\'': escaped += quotes ? "&#39;" : "'"; return;
        case '\t':
        case '\n': escaped += static_cast<char>(point); return;
        default: appendUtf8(escaped, isControl(point) ? replacementCharacter : point);
        }
    });
    return escaped;
}

} // namespace

std::string displayName(std::string_view bytes) {
    std::string shown;
    shown.reserve(bytes.size());
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto sequence = utf8At(bytes, at);
        if (sequence && !isControl(sequence->second)) {
            shown.append(bytes.substr(at, sequence->first));
            at += sequence->first;
            continue;
        }
        const std::size_t length = sequence ? sequence->first : 1U;
        for (std::size_t i = 0; i < length; ++i) {
            appendHexByte(shown, "\\x", static_cast<unsigned char>(bytes[at + i]));
        }
        at += length;
    }
    return shown;
}

std::string escapeHtmlText(std::string_view text) {
    return escapeHtml(text, false);
}

std::string escapeHtmlAttribute(std::string_view text) {
    return escapeHtml(text, true);
}

std::string percentEncodeComponent(std::string_view bytes) {
    std::string encoded;
    encoded.reserve(bytes.size());
    for (const char c : bytes) {
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                                c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            encoded += c;
        } else {
            appendHexByte(encoded, "%", static_cast<unsigned char>(c));
        }
    }
    return encoded;
}

std::string escapeJsonInScript(std::string_view text) {
    std::string escaped = "\"";
    escaped.reserve(text.size() + 2U);
    forEachCharacter(text, [&](char32_t point) {
        switch (point) {
        case '"': escaped += "\\\""; return;
        case '\\': escaped += "\\\\"; return;
        case '\n': escaped += "\\n"; return;
        case '\r': escaped += "\\r"; return;
        case '\t': escaped += "\\t"; return;
        default: break;
        }
        if (point < 0x20 || point == '<' || point == '>' || point == '&' || point == 0x7F || point == 0x2028 ||
            point == 0x2029) {
            static constexpr char digits[] = "0123456789abcdef";
            escaped += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4) {
                escaped += digits[(point >> static_cast<unsigned>(shift)) & 0xFU];
            }
            return;
        }
        appendUtf8(escaped, point);
    });
    escaped += '"';
    return escaped;
}
