#include "printout/Player.h"

#include "pdf/FontEngine.h"
#include "printout/PageCanvas.h"

#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPaintEngine>
#include <QPainterPath>
#include <QRawFont>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>

namespace printout {

using namespace emf;

namespace {

struct TPenState {
    uint32_t style = PS_SOLID;
    double width = 0;
    QColor color = Qt::black;
};

struct TBrushState {
    TBrushState() = default;
    TBrushState(uint32_t s, const QColor &c, uint32_t h = 0) : style(s), color(c), hatch(h) {}
    uint32_t style = BS_SOLID;
    QColor color = Qt::white;
    uint32_t hatch = 0;
    bool pattern = false;
    QImage image;      // the pattern's picture
    bool mono = false; // 1-bit pattern: drawn in the text and background colours
};

struct TObject {
    enum class Kind { None, Pen, Brush, Font } kind = Kind::None;
    TPenState pen;
    TBrushState brush;
    TLogFont font;
};

struct TState {
    TEmfMapping map;
    TPenState pen;
    TBrushState brush;
    TLogFont font;
    QColor textColor = Qt::black, bkColor = Qt::white;
    uint32_t bkMode = OPAQUE, textAlign = 0, polyFill = 1, arcDirection = 1;
    QPointF current;
};

// Raw fonts by face and pixel size: making one is costly, a page reuses a few. They come from
// the font database rather than straight from the file so that devices which embed fonts
// (the PDF engine, hence CUPS) know the file and keep the text as text.
QRawFont RawFont(const pdf::TFontFace *face, double pixelSize)
{
    static QHash<QString, QRawFont> cache;
    const QString key = face->FilePath() + QLatin1Char('#') + QString::number(face->FaceIndex()) + QLatin1Char('@') +
                        QString::number(pixelSize, 'g', 6);
    auto it = cache.find(key);
    if (it != cache.end())
        return *it;
    if (cache.size() > 256)
        cache.clear();
    QFont font(face->FamilyName());
    font.setStyleName(face->StyleName());
    font.setPixelSize(100);
    font.setHintingPreference(QFont::PreferNoHinting);
    QRawFont raw = QRawFont::fromFont(font);
    if (raw.isValid() && raw.familyName() == face->FamilyName() && raw.styleName() == face->StyleName())
        raw.setPixelSize(pixelSize);
    else
        raw = QRawFont(face->FilePath(), pixelSize, QFont::PreferNoHinting);
    cache.insert(key, raw);
    return raw;
}

// The picture of a DIB held in a record (header and bits given by offset and size); null
// when they do not fit the record or do not decode.
QImage DibImage(const TRecordView &r, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits, uint32_t cbBits)
{
    if (cbBmi < 12 || cbBits == 0 || !r.HasBytes(offBmi, cbBmi) || !r.HasBytes(offBits, cbBits))
        return {};
    QByteArray file;
    file.reserve(qsizetype(14 + cbBmi + cbBits));
    const uint32_t fileSize = 14 + cbBmi + cbBits, bitsOffset = 14 + cbBmi;
    file.append("BM", 2);
    file.append(reinterpret_cast<const char *>(&fileSize), 4);
    file.append(4, '\0');
    file.append(reinterpret_cast<const char *>(&bitsOffset), 4);
    file.append(reinterpret_cast<const char *>(r.data + offBmi), qsizetype(cbBmi));
    file.append(reinterpret_cast<const char *>(r.data + offBits), qsizetype(cbBits));
    QImage image;
    if (!image.loadFromData(file, "BMP"))
        return {};
    return image;
}

class TPlayer {
public:
    TPlayer(const TMetafile &mf, QPainter *painter, const QTransform &deviceToTarget)
        : m_mf(mf), m_p(painter), m_deviceToTarget(deviceToTarget)
    {
        m_objects.resize(size_t(std::clamp(mf.Handles(), 1, 65536)));
        const QPointF pxPerMm = PixelsPerMm(mf.Device());
        m_pxPerMmX = pxPerMm.x();
        m_pxPerMmY = pxPerMm.y();
        if (m_p) {
            m_base = m_p->transform();
            m_hadClip = m_p->hasClipping();
            if (m_hadClip)
                m_baseClip = m_p->clipPath() * m_base;
        }
    }

    std::function<void(int, const QString &, const QPolygonF &)> onText; // polygon in device pixels

    void Run()
    {
        if (m_p) {
            m_p->save();
            m_p->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        }
        for (int i = 0; i < m_mf.RecordCount(); ++i)
            Play(i, m_mf.Record(i));
        if (m_p) {
            while (m_saved > 0) {
                m_p->restore();
                --m_saved;
            }
            m_p->restore();
        }
    }

private:
    // Logical to device-pixel transform of the current mapping (world transform included).
    QTransform PageTransform() const { return m_s.map.PageTransform(m_pxPerMmX, m_pxPerMmY); }
    QTransform Full() const { return PageTransform() * m_deviceToTarget * m_base; }
    bool YUp() const { return PageTransform().determinant() < 0; }
    // Logical units per target pixel, to keep hairlines visible.
    double PixelInLogical() const
    {
        const QTransform t = PageTransform() * m_deviceToTarget;
        const double scale = std::sqrt(std::abs(t.determinant()));
        return scale > 0 ? 1 / scale : 1;
    }

