#include "printout/PageCanvas.h"

#include "pdf/FontEngine.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <limits>

namespace printout {

using namespace emf;

uint32_t ToColorRef(const QColor &color)
{
    const QRgb c = color.rgb();
    return uint32_t(qRed(c)) | uint32_t(qGreen(c)) << 8 | uint32_t(qBlue(c)) << 16;
}

QColor FromColorRef(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

const pdf::TFontFace *TLogFont::Face() const
{
    return pdf::TFontEngine::Instance().Face(faceName, weight >= 600, italic);
}

double TLogFont::EmHeight() const
{
    const pdf::TFontFace *face = Face();
    if (height == 0)
        return 35; // the default size: about 10 points
    return face ? face->EmForHeight(height) : std::abs(double(height));
}

TPageCanvas::TPageCanvas(TMetafile &metafile) : m_mf(metafile)
{
    const TReferenceDevice &d = m_mf.Device();
    const QSize um = d.Micrometers();
    m_pxPerUnitX = um.width() > 0 ? d.pixels.width() * 100.0 / um.width() : 1;
    m_pxPerUnitY = um.height() > 0 ? d.pixels.height() * 100.0 / um.height() : 1;
    m_objects.resize(1);
    m_mf.Buffer().reserve(m_mf.Buffer().size() + 64 * 1024); // a form page; trimmed when closed
    Simple(EMR_SETMAPMODE, MM_LOMETRIC);
    // Extents are ignored by GDI in this mode, but some importers take the scale from them;
    // giving the exact sheet in both keeps their scale exact.
    const QSize sheet(int(std::lround(um.width() / 100.0)), int(std::lround(um.height() / 100.0)));
    {
        TRecordWriter w(m_mf.Buffer(), EMR_SETWINDOWEXTEX);
        w.I32(sheet.width());
        w.I32(sheet.height());
        w.Finish();
    }
    {
        TRecordWriter w(m_mf.Buffer(), EMR_SETVIEWPORTEXTEX);
        w.I32(d.pixels.width());
        w.I32(-d.pixels.height());
        w.Finish();
    }
    m_mf.Commit();
    SetBkMode(TRANSPARENT);
}

TPageCanvas::~TPageCanvas()
{
    if (!m_finished)
        Finish();
}

void TPageCanvas::Simple(uint32_t type, uint32_t value)
{
    TRecordWriter w(m_mf.Buffer(), type);
    w.U32(value);
    w.Finish();
    m_mf.Commit();
}

void TPageCanvas::SetFontName(const QString &name)
{
    if (name != m_font.faceName) {
        m_font.faceName = name;
        m_fontDirty = true;
    }
}

void TPageCanvas::SetFontHeight(int height)
{
    if (height != m_font.height) {
        m_font.height = height;
        m_fontDirty = true;
    }
}

void TPageCanvas::SetFontStyle(int flags)
{
    TLogFont f = m_font;
    f.weight = (flags & fsBold) ? 700 : 400;
    f.italic = flags & fsItalic;
    f.underline = flags & fsUnderline;
    f.strikeOut = flags & fsStrikeOut;
    if (!(f == m_font)) {
        m_font = f;
        m_fontDirty = true;
    }
}

int TPageCanvas::FontStyle() const
{
    return (m_font.weight >= 600 ? fsBold : 0) | (m_font.italic ? fsItalic : 0) | (m_font.underline ? fsUnderline : 0) |
           (m_font.strikeOut ? fsStrikeOut : 0);
}

void TPageCanvas::SetFontColor(const QColor &color) { m_textColor = color; }

void TPageCanvas::SetPenWidth(int width)
{
    if (width != m_penWidth) {
        m_penWidth = width;
        m_penDirty = true;
    }
}

void TPageCanvas::SetPenColor(const QColor &color)
{
    if (color != m_penColor) {
        m_penColor = color;
        m_penDirty = true;
    }
}

void TPageCanvas::SetBrushColor(const QColor &color)
{
    if (color != m_brushColor) {
        m_brushColor = color;
        m_brushDirty = true;
    }
}

void TPageCanvas::SetBrushStyle(TBrushStyle style)
{
    if (style != m_brushStyle) {
        m_brushStyle = style;
        m_brushDirty = true;
    }
}

uint32_t TPageCanvas::NewSlot(TKind kind)
{
    for (uint32_t i = 1; i < m_objects.size(); ++i) {
        if (m_objects[i].kind == TKind::None) {
            m_objects[i].kind = kind;
            return i;
        }
    }
    m_objects.push_back(TObject{kind, {}});
    return uint32_t(m_objects.size() - 1);
}

void TPageCanvas::Select(uint32_t handle)
{
    Simple(EMR_SELECTOBJECT, handle);
    TKind kind = TKind::None;
    if (handle & kStockObject) {
        const uint32_t stock = handle & ~kStockObject;
        kind = stock <= 5 || stock == 0x12 ? TKind::Brush : stock <= 8 || stock == 0x13 ? TKind::Pen : TKind::Font;
    } else if (handle < m_objects.size()) {
        kind = m_objects[handle].kind;
    }
    if (kind == TKind::Pen)
        m_selectedPen = handle;
    else if (kind == TKind::Brush)
        m_selectedBrush = handle;
    else if (kind == TKind::Font)
        m_selectedFont = handle;
}

void TPageCanvas::RealizePen()
{
    if (!m_penDirty)
        return;
    const uint32_t old = m_canvasPen;
    const uint32_t slot = NewSlot(TKind::Pen);
    {
        TRecordWriter w(m_mf.Buffer(), EMR_CREATEPEN);
        w.U32(slot);
        w.U32(PS_SOLID);
        w.I32(m_penWidth);
        w.I32(0);
        w.U32(ToColorRef(m_penColor));
        w.Finish();
        m_mf.Commit();
    }
    Select(slot);
    m_canvasPen = slot;
    if (old) {
        Simple(EMR_DELETEOBJECT, old);
        m_objects[old].kind = TKind::None;
    }
    m_penDirty = false;
}

void TPageCanvas::RealizeBrush()
{
    if (!m_brushDirty)
        return;
    const uint32_t old = m_canvasBrush;
    if (m_brushStyle == TBrushStyle::Clear) {
        Select(kNullBrush);
        m_canvasBrush = 0;
    } else {
        const uint32_t slot = NewSlot(TKind::Brush);
        TRecordWriter w(m_mf.Buffer(), EMR_CREATEBRUSHINDIRECT);
        w.U32(slot);
        w.U32(BS_SOLID);
        w.U32(ToColorRef(m_brushColor));
        w.U32(0);
        w.Finish();
        m_mf.Commit();
        Select(slot);
        m_canvasBrush = slot;
    }
    if (old) {
        Simple(EMR_DELETEOBJECT, old);
        m_objects[old].kind = TKind::None;
    }
    m_brushDirty = false;
}

namespace {

void WriteFontRecord(QByteArray &out, uint32_t slot, const TLogFont &f)
{
    TRecordWriter w(out, EMR_EXTCREATEFONTINDIRECTW);
    w.U32(slot);
    w.I32(f.height);
    w.I32(f.width);
    w.I32(f.escapement);
    w.I32(f.orientation);
    w.I32(f.weight);
    w.U8(f.italic);
    w.U8(f.underline);
    w.U8(f.strikeOut);
    w.U8(f.charSet);
    w.U8(0); // out precision
    w.U8(0); // clip precision
    w.U8(0); // quality
    w.U8(0); // pitch and family
    uint16_t face[32] = {};
    const QString name = f.faceName.left(31);
    std::copy(name.utf16(), name.utf16() + name.size(), face);
    w.Bytes(reinterpret_cast<const char *>(face), sizeof face);
    w.Zeros(128 + 64 + 64); // full name, style, script
    w.U32(kDesignVectorSignature);
    w.U32(0);
    w.Finish();
}

} // namespace

void TPageCanvas::RealizeFont()
{
    // A font the painter selected through the raw handle stays until it selects another.
    const bool ownSelected = m_selectedFont == m_canvasFont || (m_selectedFont & kStockObject);
    if (!ownSelected)
        return;
    if (!m_fontDirty) {
        if (m_selectedFont != m_canvasFont && m_canvasFont)
            Select(m_canvasFont);
        return;
    }
    const uint32_t old = m_canvasFont;
    const uint32_t slot = NewSlot(TKind::Font);
    m_objects[slot].font = m_font;
    Measure(m_objects[slot]);
    WriteFontRecord(m_mf.Buffer(), slot, m_font);
    m_mf.Commit();
    Select(slot);
    m_canvasFont = slot;
    if (old) {
        if (m_selectedFont == old)
            Select(kSystemFontHandle);
        Simple(EMR_DELETEOBJECT, old);
        m_objects[old].kind = TKind::None;
    }
    m_fontDirty = false;
}

void TPageCanvas::RealizeTextColor()
{
    const uint32_t c = ToColorRef(m_textColor);
    if (c != m_emittedTextColor) {
        Simple(EMR_SETTEXTCOLOR, c);
        m_emittedTextColor = c;
    }
}

void TPageCanvas::Measure(TObject &o)
{
    o.face = o.font.Face();
    o.em = o.font.EmHeight();
}

const TPageCanvas::TObject &TPageCanvas::SelectedFont()
{
    if (!(m_selectedFont & kStockObject) && m_selectedFont < m_objects.size() &&
        m_objects[m_selectedFont].kind == TKind::Font)
        return m_objects[m_selectedFont];
    if (!(m_unrealized.font == m_font) || !m_unrealized.face) {
        m_unrealized.font = m_font;
        Measure(m_unrealized);
    }
    return m_unrealized;
}

QRect TPageCanvas::ToDevice(double x1, double y1, double x2, double y2) const
{
    // A foreign page may place a text anywhere in the 32-bit range: in device pixels that can
    // lie beyond an int, which is kept at the range's edge rather than converted undefined.
    const auto device = [](double v) {
        return int(std::clamp(v, double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max())));
    };
    const double l = std::min(x1, x2) * m_pxPerUnitX, r = std::max(x1, x2) * m_pxPerUnitX;
    const double t = -std::max(y1, y2) * m_pxPerUnitY, b = -std::min(y1, y2) * m_pxPerUnitY;
    return QRect(QPoint(device(std::floor(l)), device(std::floor(t))), QPoint(device(std::ceil(r)), device(std::ceil(b))));
}

void TPageCanvas::MoveTo(int x, int y)
{
    if (m_finished)
        return;
    TRecordWriter w(m_mf.Buffer(), EMR_MOVETOEX);
    w.I32(x);
    w.I32(y);
    w.Finish();
    m_mf.Commit();
}

void TPageCanvas::LineTo(int x, int y)
{
    if (m_finished)
        return;
    RealizePen();
    TRecordWriter w(m_mf.Buffer(), EMR_LINETO);
    w.I32(x);
    w.I32(y);
    w.Finish();
    m_mf.Commit();
}

void TPageCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    if (m_finished)
        return;
    RealizePen();
    RealizeBrush();
    TRecordWriter w(m_mf.Buffer(), EMR_RECTANGLE);
    w.I32(x1);
    w.I32(y1);
    w.I32(x2);
    w.I32(y2);
    w.Finish();
    m_mf.Commit();
}

