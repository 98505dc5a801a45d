#include "delivery/ExportWalk.h"

#include "printout/EmfFormat.h"
#include "printout/PageCanvas.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace delivery {

using namespace printout::emf;

// The default rounding mode rounds ties to even; the clamp keeps any recorded value convertible.
int RoundEven(double v) { return int(std::nearbyint(std::clamp(v, -2e9, 2e9))); }

QChar TEMRObject::Letter() const
{
    switch (align) {
    case 2:
    case 10:
    case 26: return QLatin1Char('R');
    case 6:
    case 14:
    case 30: return QLatin1Char('C');
    default: return QLatin1Char('L');
    }
}

namespace {

TEmrFont FontOf(const TRecordView &r)
{
    TEmrFont f;
    QString face = r.Utf16(40, 32);
    if (const qsizetype nul = face.indexOf(QChar(0)); nul >= 0)
        face.truncate(nul);
    if (!face.isEmpty())
        f.face = face;
    f.weight = r.I32(28);
    f.italic = r.U8(32) != 0;
    f.underline = r.U8(33) != 0;
    const int height = r.I32(12);
    if (height < 0) {
        f.size = Points(-double(height));
    } else if (height > 0) {
        // A cell height: the em the page was drawn with, so that widths match the page.
        printout::TLogFont logical;
        logical.height = height;
        logical.faceName = f.face;
        logical.weight = f.weight;
        logical.italic = f.italic;
        f.size = Points(logical.EmHeight());
    }
    return f;
}

TEmrPen PenOf(const TRecordView &r)
{
    TEmrPen p;
    const bool ext = r.type == EMR_EXTCREATEPEN;
    const uint32_t style = ext ? r.U32(28) : r.U32(12);
    p.present = (style & PS_STYLE_MASK) != PS_NULL;
    p.width = ext ? int(r.U32(32)) : r.I32(16);
    p.color = ext ? r.U32(40) : r.U32(24);
    return p;
}

TEmrBrush BrushOf(const TRecordView &r)
{
    TEmrBrush b;
    b.color = (r.U32(12) & 0xFF) == BS_NULL ? kNoColor : (r.U32(16) & 0xFFFFFF);
    return b;
}

QString TextOf(const TRecordView &r)
{
    const uint32_t chars = r.U32(44), off = r.U32(48);
    if (r.U32(52) & ETO_GLYPH_INDEX)
        return {}; // glyph numbers, not characters
    if (r.type == EMR_EXTTEXTOUTW)
        return r.Utf16(off, chars);
    if (r.HasBytes(off, chars))
        return QString::fromLatin1(reinterpret_cast<const char *>(r.data + off), qsizetype(chars));
    return {};
}

} // namespace

