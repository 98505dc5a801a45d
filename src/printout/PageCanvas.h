#pragma once
// The recording surface of one page: a canvas in tenths of a millimetre on a y-up page
// (painters draw at (x, -y) from the sheet's top-left corner) whose every operation becomes
// one enhanced-metafile record of the page, or the object records GDI itself would write
// (a changed font is created, selected and the old one deleted at the next text). Text is
// measured with the shared font engine, so recorded widths hold on screen, paper and PDF.

#include "printout/Metafile.h"

#include <QColor>
#include <QRect>
#include <QString>

#include <cstdint>
#include <vector>

class QImage;

namespace pdf {
class TFontFace;
}

namespace printout {

enum TFontStyleFlag : int { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
enum class TBrushStyle { Solid, Clear };

// A logical font as the font-creation record holds it.
struct TLogFont {
    int32_t height = 35;      // > 0 character-cell height, < 0 em height, page units
    int32_t width = 0;
    int32_t escapement = 0;   // tenths of a degree, counter-clockwise
    int32_t orientation = 0;
    int32_t weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    uint8_t charSet = 1;      // DEFAULT_CHARSET
    QString faceName = QStringLiteral("Arial");

    bool operator==(const TLogFont &) const = default;
    // The face the font engine gives for it, never nullptr while a font is installed.
    const pdf::TFontFace *Face() const;
    // The font engine's em size for height (in page units).
    double EmHeight() const;
};

class TPageCanvas {
public:
    // Records into metafile, whose reference device must be set; writes the page prologue
    // (low-metric mapping, extents, transparent background).
    explicit TPageCanvas(TMetafile &metafile);
    ~TPageCanvas();
    TPageCanvas(const TPageCanvas &) = delete;
    TPageCanvas &operator=(const TPageCanvas &) = delete;

    // Font of the canvas; takes effect at the next text output.
    void SetFontName(const QString &name);
    QString FontName() const { return m_font.faceName; }
    void SetFontHeight(int height);
    int FontHeight() const { return m_font.height; }
    void SetFontStyle(int styleFlags); // TFontStyleFlag bits
    int FontStyle() const;
    void SetFontColor(const QColor &color);
    QColor FontColor() const { return m_textColor; }

    void SetPenWidth(int width);
    int PenWidth() const { return m_penWidth; }
    void SetPenColor(const QColor &color);
    void SetBrushColor(const QColor &color);
    QColor BrushColor() const { return m_brushColor; }
    void SetBrushStyle(TBrushStyle style);
    TBrushStyle BrushStyle() const { return m_brushStyle; }

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    // Outlined with the pen, filled with the brush.
    void Rectangle(int x1, int y1, int x2, int y2);
    // Text at (x, y) as the current text alignment places it, with the selected font.
    void TextOut(int x, int y, const QString &text);
    // Width of text in page units with the selected font (rotated or not).
    int TextWidth(const QString &text);
    // The picture stretched into the rectangle (left, top)-(right, bottom); top > bottom keeps
    // it upright on the y-up page.
    void StretchDraw(const QRect &rect, const QImage &image);

    // What the raw drawing handle offers the painters.
    void SetTextAlign(uint32_t flags);
    uint32_t TextAlign() const { return m_textAlign; }
    void SetBkMode(uint32_t mode);
    // A font object with the given attributes; returns its handle (a slot number).
    uint32_t CreateFontIndirect(const TLogFont &font);
    // Selects a created font (or a stock object); returns the handle that was selected
    // before for the same kind of object.
    uint32_t SelectObject(uint32_t handle);
    // Deletes a created object; the canvas's own selection is put back first if needed.
    void DeleteObject(uint32_t handle);
    // A comment record of raw data (hot-spots and private data of other producers).
    void Comment(const QByteArray &data);

    // Selects stock objects and deletes every object still alive; further drawing is refused.
    void Finish();
    bool IsFinished() const { return m_finished; }

private:
    enum class TKind { None, Pen, Brush, Font };
    struct TObject {
        TKind kind = TKind::None;
        TLogFont font; // for fonts
        const pdf::TFontFace *face = nullptr; // the font's face and em size, found once
        double em = 0;
    };
    void RealizePen();
    void RealizeBrush();
    void RealizeFont();
    void RealizeTextColor();
    uint32_t NewSlot(TKind kind);
    void Select(uint32_t handle);
    const TObject &SelectedFont();
    static void Measure(TObject &font);
    void Simple(uint32_t type, uint32_t value);
    QRect ToDevice(double x1, double y1, double x2, double y2) const;

    TMetafile &m_mf;
    double m_pxPerUnitX, m_pxPerUnitY; // device pixels per 0.1 mm
    bool m_finished = false;

    TLogFont m_font;
    QColor m_textColor = Qt::black;
    uint32_t m_emittedTextColor = 0; // black is the playback default
    int m_penWidth = 1;
    QColor m_penColor = Qt::black;
    QColor m_brushColor = Qt::white;
    TBrushStyle m_brushStyle = TBrushStyle::Solid;
    bool m_penDirty = true, m_brushDirty = true, m_fontDirty = true;
    uint32_t m_textAlign = 0;

    std::vector<TObject> m_objects; // by slot, slot 0 unused
    TObject m_unrealized;           // the canvas font measured before any font object exists
    uint32_t m_canvasPen = 0, m_canvasBrush = 0, m_canvasFont = 0; // the canvas's own objects
    uint32_t m_selectedPen = kBlackPenHandle, m_selectedBrush = kWhiteBrushHandle,
             m_selectedFont = kSystemFontHandle;
    static constexpr uint32_t kBlackPenHandle = emf::kBlackPen, kWhiteBrushHandle = emf::kWhiteBrush,
                              kSystemFontHandle = emf::kSystemFont;
};

// COLORREF (0x00BBGGRR) of a colour and back.
uint32_t ToColorRef(const QColor &color);
QColor FromColorRef(uint32_t colorRef);

} // namespace printout
