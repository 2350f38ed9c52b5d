#include "platform/windowsName.h"

#include <cstdint>
#include <optional>

#include "core/printableName.h"
#include "core/utf8.h"

namespace {

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool equalsUpper(std::string_view text, std::string_view upperCase) {
    if (text.size() != upperCase.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (upper(text[i]) != upperCase[i]) {
            return false;
        }
    }
    return true;
}

// True for the device names, compared on the part before the first dot with
// its trailing blanks dropped, as Windows compares them.
bool isDeviceName(std::string_view component) {
    std::string_view base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') {
        base.remove_suffix(1);
    }
    for (const std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (equalsUpper(base, device)) {
            return true;
        }
    }
    if (base.size() < 4 || !(equalsUpper(base.substr(0, 3), "COM") || equalsUpper(base.substr(0, 3), "LPT"))) {
        return false;
    }
    const std::string_view number = base.substr(3);
    if (number.size() == 1) {
        return number[0] >= '1' && number[0] <= '9';
    }
    // Superscript one, two and three in UTF-8.
    return number == "\xC2\xB9" || number == "\xC2\xB2" || number == "\xC2\xB3";
}

// The code point of the UTF-8 sequence at `at`, advancing `at`; nothing
// when the bytes there are not a valid, shortest sequence.
std::optional<char32_t> decodeUtf8(std::string_view bytes, std::size_t& at) {
    const std::optional<Utf8Character> character = utf8At(bytes, at);
    if (!character) {
        return std::nullopt;
    }
    at += character->length;
    return character->point;
}

void appendUtf16(std::u16string& out, char32_t value) {
    if (value < 0x10000) {
        out.push_back(static_cast<char16_t>(value));
        return;
    }
    value -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800U + (value >> 10U)));
    out.push_back(static_cast<char16_t>(0xDC00U + (value & 0x3FFU)));
}

} // namespace

const char* windowsNameFault(std::string_view component) {
    if (component.empty() || component == ".") {
        return nullptr;
    }
    if (component == "..") {
        return "climbs out of the output folder";
    }
    if (component.find(':') != std::string_view::npos) {
        return "names a drive or an alternate data stream on Windows";
    }
    if (component.back() == '.' || component.back() == ' ') {
        return "ends in a dot or a space, which Windows drops";
    }
    if (isDeviceName(component)) {
        return "is a device name on Windows";
    }
    return nullptr;
}

std::optional<std::string> disallowedWindowsCharacter(std::string_view path) {
    if (path.starts_with("\\\\?\\") || path.starts_with("\\\\.\\")) {
        path.remove_prefix(4);
    }
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (drive) {
        path.remove_prefix(2);
    }
    // All of them are ASCII, so no byte of a longer UTF-8 sequence is one.
    for (const char c : path) {
        if (static_cast<unsigned char>(c) < 0x20U || std::string_view("<>:\"|?*").find(c) != std::string_view::npos) {
            return std::string(disallowedCharacterReasonStart) + printableName(std::string_view(&c, 1)) +
                   "', a character Windows does not allow in file names";
        }
    }
    return std::nullopt;
}

std::u16string windowsNameOf(std::string_view bytes) {
    std::u16string name;
    name.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        const std::optional<char32_t> value = decodeUtf8(bytes, at);
        if (!value) {
            name.clear();
            for (const char c : bytes) {
                name.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
            }
            return name;
        }
        appendUtf16(name, *value);
    }
    return name;
}

std::string utf8Of(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t value = text[i];
        if (value >= 0xD800 && value <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            value = 0x10000 + ((value - 0xD800) << 10U) + (text[i + 1] - 0xDC00U);
            ++i;
        } else if (value >= 0xD800 && value <= 0xDFFF) {
            value = 0xFFFD;
        }
        appendUtf8(out, value);
    }
    return out;
}
