#pragma once
// Lexical pieces of a PDF file: numbers, literal strings, names, the ASCII85 filter and zlib.

#include <QByteArray>

namespace pdf {

// At most three decimals, trailing zeros dropped, '.' whatever the locale: 2.5 "2.5",
// 3 "3", 0.28346 "0.283", -0.0001 "0".
QByteArray FormatNumber(double value);
// A PDF literal string "(...)": backspace, tab, line feed, form feed and carriage return as
// \b \t \n \f \r; '(', ')' and '\' preceded by '\'; every other byte as it is.
QByteArray LiteralString(const QByteArray &bytes);
// A name's characters as written after '/': each blank becomes "#20", and so on for the
// other delimiters and bytes outside the printable ASCII range.
QByteArray NameText(const QByteArray &name);
// ASCII base-85 encoding, ending with "~>"; four zero bytes give 'z' except in a final group.
QByteArray Ascii85(const QByteArray &data);
// zlib stream at the default level; empty when zlib fails (it only does out of memory).
QByteArray ZlibCompress(const QByteArray &data);

} // namespace pdf