TPageWalk::TPageWalk(const printout::TMetafile &metafile, QSize sheetPx)
{
    struct TCreated {
        uint32_t type;
        TEmrFont font;
        TEmrPen pen;
        TEmrBrush brush;
    };
    std::map<uint32_t, TCreated> created; // handle -> the object its last creating record made
    uint32_t align = 0, textColor = 0;
    TEmrFont font;
    bool hasFont = false;
    TEmrPen pen{true, 0, 0}; // the default pen is black
    TEmrBrush brush;
    QPoint current;
    m_records.reserve(size_t(metafile.RecordCount()));
    for (int i = 0; i < metafile.RecordCount(); ++i) {
        const TRecordView r = metafile.Record(i);
        TEMRObject e;
        e.index = i;
        e.type = r.type;
        bool other = false, body = false;
        switch (r.type) {
        case EMR_SETTEXTALIGN: align = r.U32(8); break;
        case EMR_SETTEXTCOLOR: textColor = r.U32(8) & 0xFFFFFF; break;
        case EMR_MOVETOEX: current = QPoint(r.I32(8), r.I32(12)); break;
        case EMR_LINETO: {
            const QPoint to(r.I32(8), r.I32(12));
            e.rect.setCoords(current.x(), current.y(), to.x(), to.y());
            e.ref = current;
            current = to;
            other = true;
            break;
        }
        case EMR_ELLIPSE:
        case EMR_RECTANGLE:
        case EMR_ROUNDRECT:
        case EMR_ARC:
            e.rect.setCoords(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
            if (r.type == EMR_ROUNDRECT)
                e.corner = QSize(r.I32(24), r.I32(28));
            other = true;
            break;
        case EMR_CREATEPEN:
        case EMR_EXTCREATEPEN: created[r.U32(8)] = {r.type, {}, PenOf(r), {}}; break;
        case EMR_CREATEBRUSHINDIRECT: created[r.U32(8)] = {r.type, {}, {}, BrushOf(r)}; break;
        case EMR_EXTCREATEFONTINDIRECTW: created[r.U32(8)] = {r.type, FontOf(r), {}, {}}; break;
        case EMR_SELECTOBJECT: {
            const uint32_t handle = r.U32(8);
            if (handle & kStockObject) {
                switch (handle) {
                case 0x80000000u: brush.color = 0xFFFFFF; break;
                case 0x80000001u: brush.color = 0xC0C0C0; break;
                case 0x80000002u: brush.color = 0x808080; break;
                case 0x80000003u: brush.color = 0x404040; break;
                case 0x80000004u: brush.color = 0x000000; break;
                case kNullBrush: brush.color = kNoColor; break;
                case kWhitePen: pen = {true, 0, 0xFFFFFF}; break;
                case kBlackPen: pen = {true, 0, 0}; break;
                case kNullPen: pen = {}; break;
                default: break;
                }
            } else if (auto found = created.find(handle); found != created.end()) {
                if (found->second.type == EMR_EXTCREATEFONTINDIRECTW) {
                    font = found->second.font;
                    hasFont = true;
                } else if (found->second.type == EMR_CREATEBRUSHINDIRECT) {
                    brush = found->second.brush;
                } else {
                    pen = found->second.pen;
                }
            }
            break;
        }
        case EMR_EXTTEXTOUTW:
        case EMR_EXTTEXTOUTA:
            e.rect.setCoords(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
            e.ref = QPoint(r.I32(36), r.I32(40));
            e.text = TextOf(r);
            e.align = align;
            e.font = font;
            e.font.color = textColor; // white on a dark box must stay readable
            e.hasFont = hasFont;
            body = e.ref.y() < 0 && e.ref.y() > -sheetPx.height();
            other = !body;
            break;
        default: break;
        }
        e.pen = pen;
        e.brush = brush;
        m_records.push_back(std::move(e));
        if (body)
            m_body.push_back(&m_records.back());
        else if (other)
            m_other.push_back(&m_records.back());
    }
    // The pointers above stay valid: the vector was reserved for every record.
    std::stable_sort(m_body.begin(), m_body.end(), [](const TEMRObject *a, const TEMRObject *b) {
        return a->ref.y() != b->ref.y() ? a->ref.y() > b->ref.y() : a->ref.x() < b->ref.x();
    });
    for (const TEMRObject *run : m_body) {
        if (m_lines.empty() || m_lines.back().y != run->ref.y())
            m_lines.push_back({run->ref.y(), {}, {}});
        TEmrLine &line = m_lines.back();
        line.runs.push_back(run);
        if (run->ref.x() != 64)
            line.layout += run->Letter() + QStringLiteral("%1;").arg(qint64(run->ref.x()) - 64, 5, 10, QLatin1Char('0'));
        auto at = std::lower_bound(m_columns.begin(), m_columns.end(), run->ref.x(),
                                   [](const TEmrColumn &c, int x) { return c.x < x; });
        if (at == m_columns.end() || at->x != run->ref.x())
            m_columns.insert(at, {run->ref.x(), run->Letter()});
    }
}

int TPageWalk::ColumnOf(int x) const
{
    auto at = std::lower_bound(m_columns.begin(), m_columns.end(), x, [](const TEmrColumn &c, int v) { return c.x < v; });
    return at != m_columns.end() && at->x == x ? int(at - m_columns.begin()) : -1;
}

QString XmlSafe(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                out += text[i];
                out += text[++i];
            }
            continue;
        }
        if (QChar::isLowSurrogate(c))
            continue;
        if ((c < 0x20 && c != 0x09 && c != 0x0A && c != 0x0D) || c == 0xFFFE || c == 0xFFFF)
            continue;
        out += QChar(c);
    }
    return out;
}

} // namespace delivery