    QPen MakePen() const
    {
        const TPenState &p = m_s.pen;
        const uint32_t style = p.style & PS_STYLE_MASK;
        if (style == PS_NULL)
            return Qt::NoPen;
        QPen pen(p.color);
        const double minimum = PixelInLogical();
        pen.setWidthF(std::max(p.width, minimum));
        switch (style) {
        case PS_DASH: pen.setStyle(Qt::DashLine); break;
        case PS_DOT: case 8: pen.setStyle(Qt::DotLine); break;
        case PS_DASHDOT: pen.setStyle(Qt::DashDotLine); break;
        case PS_DASHDOTDOT: pen.setStyle(Qt::DashDotDotLine); break;
        default: pen.setStyle(Qt::SolidLine); break;
        }
        const uint32_t cap = p.style & PS_ENDCAP_MASK, join = p.style & PS_JOIN_MASK;
        pen.setCapStyle(cap == 0x100 ? Qt::SquareCap : cap == 0x200 ? Qt::FlatCap : Qt::RoundCap);
        pen.setJoinStyle(join == 0x1000 ? Qt::BevelJoin : join == 0x2000 ? Qt::MiterJoin : Qt::RoundJoin);
        return pen;
    }
    QBrush MakeBrush() const
    {
        const TBrushState &b = m_s.brush;
        if (b.style == BS_NULL)
            return Qt::NoBrush;
        if (b.pattern) {
            if (b.image.isNull())
                return QBrush(Qt::black, Qt::Dense4Pattern);
            QImage image = b.image;
            if (b.mono && image.colorCount() == 2) {
                image.setColor(0, m_s.textColor.rgb());
                image.setColor(1, m_s.bkColor.rgb());
            }
            QBrush brush(image);
            // Patterns repeat in device pixels of the reference device, not in page units.
            const QTransform t = PageTransform();
            const double sx = std::hypot(t.m11(), t.m12()), sy = std::hypot(t.m21(), t.m22());
            if (sx > 0 && sy > 0)
                brush.setTransform(QTransform::fromScale(1 / sx, 1 / sy));
            return brush;
        }
        if (b.style == BS_HATCHED) {
            static const Qt::BrushStyle hatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
                                                     Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
            return QBrush(b.color, b.hatch < 6 ? hatches[b.hatch] : Qt::CrossPattern);
        }
        return QBrush(b.color);
    }
    bool InsideFrame() const { return (m_s.pen.style & PS_STYLE_MASK) == PS_INSIDEFRAME && m_s.pen.width > 1; }

    void Prepare(bool pen, bool brush)
    {
        m_p->setTransform(Full());
        m_p->setPen(pen ? MakePen() : QPen(Qt::NoPen));
        m_p->setBrush(brush ? MakeBrush() : QBrush(Qt::NoBrush));
    }
    // Draws path with pen and brush, or adds it to the path being built.
    void Shape(const QPainterPath &path, bool fill)
    {
        if (m_inPath) {
            m_path.addPath(path);
            return;
        }
        if (!m_p)
            return;
        Prepare(true, fill);
        QPainterPath p = path;
        p.setFillRule(m_s.polyFill == 2 ? Qt::WindingFill : Qt::OddEvenFill);
        m_p->drawPath(p);
    }

    static QRectF Box(const TRecordView &r, uint32_t off)
    {
        return QRectF(QPointF(r.I32(off), r.I32(off + 4)), QPointF(r.I32(off + 8), r.I32(off + 12))).normalized();
    }
    QRectF Framed(QRectF box) const
    {
        if (InsideFrame()) {
            const double h = m_s.pen.width / 2;
            box.adjust(h, h, -h, -h);
        }
        return box;
    }
    static QPointF Pt(const TRecordView &r, uint32_t off) { return QPointF(r.I32(off), r.I32(off + 4)); }

    QPolygonF Points(const TRecordView &r, uint32_t off, uint32_t count, bool small) const
    {
        QPolygonF poly;
        const uint32_t step = small ? 4 : 8;
        if (!r.HasBytes(off, uint64_t(count) * step))
            return poly;
        poly.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t o = off + i * step;
            poly.append(small ? QPointF(r.I16(o), r.I16(o + 2)) : QPointF(r.I32(o), r.I32(o + 4)));
        }
        return poly;
    }

    // Points of the arc of box from the ray through a to the ray through b, in the arc direction.
    QPolygonF ArcPoints(const QRectF &box, QPointF a, QPointF b) const
    {
        const QPointF c = box.center();
        const double rx = box.width() / 2, ry = box.height() / 2;
        QPolygonF out;
        if (rx <= 0 || ry <= 0)
            return out;
        const double t0 = std::atan2((a.y() - c.y()) / ry, (a.x() - c.x()) / rx);
        const double t1 = std::atan2((b.y() - c.y()) / ry, (b.x() - c.x()) / rx);
        const bool ccw = m_s.arcDirection != 2;
        const double dir = ccw == YUp() ? 1 : -1;
        double sweep = dir * (t1 - t0);
        while (sweep <= 1e-9)
            sweep += 2 * M_PI;
        const int n = std::max(8, int(sweep / (2 * M_PI) * 96));
        for (int i = 0; i <= n; ++i) {
            const double t = t0 + dir * sweep * i / n;
            out.append(QPointF(c.x() + rx * std::cos(t), c.y() + ry * std::sin(t)));
        }
        return out;
    }

