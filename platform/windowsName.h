#pragma once

#include <optional>
#include <string>
#include <string_view>

// How one component of a packet path becomes a name on Windows, and which
// components Windows would take for something else than a file or folder
// inside the output folder. Pure functions over bytes, so that they are
// tested on every platform; the Windows file layer applies them to every
// name it is given.

// Why `component` cannot be a name inside the output folder on Windows, or
// nullptr when it can. Refused: "..", a colon (a drive, as in "C:" or "C:x",
// or an alternate data stream, as in "name:stream"), a trailing dot or space
// (Windows drops them, so "a." would be "a" and ". ." would be "."), and the
// device names CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9 and LPT1-9 (also
// with the superscript digits 1-3), whatever their letter case, with or
// without an extension and blanks before it. Empty and "." components are
// passed over by the file layer and are not refused here. Characters that
// Windows forbids in names (control bytes, < > " | ? *) are not refused
// here either: they mean nothing else, and the system refuses to create
// such a file, which ends that one file's write with the reason
// disallowedWindowsCharacter gives.
const char* windowsNameFault(std::string_view component);

// When a name in `path` holds a character Windows does not allow in file
// names (the control characters U+0000 to U+001F and < > : " | ? *), the
// reason to give for it, naming the first such character as the console
// shows names (printableName): "the name holds '<', a character Windows does
// not allow in file names". Nothing when there is none. '/' and '\\'
// separate names; a leading drive ("C:") and the "\\?\" and "\\.\"
// prefixes are no names.
std::optional<std::string> disallowedWindowsCharacter(std::string_view path);
// How that reason starts, for callers that are handed it as a text.
inline constexpr std::string_view disallowedCharacterReasonStart = "the name holds '";

// The UTF-16 name for the bytes of a name: the bytes read as UTF-8 when they
// are valid UTF-8 (shortest forms, no surrogates, nothing above U+10FFFF),
// otherwise every byte as the character of the same value (ISO 8859-1), so
// that every byte string gives one name, the same on every machine whatever
// its ANSI code page.
std::u16string windowsNameOf(std::string_view bytes);

// The reverse for names the system hands over: UTF-16 to UTF-8, an unpaired
// surrogate becoming U+FFFD.
std::string utf8Of(std::u16string_view text);