int TPageCanvas::TextWidth(const QString &text)
{
    if (!m_finished)
        RealizeFont();
    const TObject &f = SelectedFont();
    if (!f.face)
        return 0;
    long long sum = 0;
    for (int a : f.face->RoundedAdvances(text, f.em))
        sum += a;
    return int(sum);
}

void TPageCanvas::TextOut(int x, int y, const QString &text)
{
    if (m_finished)
        return;
    RealizeFont();
    RealizeTextColor();
    const TObject &selected = SelectedFont();
    const TLogFont &f = selected.font;
    const pdf::TFontFace *face = selected.face;
    const double em = selected.em;
    std::vector<int> dx = face ? face->RoundedAdvances(text, em) : std::vector<int>(size_t(text.size()), 0);
    long long width = 0;
    for (int a : dx)
        width += a;

    // The text's box in page units, for the record's device bounds (what a search finds).
    double ascent = em * 0.905, descent = em * 0.212;
    if (face) {
        const pdf::TFontMetrics &m = face->Metrics();
        ascent = em * m.winAscent / m.unitsPerEm;
        descent = em * m.winDescent / m.unitsPerEm;
    }
    const uint32_t h = m_textAlign & TA_HMASK, v = m_textAlign & TA_VMASK;
    const double x0 = h == TA_CENTER ? -width / 2.0 : h == TA_RIGHT ? -double(width) : 0;
    const double yb = v == TA_BASELINE ? -descent : v == TA_BOTTOM ? 0 : -(ascent + descent);
    const double yt = yb + ascent + descent;
    const double angle = f.escapement / 10.0 * M_PI / 180.0;
    const double c = std::cos(angle), s = std::sin(angle);
    double minX = 1e18, minY = 1e18, maxX = -1e18, maxY = -1e18;
    for (double px : {x0, x0 + double(width)}) {
        for (double py : {yb, yt}) {
            const double rx = x + px * c - py * s, ry = y + px * s + py * c;
            minX = std::min(minX, rx);
            maxX = std::max(maxX, rx);
            minY = std::min(minY, ry);
            maxY = std::max(maxY, ry);
        }
    }
    const QRect bounds = ToDevice(minX, minY, maxX, maxY);

    const auto chars = uint32_t(text.size());
    const uint32_t stringBytes = (chars * 2 + 3) & ~3u;
    TRecordWriter w(m_mf.Buffer(), EMR_EXTTEXTOUTW);
    for (int b : {bounds.left(), bounds.top(), bounds.right(), bounds.bottom()})
        w.I32(b);
    w.U32(1); // GM_COMPATIBLE
    w.F32(10.0f);
    w.F32(10.0f);
    w.I32(x);
    w.I32(y);
    w.U32(chars);
    w.U32(76);
    w.U32(0); // options
    w.I32(0);
    w.I32(0);
    w.I32(-1);
    w.I32(-1);
    w.U32(76 + stringBytes);
    w.Bytes(reinterpret_cast<const char *>(text.utf16()), qsizetype(chars) * 2);
    w.Pad4();
    for (int a : dx)
        w.I32(a);
    w.Finish();
    m_mf.Commit();
}

