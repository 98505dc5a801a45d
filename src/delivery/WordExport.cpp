#include "delivery/WordExport.h"

#include "delivery/DocumentExport.h"
#include "printout/EmfFormat.h"
#include "printout/Printer.h"

#include <QFile>
#include <QXmlStreamWriter>

#include <zip.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace delivery {

using namespace printout::emf;

namespace {

// Font size as typed: 8 points for a font of no height.
double SizeOf(const TEmrFont &f) { return f.size > 0 ? f.size : 8; }

// The line height the placement counts with, in 0.1 mm.
int HeightOf(const TEmrFont &f) { return std::clamp(RoundEven(SizeOf(f) / 0.28), 1, 100000); }

int MarginPoints(int hundredthsMm) { return RoundEven(hundredthsMm / 1000.0 * 72.0 / 2.54); }

int Twips(double points) { return int(std::lround(points * 20)); }

// How far (0.1 mm) a run may start from the end of the one before it and still continue it.
constexpr double kJoinSlack = 2;

// Where a text run ends on the page (0.1 mm, as its reference point), from the advances its
// record carries; its bounds are in device pixels and only the advances are in page units.
std::optional<double> EndOf(const printout::TMetafile &metafile, const TEMRObject &run)
{
    if (run.index < 0 || run.index >= metafile.RecordCount())
        return std::nullopt;
    const TRecordView r = metafile.Record(run.index);
    const uint64_t chars = r.U32(44), offDx = r.U32(72);
    const uint64_t stride = (r.U32(52) & ETO_PDY) ? 8 : 4;
    if (chars == 0 || offDx == 0 || !r.HasBytes(offDx, chars * stride))
        return std::nullopt;
    double width = 0;
    for (uint64_t i = 0; i < chars; ++i)
        width += r.I32(uint32_t(offDx + i * stride));
    const QChar letter = run.Letter();
    const double start = letter == QLatin1Char('R') ? run.ref.x() - width
                         : letter == QLatin1Char('C') ? run.ref.x() - width / 2
                                                      : run.ref.x();
    return start + width;
}

constexpr int kEmuPerPoint = 12700;

QString Rgb(uint32_t colorRef)
{
    return QStringLiteral("%1%2%3")
        .arg(colorRef & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((colorRef >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((colorRef >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
        .toUpper();
}

} // namespace

QString TWordParagraph::Text() const
{
    QString text;
    for (const TWordRun &r : runs)
        text += r.text;
    return text;
}

void TWordDocument::Begin(const printout::TReportMargins &margins, const printout::TMetafile &first)
{
    const QRectF frame = first.FrameExtent();
    m_width = RoundEven(frame.width() / 1000.0 * 72.0 / 2.54);
    m_height = RoundEven(frame.height() / 1000.0 * 72.0 / 2.54);
    m_top = MarginPoints(margins.top);
    m_left = MarginPoints(margins.left);
    m_right = MarginPoints(margins.right);
    m_paragraphs.clear();
    m_pages.clear();
}

void TWordDocument::NewParagraph()
{
    // A paragraph mark carries the paragraph's format and the typing font on.
    TWordParagraph next;
    next.tabs = Current().tabs;
    next.lineSpacing = Current().lineSpacing;
    next.markFont = m_hasFont ? m_font : Current().markFont;
    m_paragraphs.push_back(std::move(next));
}

void TWordDocument::AddPage(const TPageWalk &walk, QSize sheetPx, const printout::TMetafile &metafile)
{
    if (m_paragraphs.empty()) {
        m_paragraphs.emplace_back();
    } else {
        NewParagraph();
        Current().pageBreak = true;
    }
    TWordPage page;
    page.firstParagraph = m_paragraphs.size() - 1;

    qint64 position = 0;
    bool started = false;
    // Baselines less than half a line apart (columns of text side by side, drawn a little out
    // of step) share one paragraph: as two, each would take a whole line and push the page's
    // end onto another page.
    std::vector<TEmrLine> lines;
    for (const TEmrLine &line : walk.Lines()) {
        const int half = line.runs.empty() ? 0 : HeightOf(line.runs.front()->font) / 2;
        if (lines.empty() || qint64(lines.back().y) - line.y >= half) {
            lines.push_back(line);
            continue;
        }
        TEmrLine &into = lines.back();
        into.runs.insert(into.runs.end(), line.runs.begin(), line.runs.end());
        std::stable_sort(into.runs.begin(), into.runs.end(),
                         [](const TEMRObject *a, const TEMRObject *b) { return a->ref.x() < b->ref.x(); });
    }
    // A run drawn where the text before it ends (a word in italics inside a sentence) goes on
    // typing that text: a tab stop of its own, with no slack, would send it to the next stop
    // whenever the word processor's text comes out a hair wider.
    std::vector<std::vector<bool>> tabbed(lines.size());
    for (size_t li = 0; li < lines.size(); ++li) {
        TEmrLine &line = lines[li];
        std::vector<bool> &tab = tabbed[li];
        line.layout.clear();
        std::optional<double> end;
        for (const TEMRObject *run : line.runs) {
            const bool joins = end && run->Letter() == QLatin1Char('L') && std::abs(run->ref.x() - *end) <= kJoinSlack;
            tab.push_back(run->ref.x() != 64 && !joins);
            if (tab.back())
                line.layout += run->Letter() + QStringLiteral("%1;").arg(qint64(run->ref.x()) - 64, 5, 10, QLatin1Char('0'));
            end = EndOf(metafile, *run);
        }
    }
    for (size_t li = 0; li < lines.size(); ++li) {
        const TEmrLine &line = lines[li];
        if (!m_layoutSet || line.layout != m_layout) {
            std::vector<TWordTab> tabs;
            for (size_t k = 0; k < line.runs.size(); ++k) {
                if (tabbed[li][k])
                    tabs.push_back({Points(double(line.runs[k]->ref.x()) - 64), line.runs[k]->Letter()});
            }
            Current().tabs = std::move(tabs);
            m_layout = line.layout;
            m_layoutSet = true;
        }
        qint64 lineHeight = 0;
        bool placed = false;
        double extra = 0; // points the line's spacing was widened by to reach its depth
        for (size_t i = 0; i < line.runs.size();) {
            const TEmrFont &font = line.runs[i]->font;
            QString text;
            size_t j = i;
            for (; j < line.runs.size() && line.runs[j]->font == font; ++j) {
                if (line.runs[j]->ref.x() > 64 && tabbed[li][j])
                    text += QLatin1Char('\t');
                text += line.runs[j]->text;
            }
            if (!m_hasFont || !(font == m_font)) {
                if (placed) {
                    // Another font further along a placed line: the paragraph keeps the gap it
                    // was given and grows to the largest font, so the line stays where it is.
                    const double grown = std::max(Current().lineSpacing, SizeOf(font) + extra);
                    position += RoundEven((grown - Current().lineSpacing) / 0.28);
                    Current().lineSpacing = grown;
                } else {
                    if (m_hasFont && started)
                        position += RoundEven((SizeOf(font) - SizeOf(m_font)) / 0.28);
                    Current().lineSpacing = SizeOf(font);
                    m_enlarged = false;
                }
                m_font = font;
                m_hasFont = true;
            }
            lineHeight = std::max<qint64>(lineHeight, HeightOf(m_font));
            if (!placed) {
                // Empty paragraphs fill the gap down to the line; what is left of it widens
                // the line's own spacing.
                const qint64 depth = -qint64(line.y);
                if (!started) {
                    position = lineHeight + 64;
                    started = true;
                }
                while (depth >= position + lineHeight) {
                    NewParagraph();
                    position += lineHeight;
                }
                if (position < depth) {
                    extra = RoundEven(depth - position) * 0.28;
                    Current().lineSpacing = SizeOf(m_font) + extra;
                    m_enlarged = true;
                    position = depth;
                }
                placed = true;
            }
            Current().runs.push_back({m_font, text});
            i = j;
        }
        if (li + 1 < lines.size()) {
            // The next paragraph is as high as the font in force (its spacing set back to it).
            NewParagraph();
            position += HeightOf(m_font);
            Current().lineSpacing = SizeOf(m_font);
            m_enlarged = false;
        }
    }
    AddShapes(walk, sheetPx, metafile, page);
    m_pages.push_back(std::move(page));
}

void TWordDocument::AddShapes(const TPageWalk &walk, QSize sheetPx, const printout::TMetafile &metafile,
                              TWordPage &page)
{
    // Recorded values may be anything: clamped so that no arithmetic on them overflows.
    auto pt = [](double v) { return RoundEven(std::clamp(Points(v), -1e6, 1e6)); };
    const QRectF frame = metafile.FrameExtent();
    const double ratioX = sheetPx.width() > 0 ? frame.width() / sheetPx.width() / 10 : 1;
    const double ratioY = sheetPx.height() > 0 ? frame.height() / sheetPx.height() / 10 : 1;
    for (const TEMRObject *e : walk.Other()) {
        TWordShape s;
        s.left = pt(e->rect.left());
        s.top = pt(-double(e->rect.top()));
        s.right = pt(e->rect.right());
        s.bottom = pt(-double(e->rect.bottom()));
        const bool pen = e->pen.present;
        auto outline = [&] {
            // Shapes without a fill rule of their own take the pen's outline.
            s.outlined = pen;
            s.lineWidth = pen ? std::max(e->pen.width, 1) * 0.28 : 0.75;
            s.lineColor = e->pen.color;
        };
        switch (e->type) {
        case EMR_ELLIPSE: s.kind = TWordShape::Ellipse; outline(); break;
        case EMR_ROUNDRECT: s.kind = TWordShape::RoundRect; outline(); break;
        case EMR_ARC: s.kind = TWordShape::Arc; outline(); break;
        case EMR_RECTANGLE: {
            const uint32_t brush = e->brush.color;
            const bool plain = brush == kNoColor || brush == 0xFFFFFF;
            if ((plain && !pen) || s.left < 1)
                continue;
            s.kind = TWordShape::Rectangle;
            s.filled = !plain;
            s.fill = brush;
            s.outlined = pen;
            s.lineWidth = e->pen.width * 0.28;
            s.lineColor = e->pen.color;
            break;
        }
        case EMR_LINETO:
            if (!pen)
                continue;
            s.kind = TWordShape::Line;
            s.lineColor = e->pen.color;
            break;
        case EMR_EXTTEXTOUTW:
        case EMR_EXTTEXTOUTA: {
            s.kind = TWordShape::TextBox;
            const QRect &b = e->rect;
            s.left = RoundEven(std::abs(pt(b.left()) * ratioX));
            s.top = RoundEven(std::abs(pt(b.top()) * ratioY));
            s.right = s.left + RoundEven(std::abs(pt(double(b.right()) - b.left()) * ratioX));
            s.bottom = s.top + RoundEven(std::abs(pt(double(b.bottom()) - b.top()) * ratioY));
            s.text = e->text;
            s.font = e->font;
            const QChar letter = e->Letter();
            s.alignment = letter == QLatin1Char('L') ? 0 : letter == QLatin1Char('C') ? 1 : 2;
            s.outlined = false;
            break;
        }
        default: continue;
        }
        page.shapes.push_back(std::move(s));
    }
}

// ---------------------------------------------------------------------------------------------

namespace {

const char kW[] = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

void RunProperties(QXmlStreamWriter &x, const TEmrFont &f)
{
    x.writeStartElement(QStringLiteral("w:rPr"));
    x.writeEmptyElement(QStringLiteral("w:rFonts"));
    const QString face = XmlSafe(f.face);
    for (const char *a : {"w:ascii", "w:hAnsi", "w:cs", "w:eastAsia"})
        x.writeAttribute(QLatin1String(a), face);
    if (f.Bold())
        x.writeEmptyElement(QStringLiteral("w:b"));
    if (f.italic)
        x.writeEmptyElement(QStringLiteral("w:i"));
    if (f.color != 0) {
        x.writeEmptyElement(QStringLiteral("w:color"));
        x.writeAttribute(QStringLiteral("w:val"), Rgb(f.color));
    }
    const QString half = QString::number(std::max(2L, std::lround(SizeOf(f) * 2)));
    x.writeEmptyElement(QStringLiteral("w:sz"));
    x.writeAttribute(QStringLiteral("w:val"), half);
    x.writeEmptyElement(QStringLiteral("w:szCs"));
    x.writeAttribute(QStringLiteral("w:val"), half);
    if (f.underline) {
        x.writeEmptyElement(QStringLiteral("w:u"));
        x.writeAttribute(QStringLiteral("w:val"), QStringLiteral("single"));
    }
    x.writeEndElement();
}

void Spacing(QXmlStreamWriter &x, double points)
{
    x.writeEmptyElement(QStringLiteral("w:spacing"));
    x.writeAttribute(QStringLiteral("w:before"), QStringLiteral("0"));
    x.writeAttribute(QStringLiteral("w:after"), QStringLiteral("0"));
    x.writeAttribute(QStringLiteral("w:line"), QString::number(std::max(20, Twips(points))));
    x.writeAttribute(QStringLiteral("w:lineRule"), QStringLiteral("exact"));
}

// Text with its tabs and line breaks as the elements that stand for them.
void RunText(QXmlStreamWriter &x, const QString &textIn)
{
    const QString text = XmlSafe(textIn);
    QString piece;
    auto flush = [&] {
        if (piece.isEmpty())
            return;
        x.writeStartElement(QStringLiteral("w:t"));
        x.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
        x.writeCharacters(piece);
        x.writeEndElement();
        piece.clear();
    };
    for (QChar c : text) {
        if (c == QLatin1Char('\t')) {
            flush();
            x.writeEmptyElement(QStringLiteral("w:tab"));
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            flush();
            x.writeEmptyElement(QStringLiteral("w:br"));
        } else {
            piece += c;
        }
    }
    flush();
}

void Shape(QXmlStreamWriter &x, const TWordShape &s, int id)
{
    int left = std::min(s.left, s.right), top = std::min(s.top, s.bottom);
    int width = std::abs(s.right - s.left), height = std::abs(s.bottom - s.top);
    const bool flipV = s.kind == TWordShape::Line && ((s.right - s.left) < 0) != ((s.bottom - s.top) < 0);
    const QString cx = QString::number(qint64(width) * kEmuPerPoint), cy = QString::number(qint64(height) * kEmuPerPoint);
    x.writeStartElement(QStringLiteral("w:r"));
    x.writeStartElement(QStringLiteral("mc:AlternateContent"));
    x.writeStartElement(QStringLiteral("mc:Choice"));
    x.writeAttribute(QStringLiteral("Requires"), QStringLiteral("wps"));
    x.writeStartElement(QStringLiteral("w:drawing"));
    x.writeStartElement(QStringLiteral("wp:anchor"));
    for (const char *a : {"distT", "distB", "distL", "distR", "simplePos"})
        x.writeAttribute(QLatin1String(a), QStringLiteral("0"));
    x.writeAttribute(QStringLiteral("relativeHeight"), QString::number(id));
    // Filled boxes stay behind the text they frame.
    x.writeAttribute(QStringLiteral("behindDoc"), s.kind == TWordShape::TextBox ? QStringLiteral("0") : QStringLiteral("1"));
    x.writeAttribute(QStringLiteral("locked"), QStringLiteral("0"));
    x.writeAttribute(QStringLiteral("layoutInCell"), QStringLiteral("1"));
    x.writeAttribute(QStringLiteral("allowOverlap"), QStringLiteral("1"));
    x.writeEmptyElement(QStringLiteral("wp:simplePos"));
    x.writeAttribute(QStringLiteral("x"), QStringLiteral("0"));
    x.writeAttribute(QStringLiteral("y"), QStringLiteral("0"));
    for (const auto &[axis, at] : {std::pair{"wp:positionH", left}, std::pair{"wp:positionV", top}}) {
        x.writeStartElement(QLatin1String(axis));
        x.writeAttribute(QStringLiteral("relativeFrom"), QStringLiteral("page"));
        x.writeTextElement(QStringLiteral("wp:posOffset"), QString::number(qint64(at) * kEmuPerPoint));
        x.writeEndElement();
    }
    x.writeEmptyElement(QStringLiteral("wp:extent"));
    x.writeAttribute(QStringLiteral("cx"), cx);
    x.writeAttribute(QStringLiteral("cy"), cy);
    x.writeEmptyElement(QStringLiteral("wp:wrapNone"));
    x.writeEmptyElement(QStringLiteral("wp:docPr"));
    x.writeAttribute(QStringLiteral("id"), QString::number(id));
    x.writeAttribute(QStringLiteral("name"), QStringLiteral("Shape %1").arg(id));
    x.writeStartElement(QStringLiteral("a:graphic"));
    x.writeStartElement(QStringLiteral("a:graphicData"));
    x.writeAttribute(QStringLiteral("uri"), QStringLiteral("http://schemas.microsoft.com/office/word/2010/wordprocessingShape"));
    x.writeStartElement(QStringLiteral("wps:wsp"));
    x.writeEmptyElement(QStringLiteral("wps:cNvSpPr"));
    if (s.kind == TWordShape::TextBox)
        x.writeAttribute(QStringLiteral("txBox"), QStringLiteral("1"));
    x.writeStartElement(QStringLiteral("wps:spPr"));
    x.writeStartElement(QStringLiteral("a:xfrm"));
    if (flipV)
        x.writeAttribute(QStringLiteral("flipV"), QStringLiteral("1"));
    x.writeEmptyElement(QStringLiteral("a:off"));
    x.writeAttribute(QStringLiteral("x"), QStringLiteral("0"));
    x.writeAttribute(QStringLiteral("y"), QStringLiteral("0"));
    x.writeEmptyElement(QStringLiteral("a:ext"));
    x.writeAttribute(QStringLiteral("cx"), cx);
    x.writeAttribute(QStringLiteral("cy"), cy);
    x.writeEndElement();
    static const char *const kGeometry[] = {"rect", "roundRect", "ellipse", "arc", "line", "rect"};
    x.writeStartElement(QStringLiteral("a:prstGeom"));
    x.writeAttribute(QStringLiteral("prst"), QLatin1String(kGeometry[s.kind]));
    x.writeEmptyElement(QStringLiteral("a:avLst"));
    x.writeEndElement();
    if (s.filled) {
        x.writeStartElement(QStringLiteral("a:solidFill"));
        x.writeEmptyElement(QStringLiteral("a:srgbClr"));
        x.writeAttribute(QStringLiteral("val"), Rgb(s.fill));
        x.writeEndElement();
    } else {
        x.writeEmptyElement(QStringLiteral("a:noFill"));
    }
    x.writeStartElement(QStringLiteral("a:ln"));
    if (s.outlined) {
        x.writeAttribute(QStringLiteral("w"), QString::number(std::lround(s.lineWidth * kEmuPerPoint)));
        x.writeStartElement(QStringLiteral("a:solidFill"));
        x.writeEmptyElement(QStringLiteral("a:srgbClr"));
        x.writeAttribute(QStringLiteral("val"), Rgb(s.lineColor));
        x.writeEndElement();
    } else {
        x.writeEmptyElement(QStringLiteral("a:noFill"));
    }
    x.writeEndElement(); // a:ln
    x.writeEndElement(); // wps:spPr
    if (s.kind == TWordShape::TextBox) {
        x.writeStartElement(QStringLiteral("wps:txbx"));
        x.writeStartElement(QStringLiteral("w:txbxContent"));
        x.writeStartElement(QStringLiteral("w:p"));
        x.writeStartElement(QStringLiteral("w:pPr"));
        x.writeEmptyElement(QStringLiteral("w:spacing"));
        x.writeAttribute(QStringLiteral("w:before"), QStringLiteral("0"));
        x.writeAttribute(QStringLiteral("w:after"), QStringLiteral("0"));
        static const char *const kJustify[] = {"left", "center", "right", "both"};
        x.writeEmptyElement(QStringLiteral("w:jc"));
        x.writeAttribute(QStringLiteral("w:val"), QLatin1String(kJustify[std::clamp(s.alignment, 0, 3)]));
        x.writeEndElement();
        x.writeStartElement(QStringLiteral("w:r"));
        RunProperties(x, s.font);
        RunText(x, s.text);
        x.writeEndElement();
        x.writeEndElement(); // w:p
        x.writeEndElement();
        x.writeEndElement();
        x.writeStartElement(QStringLiteral("wps:bodyPr"));
        x.writeAttribute(QStringLiteral("vert"), QStringLiteral("horz"));
        x.writeAttribute(QStringLiteral("wrap"), QStringLiteral("none"));
        for (const char *a : {"lIns", "tIns", "rIns", "bIns"})
            x.writeAttribute(QLatin1String(a), QStringLiteral("0"));
        x.writeEmptyElement(QStringLiteral("a:noAutofit"));
        x.writeEndElement();
    } else {
        x.writeEmptyElement(QStringLiteral("wps:bodyPr"));
    }
    x.writeEndElement(); // wps:wsp
    x.writeEndElement(); // a:graphicData
    x.writeEndElement(); // a:graphic
    x.writeEndElement(); // wp:anchor
    x.writeEndElement(); // w:drawing
    x.writeEndElement(); // mc:Choice
    x.writeEndElement(); // mc:AlternateContent
    x.writeEndElement(); // w:r
}

} // namespace

QByteArray TWordDocument::DocumentXml() const
{
    QByteArray out;
    out.reserve(qsizetype(m_paragraphs.size()) * 600 + 4096);
    QXmlStreamWriter x(&out);
    x.writeStartDocument(QStringLiteral("1.0"), true);
    x.writeStartElement(QStringLiteral("w:document"));
    x.writeNamespace(QLatin1String(kW), QStringLiteral("w"));
    x.writeNamespace(QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships"), QStringLiteral("r"));
    x.writeNamespace(QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing"), QStringLiteral("wp"));
    x.writeNamespace(QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/main"), QStringLiteral("a"));
    x.writeNamespace(QStringLiteral("http://schemas.microsoft.com/office/word/2010/wordprocessingShape"), QStringLiteral("wps"));
    x.writeNamespace(QStringLiteral("http://schemas.openxmlformats.org/markup-compatibility/2006"), QStringLiteral("mc"));
    x.writeStartElement(QStringLiteral("w:body"));

    size_t nextPage = 0;
    int shapeId = 1;
    for (size_t i = 0; i < m_paragraphs.size(); ++i) {
        const TWordParagraph &p = m_paragraphs[i];
        x.writeStartElement(QStringLiteral("w:p"));
        x.writeStartElement(QStringLiteral("w:pPr"));
        // The page's first paragraph starts a page of its own: a break run in it would leave an
        // empty page behind when the page before is full to its last line.
        if (p.pageBreak)
            x.writeEmptyElement(QStringLiteral("w:pageBreakBefore"));
        if (!p.tabs.empty()) {
            std::vector<TWordTab> tabs;
            for (const TWordTab &t : p.tabs) {
                // A stop left of the margin is of no use to a typed tab.
                if (t.points > 0 && std::none_of(tabs.begin(), tabs.end(), [&](const TWordTab &o) { return Twips(o.points) == Twips(t.points); }))
                    tabs.push_back(t);
            }
            std::sort(tabs.begin(), tabs.end(), [](const TWordTab &a, const TWordTab &b) { return a.points < b.points; });
            if (tabs.size() > 64)
                tabs.resize(64); // the most a paragraph holds
            if (!tabs.empty()) {
                x.writeStartElement(QStringLiteral("w:tabs"));
                for (const TWordTab &t : tabs) {
                    x.writeEmptyElement(QStringLiteral("w:tab"));
                    x.writeAttribute(QStringLiteral("w:val"), t.letter == QLatin1Char('R')   ? QStringLiteral("right")
                                                              : t.letter == QLatin1Char('C') ? QStringLiteral("center")
                                                                                             : QStringLiteral("left"));
                    x.writeAttribute(QStringLiteral("w:pos"), QString::number(Twips(t.points)));
                }
                x.writeEndElement();
            }
        }
        Spacing(x, p.lineSpacing);
        // Text may run into the right margin as it does on the page, rather than wrap onto a
        // second line that pushes everything below it down.
        x.writeEmptyElement(QStringLiteral("w:ind"));
        x.writeAttribute(QStringLiteral("w:right"), QString::number(-m_right * 20));
        RunProperties(x, p.markFont);
        x.writeEndElement(); // w:pPr
        while (nextPage < m_pages.size() && m_pages[nextPage].firstParagraph == i) {
            for (const TWordShape &s : m_pages[nextPage].shapes)
                Shape(x, s, shapeId++);
            ++nextPage;
        }
        for (const TWordRun &r : p.runs) {
            x.writeStartElement(QStringLiteral("w:r"));
            RunProperties(x, r.font);
            RunText(x, r.text);
            x.writeEndElement();
        }
        x.writeEndElement(); // w:p
    }

    x.writeStartElement(QStringLiteral("w:sectPr"));
    x.writeEmptyElement(QStringLiteral("w:type"));
    x.writeAttribute(QStringLiteral("w:val"), QStringLiteral("nextPage"));
    x.writeEmptyElement(QStringLiteral("w:pgSz"));
    x.writeAttribute(QStringLiteral("w:w"), QString::number(m_width * 20));
    x.writeAttribute(QStringLiteral("w:h"), QString::number(m_height * 20));
    if (m_width > m_height)
        x.writeAttribute(QStringLiteral("w:orient"), QStringLiteral("landscape"));
    x.writeEmptyElement(QStringLiteral("w:pgMar"));
    // The bottom margin and the header and footer distances follow the top margin.
    const QString top = QString::number(m_top * 20);
    x.writeAttribute(QStringLiteral("w:top"), top);
    x.writeAttribute(QStringLiteral("w:right"), QString::number(m_right * 20));
    x.writeAttribute(QStringLiteral("w:bottom"), top);
    x.writeAttribute(QStringLiteral("w:left"), QString::number(m_left * 20));
    x.writeAttribute(QStringLiteral("w:header"), top);
    x.writeAttribute(QStringLiteral("w:footer"), top);
    x.writeAttribute(QStringLiteral("w:gutter"), QStringLiteral("0"));
    x.writeEmptyElement(QStringLiteral("w:vAlign"));
    x.writeAttribute(QStringLiteral("w:val"), QStringLiteral("top"));
    x.writeEndElement(); // w:sectPr
    x.writeEndElement(); // w:body
    x.writeEndElement(); // w:document
    x.writeEndDocument();
    return out;
}

namespace {

const char kContentTypes[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/word/document.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
    "<Override PartName=\"/word/styles.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
    "</Types>";

const char kPackageRels[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"word/document.xml\"/></Relationships>";

const char kDocumentRels[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
    "Target=\"styles.xml\"/></Relationships>";

// No space around paragraphs by default: the placement counts every point.
const char kStyles[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
    "<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"Arial\" w:hAnsi=\"Arial\" w:cs=\"Arial\" w:eastAsia=\"Arial\"/>"
    "<w:sz w:val=\"20\"/><w:szCs w:val=\"20\"/></w:rPr></w:rPrDefault>"
    "<w:pPrDefault><w:pPr><w:spacing w:before=\"0\" w:after=\"0\"/></w:pPr></w:pPrDefault></w:docDefaults>"
    "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>"
    "</w:styles>";

} // namespace

void TWordDocument::Save(const QString &path) const
{
    const QByteArray document = DocumentXml();
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    auto fail = [&](const QString &why) {
        throw EExportError(QStringLiteral("Le fichier %1 ne peut pas être écrit (%2).").arg(path, why),
                           QStringLiteral("The file %1 cannot be written (%2).").arg(path, why));
    };
    if (!zip) {
        zip_error_t e;
        zip_error_init_with_code(&e, error);
        const QString why = QString::fromLocal8Bit(zip_error_strerror(&e));
        zip_error_fini(&e);
        fail(why);
    }
    const std::pair<const char *, QByteArray> entries[] = {
        {"[Content_Types].xml", QByteArray(kContentTypes)},
        {"_rels/.rels", QByteArray(kPackageRels)},
        {"word/_rels/document.xml.rels", QByteArray(kDocumentRels)},
        {"word/styles.xml", QByteArray(kStyles)},
        {"word/document.xml", document},
    };
    for (const auto &[name, bytes] : entries) {
        // The buffers live until zip_close reads them.
        zip_source_t *source = zip_source_buffer(zip, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        if (!source || zip_file_add(zip, name, source, ZIP_FL_ENC_UTF_8) < 0) {
            if (source)
                zip_source_free(source);
            const QString why = QString::fromLocal8Bit(zip_strerror(zip));
            zip_discard(zip);
            fail(why);
        }
    }
    if (zip_close(zip) < 0) {
        const QString why = QString::fromLocal8Bit(zip_strerror(zip));
        zip_discard(zip);
        fail(why);
    }
}

// ---------------------------------------------------------------------------------------------

void TWordExport::Begin(const printout::TMetafile &first, const printout::TReportMargins &margins, QSize sheetPx,
                        QSize, int)
{
    m_sheetPx = sheetPx;
    m_document.Begin(margins, first);
}

void TWordExport::Page(int, bool, const printout::TMetafile &metafile)
{
    m_document.AddPage(TPageWalk(metafile, m_sheetPx), m_sheetPx, metafile);
}

void TWordExport::End() { m_document.Save(m_fileName); }

} // namespace delivery
