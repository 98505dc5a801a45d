#pragma once
// The font engine shared by the printout recorder, the screen and the PDF writer: a family
// name and a style resolve to one font file through fontconfig, the file is read with
// FreeType, and every width handed out comes from the same advance table, so text keeps
// the same width on screen, on paper and in PDF.
//
// "Arial"/"Helvetica" resolve to Liberation Sans, "Times"/"Times New Roman" to Liberation
// Serif and "Courier"/"Courier New" to Liberation Mono; other names go to fontconfig as
// they are. Faces are loaded once and kept for the life of the process. Not thread-safe:
// the user-interface thread is the only caller.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace pdf {

// Outline and layout figures of a face, in font units (UnitsPerEm per em), y upward.
struct TFontMetrics {
    int unitsPerEm = 1000;
    int ascent = 0;      // typographic ascender (hhea), > 0
    int descent = 0;     // typographic descender (hhea), <= 0
    int winAscent = 0;   // OS/2 usWinAscent: the top of the character cell, > 0
    int winDescent = 0;  // OS/2 usWinDescent as a positive depth below the baseline
    int capHeight = 0;   // OS/2 sCapHeight, or the height of "H" when the table lacks it
    int xHeight = 0;     // OS/2 sxHeight, or the height of "x"
    int bboxXMin = 0, bboxYMin = 0, bboxXMax = 0, bboxYMax = 0; // head table font box
    double italicAngle = 0; // degrees counter-clockwise from vertical (post table; < 0 leans right)
    int stemV = 0;          // dominant vertical stem width, estimated from the weight
    int underlinePosition = 0;  // post table, < 0 below the baseline
    int underlineThickness = 0; // post table
    int missingWidth = 0;       // advance of glyph 0 (.notdef)
};

// PDF font descriptor flag bits (PDF 1.3, table 5.20), as returned by TFontFace::PdfFlags.
enum : uint32_t {
    kFontFlagFixedPitch = 1u << 0,
    kFontFlagSerif = 1u << 1,
    kFontFlagSymbolic = 1u << 2,
    kFontFlagNonsymbolic = 1u << 5,
    kFontFlagItalic = 1u << 6,
    kFontFlagForceBold = 1u << 18,
};

// One loaded font file (one face of it). Obtained from TFontEngine, which owns it; the
// pointer stays valid until the process ends.
class TFontFace {
public:
    ~TFontFace();
    TFontFace(const TFontFace &) = delete;
    TFontFace &operator=(const TFontFace &) = delete;

    const QString &FilePath() const { return m_path; }
    int FaceIndex() const { return m_faceIndex; }  // index inside a collection file, usually 0
    const QString &FamilyName() const { return m_family; }  // as the file names it
    const QString &StyleName() const { return m_style; }
    const QString &PostScriptName() const { return m_postScriptName; } // never empty
    bool IsBold() const { return m_bold; }      // of the face found, not of the request
    bool IsItalic() const { return m_italic; }
    bool IsFixedPitch() const;
    // A TrueType outline font (sfnt with a glyf table), embeddable as /FontFile2.
    bool IsTrueType() const { return m_trueType; }
    // OS/2 fsType (0 when the table is absent) and whether it lets the font be embedded in
    // a document: false for "restricted licence" (bit 0x0002) without a print/preview or
    // editable permission (0x0004, 0x0008).
    uint16_t FsType() const { return m_fsType; }
    bool EmbeddingAllowed() const;

    const TFontMetrics &Metrics() const { return m_metrics; }
    int UnitsPerEm() const { return m_metrics.unitsPerEm; }
    // PDF descriptor flags: fixed pitch, serif (guessed from the family), nonsymbolic,
    // italic, force-bold for bold faces.
    uint32_t PdfFlags() const;

    // Glyph of a Unicode code point through the face's Unicode map; 0 (.notdef) when absent.
    unsigned GlyphIndex(char32_t codePoint) const;
    // PostScript name of a glyph from the post table (or FreeType's synthesised one);
    // empty when the face has no names.
    QString GlyphName(unsigned glyph) const;
    int GlyphCount() const;

    // Advance widths in font units (unhinted, no kerning): of a glyph, of a code point
    // (the .notdef advance when it has no glyph).
    int GlyphAdvanceUnits(unsigned glyph) const;
    int AdvanceUnits(char32_t codePoint) const;
    // The same scaled to an em size of emHeight (any unit: 0.1 mm, points, pixels).
    double Advance(char32_t codePoint, double emHeight) const;
    // Sum of the advances of text (UTF-16, surrogate pairs joined) at emHeight.
    double TextWidth(const QString &text, double emHeight) const;
    // Per-character advances of text at emHeight rounded to whole units so that their
    // running sum stays within half a unit of the exact width: one entry per UTF-16 code
    // unit (the low half of a surrogate pair gets 0), as text records store them.
    std::vector<int> RoundedAdvances(const QString &text, double emHeight) const;

    // Em size for a character-cell height (ascent + descent as OS/2 win metrics give them),
    // which is what a positive platform font height means; a negative height is an em size.
    double EmForHeight(double height) const;

    // The whole font file as it is on disk (read once, then cached). Empty when unreadable.
    const QByteArray &FileBytes() const;

private:
    friend class TFontEngine;
    TFontFace() = default;
    bool Load(const QString &path, int faceIndex);

    struct TFreeType;
    std::unique_ptr<TFreeType> m_ft;
    QString m_path;
    int m_faceIndex = 0;
    QString m_family, m_style, m_postScriptName;
    bool m_bold = false, m_italic = false, m_trueType = false;
    uint16_t m_fsType = 0;
    TFontMetrics m_metrics;
    mutable std::vector<int32_t> m_advanceCache; // per glyph, -1 until measured
    mutable std::vector<int32_t> m_charAdvance;  // per code point below kCharCache, -1 until measured
    static constexpr char32_t kCharCache = 0x2200;
    mutable QByteArray m_fileBytes;
    mutable bool m_fileRead = false;
};

// Resolves and caches faces. One per process (Instance); faces outlive every caller.
class TFontEngine {
public:
    static TFontEngine &Instance();

    // The face for family with the given style: the family name is substituted as the file
    // comment says (case-insensitive), then matched by fontconfig, which always falls back to
    // some installed font. nullptr only when no font file can be loaded at all.
    const TFontFace *Face(const QString &family, bool bold, bool italic);

    // The family name fontconfig is asked for: the metric-compatible substitute of a
    // well-known family name, else family unchanged.
    static QString SubstituteFamily(const QString &family);

    // The font file fontconfig picks for family and style (empty when none); faceIndex, when
    // given, receives the face index inside the file.
    static QString ResolveFile(const QString &family, bool bold, bool italic, int *faceIndex = nullptr);

    ~TFontEngine();
    TFontEngine(const TFontEngine &) = delete;
    TFontEngine &operator=(const TFontEngine &) = delete;

private:
    TFontEngine();
    struct TImpl;
    std::unique_ptr<TImpl> m_impl;
};

} // namespace pdf