void TPageCanvas::StretchDraw(const QRect &rect, const QImage &image)
{
    if (m_finished || image.isNull())
        return;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const int width = rgb.width(), height = rgb.height();
    const int stride = ((width * 24 + 31) / 32) * 4;
    const uint32_t bitsSize = uint32_t(stride) * uint32_t(height);
    const int x1 = rect.left(), y1 = rect.top(), x2 = rect.left() + rect.width(), y2 = rect.top() + rect.height();
    const QRect bounds = ToDevice(x1, y1, x2, y2);
    TRecordWriter w(m_mf.Buffer(), EMR_STRETCHDIBITS);
    for (int b : {bounds.left(), bounds.top(), bounds.right(), bounds.bottom()})
        w.I32(b);
    w.I32(x1);
    w.I32(y1);
    w.I32(0);
    w.I32(0);
    w.I32(width);
    w.I32(height);
    w.U32(80);
    w.U32(40);
    w.U32(120);
    w.U32(bitsSize);
    w.U32(0);          // DIB_RGB_COLORS
    w.U32(0x00CC0020); // SRCCOPY
    w.I32(x2 - x1);
    w.I32(y2 - y1);
    // BITMAPINFOHEADER, bottom-up rows
    w.U32(40);
    w.I32(width);
    w.I32(height);
    w.U16(1);
    w.U16(24);
    w.U32(0);
    w.U32(bitsSize);
    w.I32(23622);
    w.I32(23622);
    w.U32(0);
    w.U32(0);
    QByteArray row(stride, '\0');
    for (int yy = height - 1; yy >= 0; --yy) {
        const uchar *src = rgb.constScanLine(yy);
        for (int xx = 0; xx < width; ++xx) {
            row[3 * xx] = char(src[3 * xx + 2]);
            row[3 * xx + 1] = char(src[3 * xx + 1]);
            row[3 * xx + 2] = char(src[3 * xx]);
        }
        w.Bytes(row.constData(), stride);
    }
    w.Finish();
    m_mf.Commit();
}

