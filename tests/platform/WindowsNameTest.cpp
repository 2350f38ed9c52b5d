#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/windowsName.h"

namespace {

struct NameCase {
    const char* name;
    std::string component;
    bool refused;
};

class WindowsNameFault : public testing::TestWithParam<NameCase> {};

TEST_P(WindowsNameFault, RefusesAsTheRowSays) {
    const char* fault = windowsNameFault(GetParam().component);
    EXPECT_EQ(fault != nullptr, GetParam().refused)
        << "component '" << GetParam().component << "': " << (fault != nullptr ? fault : "accepted");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WindowsNameFault,
    testing::Values(
        NameCase {"PlainName", "atlas_0.png", false},
        NameCase {"NoExtension", "README", false},
        NameCase {"LeadingDot", ".hidden", false},
        NameCase {"InnerDotsAndSpaces", "a. b .c", false},
        NameCase {"EmptyIsPassedOver", "", false},
        NameCase {"DotIsPassedOver", ".", false},
        NameCase {"ParentFolder", "..", true},
        NameCase {"ThreeDotsBecomeNothing", "...", true},
        NameCase {"DotSpaceDot", ". .", true},
        NameCase {"ParentWithTrailingSpace", ".. ", true},
        NameCase {"TrailingDot", "name.", true},
        NameCase {"TrailingSpace", "name ", true},
        NameCase {"DriveLetter", "C:", true},
        NameCase {"DriveRelative", "C:x", true},
        NameCase {"AlternateStream", "name:stream", true},
        NameCase {"StreamType", "name::$DATA", true},
        NameCase {"ControlByteIsLeftToTheSystem", std::string("a\x01" "b"), false},
        NameCase {"WildcardIsLeftToTheSystem", "a*.png", false},
        NameCase {"Con", "CON", true},
        NameCase {"ConLowerCase", "con", true},
        NameCase {"ConWithExtension", "Con.png", true},
        NameCase {"ConWithTwoExtensions", "con.tar.gz", true},
        NameCase {"ConBlanksBeforeExtension", "CON  .txt", true},
        NameCase {"Prn", "prn.txt", true},
        NameCase {"Aux", "AUX", true},
        NameCase {"Nul", "nul.json", true},
        NameCase {"ConsoleInput", "CONIN$", true},
        NameCase {"ConsoleOutput", "conout$.x", true},
        NameCase {"Com1", "COM1", true},
        NameCase {"Com9Extension", "com9.png", true},
        NameCase {"Lpt5", "Lpt5", true},
        NameCase {"ComSuperscriptOne", "COM\xC2\xB9", true},
        NameCase {"LptSuperscriptThree", "lpt\xC2\xB3.txt", true},
        NameCase {"Com0IsAName", "COM0", false},
        NameCase {"Com10IsAName", "COM10", false},
        NameCase {"ComAloneIsAName", "COM", false},
        NameCase {"DeviceAsPrefixIsAName", "CONSOLE", false},
        NameCase {"DeviceAfterDotIsAName", "x.con", false},
        NameCase {"DeviceInsideIsAName", "nul_1.png", false},
        NameCase {"Utf8Name", "\xE5\x9B\xBE.png", false},
        NameCase {"Latin1Byte", "\xE9t\xE9", false}),
    [](const testing::TestParamInfo<NameCase>& row) { return std::string(row.param.name); });

struct ConversionCase {
    const char* name;
    std::string bytes;
    std::u16string windowsName;
};

class WindowsNameOf : public testing::TestWithParam<ConversionCase> {};

TEST_P(WindowsNameOf, ConvertsAsTheRowSays) {
    EXPECT_EQ(windowsNameOf(GetParam().bytes), GetParam().windowsName);
}

TEST_P(WindowsNameOf, Utf8OfGivesValidUtf8Back) {
    // Valid UTF-8 goes there and back unchanged; other bytes come back as
    // the UTF-8 of the Latin-1 characters they were taken as.
    EXPECT_EQ(windowsNameOf(utf8Of(GetParam().windowsName)), GetParam().windowsName);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WindowsNameOf,
    testing::Values(
        ConversionCase {"Ascii", "a/b.png", u"a/b.png"},
        ConversionCase {"TwoByteSequence", "caf\xC3\xA9", u"caf\u00E9"},
        ConversionCase {"ThreeByteSequence", "\xE5\x9B\xBE", u"\u56FE"},
        ConversionCase {"FourByteSequenceIsAPair", "\xF0\x9F\x98\x80", u"\U0001F600"},
        ConversionCase {"LoneHighByteIsLatin1", "caf\xE9", u"caf\u00E9"},
        ConversionCase {"OneBadByteMakesAllLatin1", "\xC3\xA9\xFF", u"\u00C3\u00A9\u00FF"},
        ConversionCase {"TruncatedSequence", "a\xE5\x9B", u"a\u00E5\u009B"},
        ConversionCase {"OverlongSlash", "\xC0\xAF", u"\u00C0\u00AF"},
        ConversionCase {"OverlongThreeBytes", "\xE0\x80\xAF", u"\u00E0\u0080\u00AF"},
        ConversionCase {"EncodedSurrogate", "\xED\xA0\x80", u"\u00ED\u00A0\u0080"},
        ConversionCase {"AboveUnicode", "\xF4\x90\x80\x80", u"\u00F4\u0090\u0080\u0080"},
        ConversionCase {"GbkBytes", "\xB1\xB3\xBE\xB0", u"\u00B1\u00B3\u00BE\u00B0"}),
    [](const testing::TestParamInfo<ConversionCase>& row) { return std::string(row.param.name); });

struct DisallowedCase {
    const char* name;
    std::string path;
    std::optional<std::string> shown; // the character as the reason names it; nothing: no reason
};

class DisallowedWindowsCharacter : public testing::TestWithParam<DisallowedCase> {};

TEST_P(DisallowedWindowsCharacter, NamesTheFirstOne) {
    const std::optional<std::string> reason = disallowedWindowsCharacter(GetParam().path);
    if (!GetParam().shown) {
        EXPECT_EQ(reason, std::nullopt);
    } else {
        EXPECT_EQ(reason, "the name holds '" + *GetParam().shown +
                              "', a character Windows does not allow in file names");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DisallowedWindowsCharacter,
    testing::Values(DisallowedCase {"PlainPath", "C:\\games\\Main.rsb", std::nullopt},
                    DisallowedCase {"ForwardSlashes", "out/sub/a.png", std::nullopt},
                    DisallowedCase {"DriveRelative", "z:Main.rsb", std::nullopt},
                    DisallowedCase {"LongForm", "\\\\?\\C:\\x\\y.rsb", std::nullopt},
                    DisallowedCase {"DeviceForm", "\\\\.\\NUL", std::nullopt},
                    DisallowedCase {"Share", "\\\\server\\share\\a.rsb", std::nullopt},
                    DisallowedCase {"NonAsciiAndDelete", "\xE5\x9B\xBE\xC2\x9B\x7F.png", std::nullopt},
                    DisallowedCase {"Less", "a<b", "<"}, DisallowedCase {"Greater", "a>b", ">"},
                    DisallowedCase {"Quote", "a\"b", "\""}, DisallowedCase {"Bar", "a|b", "|"},
                    DisallowedCase {"Question", "a?b", "?"}, DisallowedCase {"Star", "a*b", "*"},
                    DisallowedCase {"ColonPastTheDrive", "C:\\a:b\\c", ":"},
                    DisallowedCase {"ColonWithoutDrive", "1:x", ":"},
                    DisallowedCase {"QuestionPastTheLongForm", "\\\\?\\C:\\a?b", "?"},
                    DisallowedCase {"ZeroByte", std::string("a\0b", 3), "\\x00"},
                    DisallowedCase {"Escape", "\x1B]0;x", "\\x1B"},
                    DisallowedCase {"UnitSeparator", "a\x1F", "\\x1F"},
                    DisallowedCase {"FirstCounts", "dir*/a<b", "*"}),
    [](const testing::TestParamInfo<DisallowedCase>& row) { return std::string(row.param.name); });

TEST(Utf8Of, UnpairedSurrogateBecomesReplacementCharacter) {
    EXPECT_EQ(utf8Of(u"a\xD800" u"b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(utf8Of(u"\xDC00"), "\xEF\xBF\xBD");
    EXPECT_EQ(utf8Of(u"\U0001F600"), "\xF0\x9F\x98\x80");
}

} // namespace
