#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// One character decoded from UTF-8: its code point and the bytes it took.
struct Utf8Character {
    char32_t point = 0;
    std::size_t length = 0;
};

// The well-formed UTF-8 sequence that starts at `at` (< text.size()), or
// nothing when the bytes there are not one: a stray continuation byte, a cut
// sequence, an overlong form, a surrogate or a code point above U+10FFFF.
std::optional<Utf8Character> utf8At(std::string_view text, std::size_t at);

// Appends the UTF-8 form of a code point that is not a surrogate and at most
// U+10FFFF.
void appendUtf8(std::string& text, char32_t point);