void TPageCanvas::SetTextAlign(uint32_t flags)
{
    if (m_finished)
        return;
    m_textAlign = flags;
    Simple(EMR_SETTEXTALIGN, flags);
}

void TPageCanvas::SetBkMode(uint32_t mode)
{
    if (m_finished)
        return;
    Simple(EMR_SETBKMODE, mode);
}

uint32_t TPageCanvas::CreateFontIndirect(const TLogFont &font)
{
    if (m_finished)
        return 0;
    const uint32_t slot = NewSlot(TKind::Font);
    m_objects[slot].font = font;
    Measure(m_objects[slot]);
    WriteFontRecord(m_mf.Buffer(), slot, font);
    m_mf.Commit();
    return slot;
}

uint32_t TPageCanvas::SelectObject(uint32_t handle)
{
    if (m_finished)
        return 0;
    TKind kind = TKind::None;
    if (handle & kStockObject) {
        const uint32_t stock = handle & ~kStockObject;
        kind = stock <= 5 || stock == 0x12 ? TKind::Brush : stock <= 8 || stock == 0x13 ? TKind::Pen : TKind::Font;
    } else if (handle < m_objects.size()) {
        kind = m_objects[handle].kind;
    }
    if (kind == TKind::None)
        return 0;
    const uint32_t previous = kind == TKind::Pen ? m_selectedPen : kind == TKind::Brush ? m_selectedBrush : m_selectedFont;
    Select(handle);
    return previous;
}