    void SelectObject(uint32_t index)
    {
        if (index & kStockObject) {
            switch (index & ~kStockObject) {
            case 0: m_s.brush = TBrushState(BS_SOLID, Qt::white); break;
            case 1: m_s.brush = TBrushState(BS_SOLID, QColor(192, 192, 192)); break;
            case 2: m_s.brush = TBrushState(BS_SOLID, QColor(128, 128, 128)); break;
            case 3: m_s.brush = TBrushState(BS_SOLID, QColor(64, 64, 64)); break;
            case 4: m_s.brush = TBrushState(BS_SOLID, Qt::black); break;
            case 5: m_s.brush = TBrushState(BS_NULL, Qt::white); break;
            case 6: m_s.pen = {PS_SOLID, 0, Qt::white}; break;
            case 7: m_s.pen = {PS_SOLID, 0, Qt::black}; break;
            case 8: m_s.pen = {PS_NULL, 0, Qt::black}; break;
            case 0xA: case 0xB: case 0xC: case 0xD: case 0xE: case 0x10: case 0x11:
                m_s.font = TLogFont{};
                m_s.font.height = 0;
                break;
            default: break;
            }
            return;
        }
        if (index >= m_objects.size())
            return;
        const TObject &o = m_objects[index];
        switch (o.kind) {
        case TObject::Kind::Pen: m_s.pen = o.pen; break;
        case TObject::Kind::Brush: m_s.brush = o.brush; break;
        case TObject::Kind::Font: m_s.font = o.font; break;
        default: break;
        }
    }
    TObject *Slot(uint32_t index)
    {
        if (index == 0 || index >= 65536)
            return nullptr;
        if (index >= m_objects.size())
            m_objects.resize(index + 1);
        return &m_objects[index];
    }

    void Text(int index, const TRecordView &r);
    void Bitmap(const TRecordView &r, int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t xs, int32_t ys,
                int32_t cxs, int32_t cys, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits, uint32_t cbBits,
                uint32_t rop);
    void Play(int index, const TRecordView &r);

