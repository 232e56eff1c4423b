#pragma once
// UTF-16 text helpers of the command interpreter. wchar_t is 32 bits on this platform,
// so the interpreter keeps its text in std::u16string and does its own case folding,
// blank classes, number reading and wildcard matching.
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace console {

using ustring = std::u16string;
using uview = std::u16string_view;

// ASCII or UTF-8 literal to UTF-16.
ustring u(std::string_view utf8);
ustring fromQ(const QString& s);
QString toQ(uview s);
// Bytes to text and back. Bytes are UTF-8 (the console code page here); a byte that is
// not part of valid UTF-8 is carried as the lone surrogate U+DC00 + byte and written
// back as that same byte, so toUtf8(fromUtf8(b)) == b for any bytes b. Names, arguments,
// environment values and file contents thus reach the system byte for byte.
std::string toUtf8(uview s);
ustring fromUtf8(std::string_view s);
std::string toLocal8(uview s); // file-system names, the same encoding
// Bytes of text files and program output.
ustring decodeText(std::string_view bytes);

char16_t upperChar(char16_t c);
ustring upper(uview s);
ustring lower(uview s);
bool equalsNoCase(uview a, uview b);
int compareNoCase(uview a, uview b);
bool startsWithNoCase(uview s, uview prefix);
// Case-insensitive search; npos when absent.
size_t findNoCase(uview hay, uview needle, size_t from = 0);

// The wide white-space class.
bool isBlank(char16_t c);
// Blank or one of = , ; (token separators outside the equals-allowed state).
bool isSeparator(char16_t c);
// Words separated by blanks and separators; a quoted run (quotes kept) is one word.
std::vector<ustring> splitWords(uview args);

// strtol with base 0 as with a 32-bit long: optional blanks and sign, "0x" hex,
// leading "0" octal, else decimal; overflow clamps to INT32_MAX / INT32_MIN.
// `end` receives the index after the last digit used (0 when no number was read).
int32_t strtol32(uview s, size_t* end = nullptr);
// True when the whole text (after optional leading blanks) is a number by strtol32.
bool isWholeNumber(uview s, int32_t* value = nullptr);

// File-name wildcard matching, case-insensitive: "*" any run, "?" one character (or
// none at the end of the name or before a period), "*.*" also matches names without a
// period, and a pattern ending in "." matches names without an extension.
bool wildcardMatch(uview pattern, uview name);
bool hasWildcards(uview s);

ustring trimBlanks(uview s);
ustring stripQuotes(uview s); // removes every double quote
ustring number(long long v);

} // namespace console