void TPageCanvas::DeleteObject(uint32_t handle)
{
    if (m_finished || (handle & kStockObject) || handle == 0 || handle >= m_objects.size() ||
        m_objects[handle].kind == TKind::None)
        return;
    const TKind kind = m_objects[handle].kind;
    if (kind == TKind::Font && m_selectedFont == handle)
        Select(m_canvasFont && m_canvasFont != handle ? m_canvasFont : kSystemFontHandle);
    if (kind == TKind::Pen && m_selectedPen == handle)
        Select(kBlackPenHandle);
    if (kind == TKind::Brush && m_selectedBrush == handle)
        Select(kWhiteBrushHandle);
    if (handle == m_canvasFont) {
        m_canvasFont = 0;
        m_fontDirty = true;
    }
    if (handle == m_canvasPen) {
        m_canvasPen = 0;
        m_penDirty = true;
    }
    if (handle == m_canvasBrush) {
        m_canvasBrush = 0;
        m_brushDirty = true;
    }
    Simple(EMR_DELETEOBJECT, handle);
    m_objects[handle].kind = TKind::None;
}

void TPageCanvas::Comment(const QByteArray &data)
{
    if (m_finished)
        return;
    TRecordWriter w(m_mf.Buffer(), EMR_GDICOMMENT);
    w.U32(uint32_t(data.size()));
    w.Bytes(data.constData(), data.size());
    w.Finish();
    m_mf.Commit();
}

void TPageCanvas::Finish()
{
    if (m_finished)
        return;
    bool any = false;
    for (uint32_t i = 1; i < m_objects.size(); ++i)
        any |= m_objects[i].kind != TKind::None;
    if (any) {
        // Objects are deselected before they are deleted, as players expect.
        if (!(m_selectedPen & kStockObject))
            Select(kBlackPenHandle);
        if (!(m_selectedBrush & kStockObject))
            Select(kWhiteBrushHandle);
        if (!(m_selectedFont & kStockObject))
            Select(kSystemFontHandle);
        for (uint32_t i = 1; i < m_objects.size(); ++i) {
            if (m_objects[i].kind != TKind::None) {
                Simple(EMR_DELETEOBJECT, i);
                m_objects[i].kind = TKind::None;
            }
        }
    }
    m_finished = true;
}

} // namespace printout