    const TMetafile &m_mf;
    QPainter *m_p;
    QTransform m_deviceToTarget, m_base;
    bool m_hadClip = false;
    QPainterPath m_baseClip; // in painter device coordinates
    double m_pxPerMmX = 1, m_pxPerMmY = 1;
    TState m_s;
    std::vector<TState> m_stack;
    int m_saved = 0;
    std::vector<TObject> m_objects;
    bool m_inPath = false;
    QPainterPath m_path;
};

void TPlayer::Text(int index, const TRecordView &r)
{
    const bool wide = r.type == EMR_EXTTEXTOUTW;
    const uint32_t chars = r.U32(44), offString = r.U32(48), options = r.U32(52);
    const uint32_t offDx = r.U32((options & ETO_NO_RECT) ? 56 : 72);
    QPointF ref = Pt(r, 36);
    const bool updateCp = m_s.textAlign & TA_UPDATECP;
    if (updateCp)
        ref = m_s.current;
    if (!r.HasBytes(offString, uint64_t(chars) * (wide ? 2 : 1)))
        return;
    QString text;
    if (wide) {
        text = r.Utf16(offString, chars);
    } else {
        QStringDecoder decode("Windows-1252");
        text = decode(QByteArrayView(reinterpret_cast<const char *>(r.data + offString), chars));
        if (text.size() != qsizetype(chars))
            text = QString::fromLatin1(reinterpret_cast<const char *>(r.data + offString), chars);
    }
    const bool glyphs = options & ETO_GLYPH_INDEX;
    const TLogFont &f = m_s.font;
    const pdf::TFontFace *face = f.Face();
    // A height of 0 asks for the default size, about 12 pixels or 10 points.
    double em = face ? face->EmForHeight(f.height) : std::abs(double(f.height));
    if (f.height == 0)
        em = m_s.map.mapMode == MM_TEXT ? 16 : 35;
    std::vector<double> dx(chars, 0);
    const bool pdy = options & ETO_PDY;
    if (offDx && chars && r.HasBytes(offDx, uint64_t(chars) * 4 * (pdy ? 2 : 1))) {
        for (uint32_t i = 0; i < chars; ++i)
            dx[i] = r.I32(offDx + i * 4 * (pdy ? 2 : 1));
    } else if (face && !glyphs) {
        for (uint32_t i = 0; i < chars; ++i)
            dx[i] = face->Advance(text[i].unicode(), em);
    }
    double width = 0;
    for (double d : dx)
        width += d;

    double ascent = em * 0.905, descent = em * 0.212;
    if (face) {
        const pdf::TFontMetrics &m = face->Metrics();
        ascent = em * m.winAscent / m.unitsPerEm;
        descent = em * m.winDescent / m.unitsPerEm;
    }
    const uint32_t h = m_s.textAlign & TA_HMASK, v = m_s.textAlign & TA_VMASK;
    const double x0 = h == TA_CENTER ? -width / 2 : h == TA_RIGHT ? -width : 0;
    const double baseline = v == TA_BASELINE ? 0 : v == TA_BOTTOM ? -descent : ascent; // local, y down
    const bool yUp = YUp();
    const double angle = f.escapement / 10.0;
    QTransform local;
    local.translate(ref.x(), ref.y());
    local.rotate(yUp ? angle : -angle);
    if (yUp)
        local.scale(1, -1);
    if (updateCp) {
        const double a = angle * M_PI / 180;
        m_s.current = ref + QPointF(width * std::cos(a), (yUp ? 1 : -1) * width * std::sin(a));
    }

    const QRectF localBox(x0, baseline - ascent, width, ascent + descent);
    if (onText && !glyphs)
        onText(index, text, (local * PageTransform()).map(QPolygonF(localBox)));
    if (!m_p)
        return;

    const QTransform toTarget = local * Full();
    // The largest and smallest stretch of the transform (singular values of its linear part):
    // a foreign file may squeeze one axis and blow up the other.
    const double e = (toTarget.m11() + toTarget.m22()) / 2, fq = (toTarget.m11() - toTarget.m22()) / 2;
    const double g = (toTarget.m21() + toTarget.m12()) / 2, hq = (toTarget.m21() - toTarget.m12()) / 2;
    const double q = std::hypot(e, hq), rq = std::hypot(fq, g);
    const double emMax = em * (q + rq), emMin = em * std::abs(q - rq);
    // Glyphs too small to see or larger than any page are not drawn (hostile files).
    if (!(emMax > 0.05 && emMax < 20000))
        return;
    // The raster engine caches glyph bitmaps by the transform's mean scale, and a glyph
    // stretched along one axis overflows that cache; such glyphs are filled as outlines.
    // Other devices (PDF, printers) keep text as text.
    const bool asOutlines = m_p->paintEngine() && m_p->paintEngine()->type() == QPaintEngine::Raster &&
                            (emMax > 1024 || (emMax > 48 && emMax > 4 * emMin));
    m_p->setTransform(PageTransform() * m_deviceToTarget * m_base);
    if (options & ETO_OPAQUE) {
        const QRectF rect = Box(r, 56);
        if (!(options & ETO_NO_RECT))
            m_p->fillRect(rect, m_s.bkColor);
    }
    if (chars == 0)
        return;
    m_p->save();
    if ((options & ETO_CLIPPED) && !(options & ETO_NO_RECT))
        m_p->setClipRect(Box(r, 56), Qt::IntersectClip);
    m_p->setTransform(toTarget);
    if (m_s.bkMode == OPAQUE)
        m_p->fillRect(localBox, m_s.bkColor);
    if (face) {
        const QRawFont raw = RawFont(face, em);
        if (raw.isValid()) {
            QList<quint32> indexes;
            if (glyphs) {
                indexes.reserve(qsizetype(chars));
                for (uint32_t i = 0; i < chars; ++i)
                    indexes.append(text[i].unicode());
            } else {
                indexes = raw.glyphIndexesForString(text);
            }
            QList<QPointF> positions;
            positions.reserve(indexes.size());
            double x = x0;
            for (qsizetype i = 0; i < indexes.size(); ++i) {
                positions.append(QPointF(x, baseline));
                x += i < qsizetype(dx.size()) ? dx[size_t(i)] : 0;
            }
            if (asOutlines) {
                QPainterPath outlines;
                for (qsizetype i = 0; i < indexes.size(); ++i)
                    outlines.addPath(raw.pathForGlyph(indexes[i]).translated(positions[i]));
                m_p->fillPath(outlines, m_s.textColor);
            } else {
                QGlyphRun run;
                run.setRawFont(raw);
                run.setGlyphIndexes(indexes);
                run.setPositions(positions);
                m_p->setPen(m_s.textColor);
                m_p->drawGlyphRun(QPointF(0, 0), run);
            }
        }
        if (f.underline || f.strikeOut) {
            const pdf::TFontMetrics &m = face->Metrics();
            const double thick = std::max(em * m.underlineThickness / m.unitsPerEm, em / 20);
            if (f.underline)
                m_p->fillRect(QRectF(x0, baseline - em * m.underlinePosition / m.unitsPerEm - thick / 2, width, thick), m_s.textColor);
            if (f.strikeOut)
                m_p->fillRect(QRectF(x0, baseline - em * m.xHeight / m.unitsPerEm / 2 - thick / 2, width, thick), m_s.textColor);
        }
    }
    m_p->restore();
}

void TPlayer::Bitmap(const TRecordView &r, int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t xs, int32_t ys,
                     int32_t cxs, int32_t cys, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits, uint32_t cbBits,
                     uint32_t rop)
{
    if (!m_p)
        return;
    const QTransform full = Full();
    const QPointF p1 = full.map(QPointF(x, y)), p2 = full.map(QPointF(double(x) + cx, double(y) + cy));
    const QRectF dest = QRectF(p1, p2).normalized();
    if (cbBmi == 0 || cbBits == 0) {
        // Pattern-only operations paint the destination without a source.
        QColor fill;
        if (rop == 0x00F00021 && m_s.brush.style != BS_NULL) fill = m_s.brush.color;
        else if (rop == 0x00000042) fill = Qt::black;
        else if (rop == 0x00FF0062) fill = Qt::white;
        if (fill.isValid()) {
            m_p->resetTransform();
            m_p->fillRect(dest, fill);
        }
        return;
    }
    if (!r.HasBytes(offBmi, cbBmi) || !r.HasBytes(offBits, cbBits) || cbBmi < 12)
        return;
    QImage image = DibImage(r, offBmi, cbBmi, offBits, cbBits);
    if (image.isNull())
        return;
    // Source rows count from the bottom of a bottom-up picture.
    const bool bottomUp = r.I32(offBmi + 8) > 0 || r.U32(offBmi) == 12;
    // In 64 bits: the file's numbers may be anything.
    const long long w = std::llabs(cxs), h = std::llabs(cys);
    const long long top = bottomUp ? image.height() - (long long)ys - h : ys;
    const QRect limit = image.rect();
    auto clampTo = [](long long v, long long lo, long long hi) { return int(std::clamp(v, lo, hi)); };
    const int left = clampTo(xs, 0, limit.width()), right = clampTo((long long)xs + w, 0, limit.width());
    const int y0 = clampTo(top, 0, limit.height()), y1 = clampTo(top + h, 0, limit.height());
    QRect source(QPoint(left, y0), QPoint(right - 1, y1 - 1));
    if (cxs == 0 || cys == 0)
        source = image.rect();
    if (source.isEmpty())
        return;
    QImage part = image.copy(source);
    const bool flipX = (p2.x() < p1.x()) != (cxs < 0), flipY = (p2.y() < p1.y()) != (cys < 0);
    if (flipX || flipY)
        part = part.mirrored(flipX, flipY);
    m_p->resetTransform();
    m_p->drawImage(dest, part);
}

void TPlayer::Play(int index, const TRecordView &r)
{
    switch (r.type) {
    case EMR_SETMAPMODE:
    case EMR_SETWINDOWEXTEX:
    case EMR_SETWINDOWORGEX:
    case EMR_SETVIEWPORTEXTEX:
    case EMR_SETVIEWPORTORGEX:
    case EMR_SETWORLDTRANSFORM:
    case EMR_MODIFYWORLDTRANSFORM: m_s.map.Apply(r); break;
    case EMR_SETBKMODE: m_s.bkMode = r.U32(8); break;
    case EMR_SETPOLYFILLMODE: m_s.polyFill = r.U32(8); break;
    case EMR_SETTEXTALIGN: m_s.textAlign = r.U32(8); break;
    case EMR_SETTEXTCOLOR: m_s.textColor = FromColorRef(r.U32(8)); break;
    case EMR_SETBKCOLOR: m_s.bkColor = FromColorRef(r.U32(8)); break;
    case EMR_SETARCDIRECTION: m_s.arcDirection = r.U32(8); break;
    case EMR_MOVETOEX:
        m_s.current = Pt(r, 8);
        if (m_inPath)
            m_path.moveTo(m_s.current);
        break;
    case EMR_LINETO: {
        const QPointF to = Pt(r, 8);
        if (m_inPath) {
            if (m_path.elementCount() == 0)
                m_path.moveTo(m_s.current);
            m_path.lineTo(to);
        } else if (m_p) {
            Prepare(true, false);
            m_p->drawLine(m_s.current, to);
        }
        m_s.current = to;
        break;
    }
    case EMR_SAVEDC:
        m_stack.push_back(m_s);
        if (m_p) {
            m_p->save();
            ++m_saved;
        }
        break;
    case EMR_RESTOREDC: {
        const int32_t n = r.I32(8);
        // Only relative restores that stay inside the stack are honoured.
        if (n < 0 && size_t(-int64_t(n)) <= m_stack.size()) {
            for (int32_t i = 0; i < -n; ++i) {
                m_s = m_stack.back();
                m_stack.pop_back();
                if (m_p && m_saved > 0) {
                    m_p->restore();
                    --m_saved;
                }
            }
        }
        break;
    }
    case EMR_SELECTOBJECT: SelectObject(r.U32(8)); break;
    case EMR_DELETEOBJECT:
        if (r.U32(8) < m_objects.size())
            m_objects[r.U32(8)] = TObject{};
        break;
    case EMR_CREATEPEN:
        if (TObject *o = Slot(r.U32(8))) {
            o->kind = TObject::Kind::Pen;
            o->pen = {r.U32(12), double(r.I32(16)), FromColorRef(r.U32(24))};
        }
        break;
    case EMR_EXTCREATEPEN:
        if (TObject *o = Slot(r.U32(8))) {
            o->kind = TObject::Kind::Pen;
            const uint32_t style = r.U32(28);
            const bool geometric = style & PS_GEOMETRIC;
            o->pen = {r.U32(36) == BS_NULL ? PS_NULL : style, geometric ? double(r.U32(32)) : 0, FromColorRef(r.U32(40))};
        }
        break;
    case EMR_CREATEBRUSHINDIRECT:
        if (TObject *o = Slot(r.U32(8))) {
            o->kind = TObject::Kind::Brush;
            o->brush = TBrushState(r.U32(12), FromColorRef(r.U32(16)), r.U32(20));
        }
        break;
    case EMR_CREATEMONOBRUSH:
    case EMR_CREATEDIBPATTERNBRUSHPT:
        if (TObject *o = Slot(r.U32(8))) {
            o->kind = TObject::Kind::Brush;
            o->brush = TBrushState{};
            o->brush.pattern = true;
            o->brush.mono = r.type == EMR_CREATEMONOBRUSH;
            o->brush.image = DibImage(r, r.U32(16), r.U32(20), r.U32(24), r.U32(28));
            if (o->brush.image.width() > 256 || o->brush.image.height() > 256)
                o->brush.image = QImage(); // a pattern, not a picture
        }
        break;
    case EMR_EXTCREATEFONTINDIRECTW:
        if (TObject *o = Slot(r.U32(8))) {
            o->kind = TObject::Kind::Font;
            TLogFont &f = o->font;
            f.height = r.I32(12);
            f.width = r.I32(16);
            f.escapement = r.I32(20);
            f.orientation = r.I32(24);
            f.weight = r.I32(28);
            f.italic = r.U8(32);
            f.underline = r.U8(33);
            f.strikeOut = r.U8(34);
            f.charSet = r.U8(35);
            QString face = r.Utf16(40, 32);
            if (const qsizetype nul = face.indexOf(QChar(0)); nul >= 0)
                face.truncate(nul);
            f.faceName = face;
        }
        break;
    case EMR_RECTANGLE: {
        QPainterPath path;
        path.addRect(Framed(Box(r, 8)));
        Shape(path, true);
        break;
    }
    case EMR_ELLIPSE: {
        QPainterPath path;
        path.addEllipse(Framed(Box(r, 8)));
        Shape(path, true);
        break;
    }
    case EMR_ROUNDRECT: {
        QPainterPath path;
        path.addRoundedRect(Framed(Box(r, 8)), std::abs(double(r.I32(24))) / 2, std::abs(double(r.I32(28))) / 2);
        Shape(path, true);
        break;
    }
    case EMR_ARC: case EMR_CHORD: case EMR_PIE: case EMR_ARCTO: {
        const QRectF box = Framed(Box(r, 8));
        const QPolygonF arc = ArcPoints(box, Pt(r, 24), Pt(r, 32));
        if (arc.isEmpty())
            break;
        QPainterPath path;
        if (r.type == EMR_ARCTO) {
            path.moveTo(m_s.current);
            path.lineTo(arc.first());
        } else if (r.type == EMR_PIE) {
            path.moveTo(box.center());
            path.lineTo(arc.first());
        } else {
            path.moveTo(arc.first());
        }
        for (const QPointF &p : arc)
            path.lineTo(p);
        if (r.type == EMR_CHORD || r.type == EMR_PIE)
            path.closeSubpath();
        if (r.type == EMR_ARCTO)
            m_s.current = arc.last();
        Shape(path, r.type == EMR_CHORD || r.type == EMR_PIE);
        break;
    }
    case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIER: case EMR_POLYLINETO: case EMR_POLYBEZIERTO:
    case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYBEZIER16: case EMR_POLYLINETO16:
    case EMR_POLYBEZIERTO16: {
        const bool small = r.type >= EMR_POLYBEZIER16;
        const uint32_t base = small ? r.type - EMR_POLYBEZIER16 + EMR_POLYBEZIER : r.type;
        QPolygonF pts = Points(r, 28, r.U32(24), small);
        if (pts.isEmpty())
            break;
        QPainterPath path;
        const bool to = base == EMR_POLYLINETO || base == EMR_POLYBEZIERTO;
        if (to)
            pts.prepend(m_s.current);
        path.moveTo(pts[0]);
        if (base == EMR_POLYBEZIER || base == EMR_POLYBEZIERTO) {
            for (qsizetype i = 1; i + 2 < pts.size(); i += 3)
                path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
        } else {
            for (qsizetype i = 1; i < pts.size(); ++i)
                path.lineTo(pts[i]);
        }
        if (base == EMR_POLYGON)
            path.closeSubpath();
        if (to)
            m_s.current = pts.last();
        if (m_inPath && to && m_path.elementCount() > 0) {
            // Continues the current figure.
            for (qsizetype i = 1; i < pts.size(); ++i)
                m_path.lineTo(pts[i]);
            break;
        }
        Shape(path, base == EMR_POLYGON);
        break;
    }
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16: {
        const bool small = r.type == EMR_POLYPOLYLINE16 || r.type == EMR_POLYPOLYGON16;
        const bool polygon = r.type == EMR_POLYPOLYGON || r.type == EMR_POLYPOLYGON16;
        const uint32_t polys = r.U32(24), total = r.U32(28);
        const QPolygonF all = Points(r, 32 + 4 * polys, total, small);
        if (all.isEmpty())
            break;
        QPainterPath path;
        qsizetype at = 0;
        for (uint32_t i = 0; i < polys; ++i) {
            const uint32_t n = r.U32(32 + 4 * i);
            if (n == 0 || at + n > all.size())
                break;
            path.moveTo(all[at]);
            for (uint32_t k = 1; k < n; ++k)
                path.lineTo(all[at + k]);
            if (polygon)
                path.closeSubpath();
            at += n;
        }
        Shape(path, polygon);
        break;
    }
    case EMR_BEGINPATH:
        m_inPath = true;
        m_path = QPainterPath();
        break;
    case EMR_ENDPATH: m_inPath = false; break;
    case EMR_ABORTPATH:
        m_inPath = false;
        m_path = QPainterPath();
        break;
    case EMR_CLOSEFIGURE:
        if (m_inPath)
            m_path.closeSubpath();
        break;
    case EMR_FILLPATH: case EMR_STROKEPATH: case EMR_STROKEANDFILLPATH:
        if (m_p && !m_path.isEmpty()) {
            Prepare(r.type != EMR_FILLPATH, r.type != EMR_STROKEPATH);
            QPainterPath p = m_path;
            p.setFillRule(m_s.polyFill == 2 ? Qt::WindingFill : Qt::OddEvenFill);
            m_p->drawPath(p);
        }
        m_path = QPainterPath();
        break;
    case EMR_SELECTCLIPPATH:
        if (m_p && !m_path.isEmpty()) {
            m_p->setTransform(Full());
            m_p->setClipPath(m_path, r.U32(8) == 5 || !m_p->hasClipping() ? Qt::ReplaceClip : Qt::IntersectClip);
        }
        m_path = QPainterPath();
        break;
    case EMR_INTERSECTCLIPRECT:
        if (m_p) {
            m_p->setTransform(Full());
            m_p->setClipRect(Box(r, 8), m_p->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
        }
        break;
    case EMR_EXTSELECTCLIPRGN:
        if (m_p) {
            const uint32_t cb = r.U32(8), mode = r.U32(12);
            QPainterPath region;
            if (cb >= 32 && r.HasBytes(16, cb)) {
                const uint32_t count = r.U32(16 + 8);
                for (uint32_t i = 0; i < count && r.HasBytes(48 + uint64_t(i) * 16, 16); ++i)
                    region.addRect(Box(r, 48 + i * 16));
            }
            m_p->resetTransform();
            if (cb == 0 || mode == 5) {
                if (m_hadClip)
                    m_p->setClipPath(m_baseClip);
                else
                    m_p->setClipping(false);
            }
            if (cb) {
                const QPainterPath target = (m_deviceToTarget * m_base).map(region);
                m_p->setClipPath(target, m_p->hasClipping() && mode != 5 ? Qt::IntersectClip : Qt::ReplaceClip);
            }
        }
        break;
    case EMR_EXTTEXTOUTA: case EMR_EXTTEXTOUTW: Text(index, r); break;
    case EMR_STRETCHDIBITS:
        Bitmap(r, r.I32(24), r.I32(28), r.I32(72), r.I32(76), r.I32(32), r.I32(36), r.I32(40), r.I32(44),
               r.U32(48), r.U32(52), r.U32(56), r.U32(60), r.U32(68));
        break;
    case EMR_BITBLT:
        Bitmap(r, r.I32(24), r.I32(28), r.I32(32), r.I32(36), r.I32(44), r.I32(48), r.I32(32), r.I32(36),
               r.U32(84), r.U32(88), r.U32(92), r.U32(96), r.U32(40));
        break;
    case EMR_STRETCHBLT:
        Bitmap(r, r.I32(24), r.I32(28), r.I32(32), r.I32(36), r.I32(44), r.I32(48), r.I32(100), r.I32(104),
               r.U32(84), r.U32(88), r.U32(92), r.U32(96), r.U32(40));
        break;
    default:
        break; // not drawn: palettes, colour management, EMF+ comments, escapes...
    }
}

} // namespace

QString THotSpot::Kind() const { return action.section(QLatin1Char(';'), 0, 0).trimmed().toUpper(); }

QString THotSpot::Target() const { return action.section(QLatin1Char(';'), 1, 1); }

QPointF PixelsPerMm(const TReferenceDevice &d)
{
    const QSizeF mm = d.micrometers.isEmpty() ? QSizeF(d.millimeters) : QSizeF(d.micrometers) / 1000.0;
    return QPointF(mm.width() > 0 ? d.pixels.width() / mm.width() : 1, mm.height() > 0 ? d.pixels.height() / mm.height() : 1);
}

bool TEmfMapping::Apply(const TRecordView &r)
{
    switch (r.type) {
    case EMR_SETMAPMODE: mapMode = r.U32(8); return true;
    case EMR_SETWINDOWEXTEX: winExt = QSizeF(r.I32(8), r.I32(12)); return true;
    case EMR_SETWINDOWORGEX: winOrg = QPointF(r.I32(8), r.I32(12)); return true;
    case EMR_SETVIEWPORTEXTEX: vpExt = QSizeF(r.I32(8), r.I32(12)); return true;
    case EMR_SETVIEWPORTORGEX: vpOrg = QPointF(r.I32(8), r.I32(12)); return true;
    case EMR_SETWORLDTRANSFORM:
        world = QTransform(r.F32(8), r.F32(12), r.F32(16), r.F32(20), r.F32(24), r.F32(28));
        return true;
    case EMR_MODIFYWORLDTRANSFORM: {
        const QTransform x(r.F32(8), r.F32(12), r.F32(16), r.F32(20), r.F32(24), r.F32(28));
        switch (r.U32(32)) {
        case 1: world = QTransform(); break;
        case 2: world = x * world; break;
        case 3: world = world * x; break;
        case 4: world = x; break;
        default: break;
        }
        return true;
    }
    default: return false;
    }
}

QTransform TEmfMapping::PageTransform(double pxPerMmX, double pxPerMmY) const
{
    double sx = 1, sy = 1;
    auto fixed = [&](double unitsPerMm) {
        sx = pxPerMmX / unitsPerMm;
        sy = -pxPerMmY / unitsPerMm;
    };
    switch (mapMode) {
    case MM_LOMETRIC: fixed(10); break;
    case MM_HIMETRIC: fixed(100); break;
    case MM_LOENGLISH: fixed(100 / 25.4); break;
    case MM_HIENGLISH: fixed(1000 / 25.4); break;
    case MM_TWIPS: fixed(1440 / 25.4); break;
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC:
        sx = winExt.width() ? vpExt.width() / winExt.width() : 1;
        sy = winExt.height() ? vpExt.height() / winExt.height() : 1;
        if (mapMode == MM_ISOTROPIC) {
            const double m = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(m, sx);
            sy = std::copysign(m, sy);
        }
        break;
    default: break;
    }
    const QTransform page(sx, 0, 0, sy, vpOrg.x() - winOrg.x() * sx, vpOrg.y() - winOrg.y() * sy);
    return world * page;
}

void PlayMetafile(QPainter &painter, const TMetafile &metafile, const QRectF &target)
{
    const QPointF pxPerMm = PixelsPerMm(metafile.Device());
    const double pxPerMmX = pxPerMm.x(), pxPerMmY = pxPerMm.y();
    const QRectF f = metafile.FrameExtent();
    const QRectF framePx(f.left() / 100.0 * pxPerMmX, f.top() / 100.0 * pxPerMmY, f.width() / 100.0 * pxPerMmX,
                         f.height() / 100.0 * pxPerMmY);
    QTransform deviceToTarget;
    deviceToTarget.translate(target.left(), target.top());
    deviceToTarget.scale(target.width() / framePx.width(), target.height() / framePx.height());
    deviceToTarget.translate(-framePx.left(), -framePx.top());
    TPlayer player(metafile, &painter, deviceToTarget);
    player.Run();
}

void PlayAtPhysicalSize(QPainter &painter, const TMetafile &metafile, double dpiX, double dpiY, const QPointF &origin)
{
    const QRectF f = metafile.FrameExtent();
    const QRectF target(origin, QSizeF(f.width() / 2540.0 * dpiX, f.height() / 2540.0 * dpiY));
    PlayMetafile(painter, metafile, target);
}

std::vector<TTextRun> TextRuns(const TMetafile &metafile)
{
    std::vector<TTextRun> runs;
    const TReferenceDevice &d = metafile.Device();
    const QSizeF mm = d.micrometers.isEmpty() ? QSizeF(d.millimeters) : QSizeF(d.micrometers) / 1000.0;
    const QRectF f = metafile.FrameExtent();
    // Device pixels to 0.1 mm from the frame's corner.
    const double kx = mm.width() > 0 ? 10 * mm.width() / d.pixels.width() : 1;
    const double ky = mm.height() > 0 ? 10 * mm.height() / d.pixels.height() : 1;
    TPlayer player(metafile, nullptr, QTransform());
    player.onText = [&](int index, const QString &text, const QPolygonF &poly) {
        const QRectF box = poly.boundingRect();
        runs.push_back(TTextRun{index, text,
                                QRectF(QPointF(box.left() * kx - f.left() / 10.0, box.top() * ky - f.top() / 10.0),
                                       QPointF(box.right() * kx - f.left() / 10.0, box.bottom() * ky - f.top() / 10.0))});
    };
    player.Run();
    return runs;
}

bool ParseHotSpot(const QString &text, THotSpot &out)
{
    if (text.size() < 25)
        return false;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = text.mid(i * 6, 6).trimmed().toInt(&ok);
        if (!ok)
            v[i] = 0;
    }
    out.rect = QRect(QPoint(v[0], v[1]), QPoint(v[2], v[3]));
    out.action = text.mid(24);
    return true;
}

std::vector<THotSpot> HotSpots(const TMetafile &metafile)
{
    std::vector<THotSpot> spots;
    for (int i = 0; i < metafile.RecordCount(); ++i) {
        const TRecordView r = metafile.Record(i);
        if (r.type != EMR_GDICOMMENT)
            continue;
        const uint32_t n = r.U32(8);
        if (n < 25 || !r.HasBytes(12, n))
            continue;
        const QByteArray data(reinterpret_cast<const char *>(r.data + 12), qsizetype(n));
        if (data.startsWith("EMF+") || data.startsWith("GDIC"))
            continue;
        // A hot-spot text starts with four number fields; other private data does not.
        bool numeric = true;
        for (int k = 0; k < 24 && numeric; ++k)
            numeric = data[k] == ' ' || data[k] == '-' || (data[k] >= '0' && data[k] <= '9');
        if (!numeric)
            continue;
        QString text = QString::fromLatin1(data);
        if (const qsizetype nul = text.indexOf(QChar(0)); nul >= 0)
            text.truncate(nul);
        THotSpot spot;
        if (ParseHotSpot(text, spot))
            spots.push_back(spot);
    }
    return spots;
}

} // namespace printout
