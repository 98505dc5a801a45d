#pragma once
// Single-byte code pages of the font character sets: text is written to PDF as bytes of the
// font's code page, on WinAnsiEncoding plus the differences of that code page.

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

namespace pdf {

// Character sets a PDF font can be made for (Windows charset numbers).
enum : int {
    kAnsiCharset = 0,
    kDefaultCharset = 1,
    kGreekCharset = 161,
    kTurkishCharset = 162,
    kHebrewCharset = 177,
    kArabicCharset = 178,
    kBalticCharset = 186,
    kRussianCharset = 204,
    kEastEuropeCharset = 238,
};

// Code page of a supported character set (0 gives 1252), or 0 when the set is not supported.
int CodePageOfCharset(int charset);
// The character set that stands for "default": the one of the user locale's language
// (Polish gives 238, Russian 204, Greek 161 ...; anything without its own code page 0).
int DefaultCharsetOfLocale();

// Unicode character of a byte in a code page; 0 for an undefined code.
char16_t CodePageChar(int codePage, unsigned char code);
// text as bytes of codePage; characters the code page lacks become '?'.
QByteArray EncodeText(const QString &text, int codePage);
// Standard glyph name of a character ("Euro", "afii10017"), or "uniXXXX" when it has none.
QByteArray GlyphName(char16_t ch);
// The /Differences entries of a code page against WinAnsiEncoding, one per run of differing
// codes: "136/Euro", "192/Abreve/Aacute"; empty for 1252.
QByteArrayList EncodingDifferences(int codePage);

// 2 for Hebrew, 1 for Arabic, 0 for every other character set.
int RightToLeftKind(int charset);
// Reverses the runs of right-to-left letters (with the blanks between two of them)
// so that a left-to-right writer shows them in reading order.
QString ReverseRightToLeftRuns(const QString &text);

namespace detail {
struct TGlyphName {
    char16_t ch;
    const char *name;
};
extern const char16_t kUpper1252[128], kUpper1250[128], kUpper1251[128], kUpper1253[128],
    kUpper1254[128], kUpper1255[128], kUpper1256[128], kUpper1257[128];
extern const TGlyphName kGlyphNames[];
extern const int kGlyphNameCount;
} // namespace detail

} // namespace pdf
