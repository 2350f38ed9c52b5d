#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/utf8.h"

namespace {

struct Utf8Case {
    const char* what;
    std::string bytes;
    std::optional<char32_t> point; // nothing: not a well-formed sequence
    std::size_t length = 0;
};

const std::vector<Utf8Case> utf8Cases = {
    {"ASCII", "A", U'A', 1},
    {"smallest two-byte", "\xC2\x80", 0x80, 2},
    {"largest two-byte", "\xDF\xBF", 0x7FF, 2},
    {"smallest three-byte", "\xE0\xA0\x80", 0x800, 3},
    {"last before the surrogates", "\xED\x9F\xBF", 0xD7FF, 3},
    {"first after the surrogates", "\xEE\x80\x80", 0xE000, 3},
    {"smallest four-byte", "\xF0\x90\x80\x80", 0x10000, 4},
    {"largest code point", "\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
    {"only the first sequence is read", "\xC3\xA9\xC3\xA9", 0xE9, 2},
    {"stray continuation byte", "\x80", std::nullopt},
    {"overlong two-byte", "\xC0\x80", std::nullopt},
    {"overlong three-byte", "\xE0\x9F\xBF", std::nullopt},
    {"overlong four-byte", "\xF0\x8F\xBF\xBF", std::nullopt},
    {"surrogate", "\xED\xA0\x80", std::nullopt},
    {"above U+10FFFF", "\xF4\x90\x80\x80", std::nullopt},
    {"lead byte F8", "\xF8\x88\x80\x80\x80", std::nullopt},
    {"cut short at the end", "\xE2\x82", std::nullopt},
    {"continuation missing", "\xE2\x41\x41", std::nullopt},
};

TEST(Utf8, ReadsOnlyWellFormedShortestSequences) {
    for (const Utf8Case& c : utf8Cases) {
        SCOPED_TRACE(c.what);
        // Read at an offset too, behind a byte that is not part of it.
        for (const std::string& text : {c.bytes, "x" + c.bytes}) {
            const std::size_t at = text.size() - c.bytes.size();
            const std::optional<Utf8Character> character = utf8At(text, at);
            ASSERT_EQ(character.has_value(), c.point.has_value());
            if (character) {
                EXPECT_EQ(character->point, *c.point);
                EXPECT_EQ(character->length, c.length);
            }
        }
    }
}

TEST(Utf8, WritesWhatItReadsBack) {
    for (const char32_t point : {char32_t {0}, char32_t {0x7F}, char32_t {0x80}, char32_t {0x7FF}, char32_t {0x800},
                                 char32_t {0xD7FF}, char32_t {0xE000}, char32_t {0xFFFD}, char32_t {0xFFFF},
                                 char32_t {0x10000}, char32_t {0x10FFFF}}) {
        SCOPED_TRACE(static_cast<unsigned long>(point));
        std::string text;
        appendUtf8(text, point);
        const std::optional<Utf8Character> character = utf8At(text, 0);
        ASSERT_TRUE(character.has_value());
        EXPECT_EQ(character->point, point);
        EXPECT_EQ(character->length, text.size());
    }
}

} // namespace
