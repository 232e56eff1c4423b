#pragma once
// The process-wide "ANSI" code page: one single-byte code page (Windows-1252 unless
// [EDITOR] "AnsiCodePage" names another). Decoding never fails and every byte value
// decodes to its own character, so ANSI text round-trips byte for byte; characters the
// code page lacks encode as "?".
#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

namespace ansi {

// Chooses the code page: 874 or 1250-1258; any other number selects 1252.
void setCodePage(int cp);
int codePage();

char16_t decodeByte(unsigned char b);
// Returns false when the character has no byte in the code page.
bool encodeChar(char16_t c, unsigned char& out);

QString toUnicode(std::string_view bytes);
QByteArray fromUnicode(QStringView text);

// Bytes of the code page to UTF-8, appended to out.
void appendUtf8(std::string_view bytes, std::string& out);
// UTF-8 to bytes of the code page, appended to out; characters the code page lacks
// (and malformed UTF-8) become "?". Returns the number of such replacements.
size_t appendAnsi(std::string_view utf8, std::string& out);

} // namespace ansi
