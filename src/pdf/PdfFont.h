#pragma once
// One TrueType font resource of a PDF document: widths, descriptor, encoding, the font
// dictionary and, when allowed, the embedded font program.

#include "pdf/PdfBox.h"

#include <QByteArray>
#include <QString>

namespace pdf {

class TFontFace;
class TPdfFile;

class TPdfFont {
public:
    // The character set a font is made for: the locale's for the default set (1); the sets
    // of the seven code pages and 0 as they are; anything else "Font character set not
    // supported".
    static int EffectiveCharset(const TPdfFontDesc &desc);
    // "Arial,Bold|0": name, style suffix, '|', effective character set.
    static QString Key(const TPdfFontDesc &desc, int charset);
    // Face of a description, or "Internal error: <query>" when no font can be loaded.
    static const TFontFace &FaceOf(const TPdfFontDesc &desc, const char *query);

    struct TOptions {
        bool embedFonts = false;
        QStringList nonEmbedded; // never embedded, compared without regard to case
        QStringList symbolic;    // fonts of symbols rather than letters
    };
    // Resolves the font and writes its objects to file; position gives the name "/F<n>".
    // Fails with "This font is not TrueType" or "Internal error".
    TPdfFont(const TPdfFontDesc &desc, int charset, int position, const TOptions &options, TPdfFile &file);

    QByteArray ResourceName() const { return "/F" + QByteArray::number(m_position); }
    int ObjectNumber() const { return m_fontObject; }
    bool Embedded() const { return m_embedded; }
    int Charset() const { return m_charset; }
    int RightToLeftKind() const { return m_rtlKind; }
    const TFontFace &Face() const { return *m_face; }

    // Figures per point of font size.
    double AscentRatio() const { return m_ascent; }
    double UnderlineThickness() const { return m_underlineSize; }
    double UnderlinePosition() const { return m_underlinePos; }
    double StrikeoutThickness() const { return m_strikeSize; }
    double StrikeoutPosition() const { return m_strikePos; }

    // The bytes that show text in this font (right-to-left runs reversed first).
    QByteArray Encode(const QString &text) const;

private:
    void WriteObjects(TPdfFile &file, const TOptions &options, const QString &baseName);

    QString m_name;
    int m_charset = 0;
    int m_codePage = 1252;
    int m_position = 0;
    int m_rtlKind = 0;
    bool m_symbolic = false;
    bool m_italic = false;
    bool m_embedded = false;
    const TFontFace *m_face = nullptr;
    double m_ascent = 0, m_underlineSize = 0, m_underlinePos = 0, m_strikeSize = 0, m_strikePos = 0;
    int m_familyClass = 0; // OS/2 sFamilyClass high byte
    int m_fontObject = 0;
};

} // namespace pdf
