#include <gtest/gtest.h>

#include <string>

#include "gallery/escapeForPage.h"

namespace {

using namespace std::string_literals;

// Each hostile name through every escaping function, with what each must give.
struct EscapeCase {
    const char* name;
    std::string input;
    std::string shown;     // displayName
    std::string text;      // escapeHtmlText(input)
    std::string attribute; // escapeHtmlAttribute(input)
    std::string url;       // percentEncodeComponent(input)
    std::string json;      // escapeJsonInScript(input)
};

class Escaping : public testing::TestWithParam<EscapeCase> {};

TEST_P(Escaping, GivesTextSafeInItsContextOnly) {
    const EscapeCase& row = GetParam();
    EXPECT_EQ(displayName(row.input), row.shown);
    EXPECT_EQ(escapeHtmlText(row.input), row.text);
    EXPECT_EQ(escapeHtmlAttribute(row.input), row.attribute);
    EXPECT_EQ(percentEncodeComponent(row.input), row.url);
    EXPECT_EQ(escapeJsonInScript(row.input), row.json);
}

INSTANTIATE_TEST_SUITE_P(
    HostileNames, Escaping,
    testing::Values(
        EscapeCase {"Plain", "images/ui-a_1.~x", "images/ui-a_1.~x", "images/ui-a_1.~x", "images/ui-a_1.~x",
                    "images%2Fui-a_1.~x", "\"images/ui-a_1.~x\""},
        EscapeCase {"ImageTag", "<img src=x onerror=alert(1)>", "<img src=x onerror=alert(1)>",
                    "&lt;img src=x onerror=alert(1)&gt;", "&lt;img src=x onerror=alert(1)&gt;",
                    "%3Cimg%20src%3Dx%20onerror%3Dalert%281%29%3E",
                    "\"\\u003cimg src=x onerror=alert(1)\\u003e\""},
        EscapeCase {"ScriptEnd", "</script><script>alert(1)</script>", "</script><script>alert(1)</script>",
                    "&lt;/script&gt;&lt;script&gt;alert(1)&lt;/script&gt;",
                    "&lt;/script&gt;&lt;script&gt;alert(1)&lt;/script&gt;",
                    "%3C%2Fscript%3E%3Cscript%3Ealert%281%29%3C%2Fscript%3E",
                    "\"\\u003c/script\\u003e\\u003cscript\\u003ealert(1)\\u003c/script\\u003e\""},
        EscapeCase {"Quotes", "a\"b'c", "a\"b'c", "a\"b'c", "a&quot;b&#39;c", "a%22b%27c", "\"a\\\"b'c\""},
        EscapeCase {"AmpersandAndComment", "&amp;<!--x", "&amp;<!--x", "&amp;amp;&lt;!--x", "&amp;amp;&lt;!--x",
                    "%26amp%3B%3C%21--x", "\"\\u0026amp;\\u003c!--x\""},
        EscapeCase {"UrlSyntax", "100% #1?q=a b\\c", "100% #1?q=a b\\c", "100% #1?q=a b\\c",
                    "100% #1?q=a b\\c", "100%25%20%231%3Fq%3Da%20b%5Cc", "\"100% #1?q=a b\\\\c\""},
        EscapeCase {"ControlBytes", "a\x01\tb\x7F\n"s, "a\\x01\\x09b\\x7F\\x0A", "a\xEF\xBF\xBD\tb\xEF\xBF\xBD\n",
                    "a\xEF\xBF\xBD\tb\xEF\xBF\xBD\n", "a%01%09b%7F%0A", "\"a\\u0001\\tb\\u007f\\n\""},
        EscapeCase {"NulByte", "a\0b"s, "a\\x00b", "a\xEF\xBF\xBD" "b", "a\xEF\xBF\xBD" "b", "a%00b",
                    "\"a\\u0000b\""},
        EscapeCase {"InvalidUtf8", "x\xFF\xC3(\xE2\x82", "x\\xFF\\xC3(\\xE2\\x82",
                    "x\xEF\xBF\xBD\xEF\xBF\xBD(\xEF\xBF\xBD\xEF\xBF\xBD",
                    "x\xEF\xBF\xBD\xEF\xBF\xBD(\xEF\xBF\xBD\xEF\xBF\xBD", "x%FF%C3%28%E2%82",
                    "\"x\xEF\xBF\xBD\xEF\xBF\xBD(\xEF\xBF\xBD\xEF\xBF\xBD\""},
        EscapeCase {"OverlongSlashAndSurrogate", "\xC0\xAF\xED\xA0\x80", "\\xC0\\xAF\\xED\\xA0\\x80",
                    "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD",
                    "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", "%C0%AF%ED%A0%80",
                    "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
        EscapeCase {"LineAndParagraphSeparators", "a\xE2\x80\xA8" "b\xE2\x80\xA9", "a\xE2\x80\xA8" "b\xE2\x80\xA9",
                    "a\xE2\x80\xA8" "b\xE2\x80\xA9", "a\xE2\x80\xA8" "b\xE2\x80\xA9", "a%E2%80%A8b%E2%80%A9",
                    "\"a\\u2028b\\u2029\""},
        EscapeCase {"ValidNonAscii", "t\xC3\xA9l\xC3\xA9/\xE5\x9B\xBE\xF0\x9F\x98\x80",
                    "t\xC3\xA9l\xC3\xA9/\xE5\x9B\xBE\xF0\x9F\x98\x80", "t\xC3\xA9l\xC3\xA9/\xE5\x9B\xBE\xF0\x9F\x98\x80",
                    "t\xC3\xA9l\xC3\xA9/\xE5\x9B\xBE\xF0\x9F\x98\x80", "t%C3%A9l%C3%A9%2F%E5%9B%BE%F0%9F%98%80",
                    "\"t\xC3\xA9l\xC3\xA9/\xE5\x9B\xBE\xF0\x9F\x98\x80\""},
        EscapeCase {"C1Control", "a\xC2\x85z", "a\\xC2\\x85z", "a\xEF\xBF\xBDz", "a\xEF\xBF\xBDz", "a%C2%85z",
                    "\"a\xC2\x85z\""},
        EscapeCase {"Empty", "", "", "", "", "", "\"\""}),
    [](const testing::TestParamInfo<EscapeCase>& row) { return row.param.name; });

// Every byte value alone: HTML text never holds a raw '<', '>' or '&' that is
// not a reference, JSON never a raw '<', '>', '&' or control byte, a URL
// component only unreserved characters and %XX.
TEST(Escaping, NoByteValueSlipsThroughAnyContext) {
    for (int value = 0; value < 256; ++value) {
        const std::string input = "x" + std::string(1, static_cast<char>(value)) + "y";
        const std::string text = escapeHtmlAttribute(input);
        EXPECT_EQ(text.find_first_of("<>\"'"), std::string::npos) << value;
        const std::string json = escapeJsonInScript(input);
        for (std::size_t i = 1; i + 1 < json.size(); ++i) {
            const auto c = static_cast<unsigned char>(json[i]);
            EXPECT_TRUE(c >= 0x20 && c != '<' && c != '>' && c != '&' && c != 0x7F) << value;
        }
        const std::string url = percentEncodeComponent(input);
        EXPECT_EQ(url.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~%"),
                  std::string::npos)
            << value;
        const std::string shown = displayName(input);
        for (const char c : shown) {
            EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7F) << value;
        }
    }
}

} // namespace
