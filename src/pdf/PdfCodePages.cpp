#include "pdf/PdfCodePages.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <unordered_map>

namespace pdf {

namespace {

struct TCharsetCodePage {
    int charset;
    int codePage;
};

const TCharsetCodePage kCharsets[] = {
    {kAnsiCharset, 1252},     {kGreekCharset, 1253},  {kTurkishCharset, 1254},
    {kHebrewCharset, 1255},   {kArabicCharset, 1256}, {kBalticCharset, 1257},
    {kRussianCharset, 1251},  {kEastEuropeCharset, 1250},
};

const char16_t *UpperHalf(int codePage)
{
    switch (codePage) {
    case 1250: return detail::kUpper1250;
    case 1251: return detail::kUpper1251;
    case 1253: return detail::kUpper1253;
    case 1254: return detail::kUpper1254;
    case 1255: return detail::kUpper1255;
    case 1256: return detail::kUpper1256;
    case 1257: return detail::kUpper1257;
    default: return detail::kUpper1252;
    }
}

// Reverse map of one code page, built at first use.
const std::unordered_map<char16_t, unsigned char> &ReverseMap(int codePage)
{
    static std::unordered_map<int, std::unordered_map<char16_t, unsigned char>> maps;
    auto found = maps.find(codePage);
    if (found != maps.end())
        return found->second;
    std::unordered_map<char16_t, unsigned char> map;
    const char16_t *upper = UpperHalf(codePage);
    for (int i = 0; i < 128; ++i)
        if (upper[i] != 0)
            map.emplace(upper[i], static_cast<unsigned char>(128 + i));
    return maps.emplace(codePage, std::move(map)).first->second;
}

bool IsRightToLeftLetter(char16_t c)
{
    return (c >= 0x0590 && c <= 0x05FF) || (c >= 0x0600 && c <= 0x06FF) || (c >= 0x0750 && c <= 0x077F) ||
           (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF);
}

} // namespace

int CodePageOfCharset(int charset)
{
    for (const TCharsetCodePage &entry : kCharsets)
        if (entry.charset == charset)
            return entry.codePage;
    return 0;
}

int DefaultCharsetOfLocale()
{
    // The language of the user's locale chooses the code page a Windows system would use.
    switch (QLocale::system().language()) {
    case QLocale::Polish: case QLocale::Czech: case QLocale::Slovak: case QLocale::Hungarian:
    case QLocale::Slovenian: case QLocale::Croatian: case QLocale::Romanian: case QLocale::Albanian:
    case QLocale::Bosnian:
        return kEastEuropeCharset;
    case QLocale::Russian: case QLocale::Ukrainian: case QLocale::Bulgarian: case QLocale::Belarusian:
    case QLocale::Serbian: case QLocale::Macedonian: case QLocale::Kazakh:
        return kRussianCharset;
    case QLocale::Greek: return kGreekCharset;
    case QLocale::Turkish: case QLocale::Azerbaijani: return kTurkishCharset;
    case QLocale::Hebrew: return kHebrewCharset;
    case QLocale::Arabic: case QLocale::Persian: case QLocale::Urdu: return kArabicCharset;
    case QLocale::Lithuanian: case QLocale::Latvian: case QLocale::Estonian: return kBalticCharset;
    default: return kAnsiCharset;
    }
}

char16_t CodePageChar(int codePage, unsigned char code)
{
    return code < 128 ? char16_t(code) : UpperHalf(codePage)[code - 128];
}

QByteArray EncodeText(const QString &text, int codePage)
{
    const auto &reverse = ReverseMap(codePage);
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c < 128) {
            bytes.append(char(c));
            continue;
        }
        auto found = reverse.find(c);
        bytes.append(found != reverse.end() ? char(found->second) : '?');
    }
    return bytes;
}

QByteArray GlyphName(char16_t ch)
{
    const detail::TGlyphName *begin = detail::kGlyphNames;
    const detail::TGlyphName *end = begin + detail::kGlyphNameCount;
    const detail::TGlyphName *found =
        std::lower_bound(begin, end, ch, [](const detail::TGlyphName &g, char16_t c) { return g.ch < c; });
    if (found != end && found->ch == ch)
        return QByteArray(found->name);
    return QByteArray("uni") + QByteArray::number(uint(ch), 16).toUpper().rightJustified(4, '0');
}

QByteArrayList EncodingDifferences(int codePage)
{
    QByteArrayList entries;
    const char16_t *upper = UpperHalf(codePage);
    QByteArray run;
    auto flush = [&] {
        if (!run.isEmpty())
            entries.append(run);
        run.clear();
    };
    for (int i = 0; i < 128; ++i) {
        const char16_t c = upper[i];
        // Undefined codes are never written, so they need no entry.
        if (c == 0 || c == detail::kUpper1252[i]) {
            flush();
            continue;
        }
        if (run.isEmpty())
            run = QByteArray::number(128 + i);
        run += '/' + GlyphName(c);
    }
    flush();
    return entries;
}

int RightToLeftKind(int charset)
{
    return charset == kHebrewCharset ? 2 : charset == kArabicCharset ? 1 : 0;
}

QString ReverseRightToLeftRuns(const QString &text)
{
    QString result = text;
    const int n = int(result.size());
    int i = 0;
    while (i < n) {
        if (!IsRightToLeftLetter(result[i].unicode())) {
            ++i;
            continue;
        }
        // Extend the run over letters and over blanks that lead to another letter.
        int last = i;
        int j = i + 1;
        while (j < n) {
            const char16_t c = result[j].unicode();
            if (IsRightToLeftLetter(c)) {
                last = j++;
            } else if (c == u' ') {
                ++j;
            } else {
                break;
            }
        }
        std::reverse(result.begin() + i, result.begin() + last + 1);
        i = last + 1;
    }
    return result;
}

} // namespace pdf
