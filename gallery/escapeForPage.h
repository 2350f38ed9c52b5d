#pragma once

#include <string>
#include <string_view>

// The one way each kind of untrusted text (names from a package) reaches the
// gallery page. Each function takes the name's bytes as they are, which may
// be any bytes at all, and returns text that is safe in exactly one context.

// A name as the page shows it: control bytes (below 0x20, and 0x7F) and the
// bytes of anything that is not UTF-8 written as \xNN, every other character
// as it is. The result is valid UTF-8 without control characters.
std::string displayName(std::string_view bytes);

// Text between HTML tags: '&', '<' and '>' become character references.
// Anything that is not valid UTF-8, and control characters other than tab
// and line feed, become U+FFFD.
std::string escapeHtmlText(std::string_view text);

// The value of an HTML attribute written between double quotes: as
// escapeHtmlText, and '"' and '\'' become character references too.
std::string escapeHtmlAttribute(std::string_view text);

// One component of a relative URL path: every byte other than the unreserved
// ASCII letters, digits, '-', '.', '_' and '~' written as %XX, so that '/',
// '\\', '?', '#', '%', spaces and bytes that are not UTF-8 stay part of the
// file's name and reach it.
std::string percentEncodeComponent(std::string_view bytes);

// A JSON string literal, quotes included, to be put in a
// <script type="application/json"> element: '<', '>' and '&' are written as
// \u escapes so that nothing in it can end the element or start a comment,
// and U+2028 and U+2029 too; control characters are escaped, anything that is
// not valid UTF-8 becomes U+FFFD.
std::string escapeJsonInScript(std::string_view text);
