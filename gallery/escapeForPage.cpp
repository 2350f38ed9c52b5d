#include "gallery/escapeForPage.h"

#include <cstdint>
#include <optional>

#include "core/utf8.h"

namespace {

constexpr char hexDigits[] = "0123456789ABCDEF";
constexpr char32_t replacementCharacter = 0xFFFD;

void appendHexByte(std::string& text, const char* prefix, unsigned char byte) {
    text += prefix;
    text += hexDigits[byte >> 4U];
    text += hexDigits[byte & 0xFU];
}

// Calls `character` with each code point of `text`, U+FFFD for each byte
// that does not start a valid sequence.
template <typename Character>
void forEachCharacter(std::string_view text, Character&& character) {
    std::size_t at = 0;
    while (at < text.size()) {
        if (const auto sequence = utf8At(text, at)) {
            character(sequence->point);
            at += sequence->length;
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
        if (sequence && !isControl(sequence->point)) {
            shown.append(bytes.substr(at, sequence->length));
            at += sequence->length;
            continue;
        }
        const std::size_t length = sequence ? sequence->length : 1U;
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
