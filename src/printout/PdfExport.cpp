#include "printout/PdfExport.h"

#include "printout/EmfFormat.h"
#include "printout/EmfListing.h"
#include "printout/Player.h"
#include "printout/Printer.h"
#include "printout/Printout.h"

#include "pdf/FontEngine.h"
#include "pdf/PdfBox.h"
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>

#include <cmath>
#include <cstdio>

namespace printout {

using namespace emf;

namespace {

// Device pixels of pages recorded in pixel units (600 dpi) to tenths of a millimetre.

uint32_t Le32(const QByteArray &b, qsizetype at)
{
    if (at < 0 || at + 4 > b.size())
        return 0;
    uint32_t v;
    std::memcpy(&v, b.constData() + at, 4);
    return v;
}

uint16_t Le16(const QByteArray &b, qsizetype at)
{
    if (at < 0 || at + 2 > b.size())
        return 0;
    uint16_t v;
    std::memcpy(&v, b.constData() + at, 2);
    return v;
}

QColor ColorRef(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

// The mask's lowest set bit and width, to read one channel of a bit-field pixel.
void MaskShape(uint32_t mask, int &shift, int &bits)
{
    shift = 0;
    bits = 0;
    if (!mask)
        return;
    while (!(mask & 1u)) {
        mask >>= 1;
        ++shift;
    }
    while (mask & 1u) {
        mask >>= 1;
        ++bits;
    }
}

int Channel(uint32_t pixel, int shift, int bits)
{
    if (bits == 0)
        return 0;
    const uint32_t v = (pixel >> shift) & ((1u << bits) - 1);
    return int(v * 255 / ((1u << bits) - 1));
}

// An hourglass for the length of the export, when there is a screen to show it on.
struct THourglass {
    THourglass()
    {
        if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            on = true;
        }
    }
    ~THourglass()
    {
        if (on)
            QGuiApplication::restoreOverrideCursor();
    }
    bool on = false;
};

} // namespace

QImage DecodeDib(const QByteArray &info, const QByteArray &bits)
{
    const uint32_t headerSize = Le32(info, 0);
    int width, height, bitCount;
    uint32_t compression = 0, colorsUsed = 0;
    int paletteEntry = 4;
    if (headerSize == 12) {
        width = Le16(info, 4);
        height = int16_t(Le16(info, 6));
        bitCount = Le16(info, 10);
        paletteEntry = 3;
    } else if (headerSize >= 40 && headerSize <= uint32_t(info.size())) {
        width = int32_t(Le32(info, 4));
        height = int32_t(Le32(info, 8));
        bitCount = Le16(info, 14);
        compression = Le32(info, 16);
        colorsUsed = Le32(info, 32);
    } else {
        return QImage();
    }
    const bool topDown = height < 0;
    height = std::abs(height);
    if (width <= 0 || height <= 0 || width > 30000 || height > 30000)
        return QImage();
    if (compression != 0 && !(compression == 3 && (bitCount == 16 || bitCount == 32)))
        return QImage();
    const qsizetype stride = ((qsizetype(width) * bitCount + 31) / 32) * 4;
    if (stride * height > bits.size())
        return QImage();

    QImage image;
    if (bitCount == 1 || bitCount == 4 || bitCount == 8) {
        const int entries = colorsUsed ? int(std::min<uint32_t>(colorsUsed, 1u << bitCount)) : 1 << bitCount;
        QList<QRgb> palette;
        for (int i = 0; i < entries; ++i) {
            const qsizetype at = qsizetype(headerSize) + qsizetype(i) * paletteEntry;
            if (at + 3 > info.size())
                return QImage();
            palette.append(qRgb(uchar(info[at + 2]), uchar(info[at + 1]), uchar(info[at])));
        }
        image = QImage(width, height, bitCount == 1 ? QImage::Format_Mono : QImage::Format_Indexed8);
        image.setColorTable(palette);
        for (int y = 0; y < height; ++y) {
            const uchar *row = reinterpret_cast<const uchar *>(bits.constData()) + stride * (topDown ? y : height - 1 - y);
            uchar *out = image.scanLine(y);
            if (bitCount == 1) {
                std::memcpy(out, row, size_t((width + 7) / 8));
                continue;
            }
            for (int x = 0; x < width; ++x) {
                const int index = bitCount == 8 ? row[x] : (x & 1 ? row[x / 2] & 0x0F : row[x / 2] >> 4);
                out[x] = uchar(std::min(index, entries - 1));
            }
        }
        return image;
    }
    if (bitCount != 16 && bitCount != 24 && bitCount != 32)
        return QImage();
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (bitCount == 32)
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    if (compression == 3) {
        for (int i = 0; i < 3; ++i)
            masks[i] = Le32(info, 40 + qsizetype(i) * 4); // after the header, or inside a longer one
    }
    int shifts[3], widths[3];
    for (int i = 0; i < 3; ++i)
        MaskShape(masks[i], shifts[i], widths[i]);
    image = QImage(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const uchar *row = reinterpret_cast<const uchar *>(bits.constData()) + stride * (topDown ? y : height - 1 - y);
        QRgb *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            if (bitCount == 24) {
                out[x] = qRgb(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
                continue;
            }
            uint32_t pixel;
            if (bitCount == 16)
                pixel = uint32_t(row[x * 2]) | (uint32_t(row[x * 2 + 1]) << 8);
            else
                std::memcpy(&pixel, row + x * 4, 4);
            out[x] = qRgb(Channel(pixel, shifts[0], widths[0]), Channel(pixel, shifts[1], widths[1]),
                          Channel(pixel, shifts[2], widths[2]));
        }
    }
    return image;
}

// ---------------------------------------------------------------------------------------------

TPrintoutExport::TPrintoutExport(const QString &fileName, const QString &kind)
    : m_fileName(fileName), m_kind(kind.toUpper())
{
    if (m_kind == QLatin1String("ACROBAT")) {
        m_pdf = std::make_unique<pdf::TPdfBox>();
        m_pdf->SetLengthUnit(pdf::luTenth);
        m_pdf->SetFileName(fileName);
        m_pdf->SetEmbedFonts(true);
        // Page content compressed: an exported page is several times smaller.
        m_pdf->SetCompressPages(true);
        m_ready = true;
    }
    OnRecordError = [](int page, int record) {
        if (qobject_cast<QApplication *>(QCoreApplication::instance()))
            ui::ErrorBox(QString::number(record));
        else
            std::fprintf(stderr, "page %d: record %d could not be exported\n", page, record);
    };
}

TPrintoutExport::TPrintoutExport(const QString &fileName, const QString &kind, std::unique_ptr<TExportTarget> target)
    : m_fileName(fileName), m_kind(kind.toUpper()), m_ready(target != nullptr), m_target(std::move(target))
{
}

TPrintoutExport::~TPrintoutExport() = default;

void TPrintoutExport::SetDocumentTitle(const QString &title)
{
    if (m_pdf && !title.trimmed().isEmpty())
        m_pdf->SetTitle(title.trimmed());
}

void TPrintoutExport::ExportBegin(const TMetafile &first, const TReportMargins &margins, QSize sheetPx, QSize sheetSize,
                                  int orientation)
{
    if (!m_ready)
        return;
    m_sheetPx = sheetPx;
    if (m_target) {
        m_target->Begin(first, margins, sheetPx, sheetSize, orientation);
        return;
    }
    m_pdf->SetOrientation(orientation == 2 ? pdf::poLandscape : pdf::poPortrait);
    m_pdf->SetPageHeight(sheetSize.height());
    m_pdf->SetPageWidth(sheetSize.width());
    m_pdf->SetSmartStretchDraw(false);
    m_pdf->BeginDoc();
}

void TPrintoutExport::ExportPage(int page, bool more, const TMetafile &metafile)
{
    if (!m_ready)
        return;
    if (OnListing)
        OnListing(ListingLines(metafile));
    else
        m_listing += ListingLines(metafile);
    if (m_target) {
        m_target->Page(page, more, metafile);
        return;
    }
    Replay(page, metafile);
    if (more)
        m_pdf->NewPage();
}

void TPrintoutExport::ExportEnd()
{
    if (!m_ready)
        return;
    if (m_target)
        m_target->End();
    else
        m_pdf->EndDoc();
}

// The drawing state of one page's replay.
struct TPrintoutExport::TReplay {
    pdf::TPdfCanvas &canvas;
    QPointF pxPerMm;                 // of the page's reference device
    QPointF frameCorner;             // the picture frame's top-left corner, 0.1 mm
    TEmfMapping map;                 // the player's mapping, so foreign pages land where it shows them
    std::vector<TEmfMapping> saved;  // SaveDC / RestoreDC
    uint32_t align = 0;
    std::map<uint32_t, int> created; // handle -> index of the record that created it
    int escapement = 0;              // of the font in force, tenths of a degree in logical units

    // Logical units to the writer's: 0.1 mm from the sheet's top-left corner, y downward.
    QTransform ToSheet() const
    {
        return map.PageTransform(pxPerMm.x(), pxPerMm.y()) * QTransform::fromScale(10 / pxPerMm.x(), 10 / pxPerMm.y()) *
               QTransform::fromTranslate(-frameCorner.x(), -frameCorner.y());
    }
    QPoint P(int x, int y) const
    {
        const QPointF p = ToSheet().map(QPointF(x, y));
        auto clamp = [](double v) { return int(std::lround(std::clamp(v, -1e9, 1e9))); };
        return QPoint(clamp(p.x()), clamp(p.y()));
    }
    // A length (pen width, font height) in writer units.
    int L(int v) const
    {
        const double scale = std::sqrt(std::abs(ToSheet().determinant()));
        return int(std::lround(std::clamp(v * scale, -1e9, 1e9)));
    }

    void Pen(uint32_t style, int width, uint32_t color)
    {
        static const pdf::TPdfPenStyle kStyles[] = {pdf::psSolid, pdf::psDash, pdf::psDot, pdf::psDashDot,
                                                    pdf::psDashDotDot, pdf::psClear, pdf::psSolid};
        style &= PS_STYLE_MASK;
        canvas.Pen().Style = style < 7 ? kStyles[style] : pdf::psSolid;
        // A zero width is the thinnest line the device draws, never an invisible one.
        canvas.Pen().Width = std::max(1, L(width));
        canvas.Pen().Color = ColorRef(color);
    }
    void Brush(uint32_t style, uint32_t color)
    {
        canvas.Brush().Style = (style & 0xFF) == BS_NULL ? pdf::bsClear : pdf::bsSolid;
        canvas.Brush().Color = ColorRef(color);
    }
    void Font(const TRecordView &r)
    {
        const int height = r.I32(12);
        QString face = r.Utf16(40, 32);
        const qsizetype nul = face.indexOf(QChar(0));
        if (nul >= 0)
            face.truncate(nul);
        if (face.isEmpty())
            face = QStringLiteral("Arial");
        const bool bold = r.I32(28) > 500;
        const bool italic = r.U8(32) != 0;
        // Fonts the writer cannot carry are shown in the default face rather than failing.
        const pdf::TFontFace *found = pdf::TFontEngine::Instance().Face(face, bold, italic);
        if (!found || !found->IsTrueType())
            face = QStringLiteral("Arial");
        pdf::TPdfFontDesc &f = canvas.Font();
        f.Name = face;
        f.Bold = bold;
        f.Italic = italic;
        f.Underline = r.U8(33) != 0;
        f.StrikeOut = r.U8(34) != 0;
        escapement = r.I32(20);
        double em = std::abs(double(L(height)));
        if (height > 0 && found)
            em = found->EmForHeight(L(height));
        else if (height == 0)
            em = 12 * 254.0 / 72;
        f.Size = em * 72.0 / 254.0;
    }
    void Apply(const TRecordView &r)
    {
        switch (r.type) {
        case EMR_CREATEPEN: Pen(r.U32(12), r.I32(16), r.U32(24)); break;
        case EMR_EXTCREATEPEN: Pen(r.U32(28), int(r.U32(32)), r.U32(40)); break;
        case EMR_CREATEBRUSHINDIRECT: Brush(r.U32(12), r.U32(16)); break;
        case EMR_EXTCREATEFONTINDIRECTW: Font(r); break;
        default: break;
        }
    }
    void Stock(uint32_t object)
    {
        switch (object) {
        case 0x80000000u: Brush(BS_SOLID, 0xFFFFFF); break;
        case 0x80000001u: Brush(BS_SOLID, 0xC0C0C0); break;
        case 0x80000002u: Brush(BS_SOLID, 0x808080); break;
        case 0x80000003u: Brush(BS_SOLID, 0x404040); break;
        case 0x80000004u: Brush(BS_SOLID, 0x000000); break;
        case 0x80000005u: Brush(BS_NULL, 0); break;
        case 0x80000006u: Pen(PS_SOLID, 1, 0xFFFFFF); break;
        case 0x80000007u: Pen(PS_SOLID, 1, 0x000000); break;
        case 0x80000008u: Pen(PS_NULL, 1, 0); break;
        case 0x8000000Du:
            canvas.Font().Name = QStringLiteral("System");
            escapement = 0;
            break;
        default: break;
        }
    }
    // Two-letter placement code of the alignment: vertical (Top, Bottom, baseLine), horizontal.
    QByteArray Code() const
    {
        switch (align & 30) {
        case 2: return "TR";
        case 6: return "TC";
        case 8: return "BL";
        case 10: return "BR";
        case 14: return "BC";
        case 24: return "LL";
        case 26: return "LR";
        case 30: return "LC";
        default: return "TL";
        }
    }
    // The baseline's angle on the sheet (radians, counter-clockwise): the font's escapement
    // turned as the player turns it, through the page's mapping.
    double SheetAngle() const
    {
        if (escapement % 3600 == 0 && map.world.m12() == 0 && map.world.m21() == 0)
            return 0; // unturned text on an unturned page: horizontal whatever the axes' signs
        const QTransform t = ToSheet();
        const double a = escapement / 10.0 * M_PI / 180;
        const double vx = std::cos(a), vy = t.determinant() < 0 ? std::sin(a) : -std::sin(a);
        const double dx = t.m11() * vx + t.m21() * vy, dy = t.m12() * vx + t.m22() * vy;
        return dx == 0 && dy == 0 ? 0 : std::atan2(-dy, dx);
    }
    void Text(const TRecordView &r)
    {
        const uint32_t chars = r.U32(44), offString = r.U32(48), options = r.U32(52);
        if (options & ETO_GLYPH_INDEX)
            return; // glyph numbers, not characters
        QString text;
        if (r.type == EMR_EXTTEXTOUTW) {
            text = r.Utf16(offString, chars);
        } else if (r.HasBytes(offString, chars)) {
            text = QString::fromLatin1(reinterpret_cast<const char *>(r.data + offString), qsizetype(chars));
        }
        if (text.isEmpty())
            return;
        const QPoint ref = P(r.I32(36), r.I32(40));
        const double angle = SheetAngle();
        canvas.Font().Orientation = int(std::lround(angle * 1800 / M_PI));
        const QByteArray code = Code();
        const int w = canvas.TextWidth(text);
        // Offsets of the cell's top-left corner from the reference point, along the baseline
        // and down from it; the writer turns the text about that corner.
        double along = 0, down = 0;
        if (code.endsWith('R'))
            along = -w;
        else if (code.endsWith('C'))
            along = -(w / 2);
        if (code.startsWith('B')) {
            down = -canvas.TextHeight(text);
        } else if (code.startsWith('L')) {
            // The writer places the top of the character cell: the ascent above the baseline.
            const pdf::TFontFace *face =
                pdf::TFontEngine::Instance().Face(canvas.Font().Name, canvas.Font().Bold, canvas.Font().Italic);
            const double em = std::abs(canvas.Font().Size) * 254.0 / 72.0;
            down = -(face ? int(std::lround(em * face->Metrics().winAscent / face->UnitsPerEm())) : 0);
        }
        const double c = std::cos(angle), s = std::sin(angle);
        const int x = int(std::lround(ref.x() + along * c + down * s));
        const int y = int(std::lround(ref.y() - along * s + down * c));
        canvas.TextOut(x, y, text);
    }
};

void TPrintoutExport::Replay(int page, const TMetafile &metafile)
{
    // The sheet is the picture frame, as the player shows a page (our own pages' frame is
    // their sheet).
    const QRectF frame = metafile.FrameExtent();
    TReplay replay{m_pdf->Canvas(), PixelsPerMm(metafile.Device()), frame.topLeft() / 10.0, {}, {}, 0, {}};
    pdf::TPdfCanvas &canvas = m_pdf->Canvas();
    for (int i = 0; i < metafile.RecordCount(); ++i) {
        const TRecordView r = metafile.Record(i);
        try {
            if (replay.map.Apply(r))
                continue;
            switch (r.type) {
            case EMR_SAVEDC: replay.saved.push_back(replay.map); break;
            case EMR_RESTOREDC: {
                // Relative restores inside the stack only, as the player does.
                const int32_t n = r.I32(8);
                if (n < 0 && size_t(-int64_t(n)) <= replay.saved.size()) {
                    replay.map = replay.saved[replay.saved.size() - size_t(-int64_t(n))];
                    replay.saved.resize(replay.saved.size() - size_t(-int64_t(n)));
                }
                break;
            }
            case EMR_SETTEXTALIGN: replay.align = r.U32(8); break;
            case EMR_SETTEXTCOLOR: canvas.Font().Color = ColorRef(r.U32(8)); break;
            case EMR_CREATEPEN:
            case EMR_EXTCREATEPEN:
            case EMR_CREATEBRUSHINDIRECT:
            case EMR_EXTCREATEFONTINDIRECTW:
                replay.created[r.U32(8)] = i;
                break;
            case EMR_SELECTOBJECT: {
                const uint32_t handle = r.U32(8);
                if (handle & kStockObject) {
                    replay.Stock(handle);
                } else if (auto found = replay.created.find(handle); found != replay.created.end()) {
                    replay.Apply(metafile.Record(found->second));
                }
                break;
            }
            case EMR_MOVETOEX: {
                const QPoint p = replay.P(r.I32(8), r.I32(12));
                canvas.MoveTo(p.x(), p.y());
                break;
            }
            case EMR_LINETO: {
                const QPoint p = replay.P(r.I32(8), r.I32(12));
                canvas.LineTo(p.x(), p.y());
                break;
            }
            case EMR_RECTANGLE:
            case EMR_ELLIPSE:
            case EMR_ROUNDRECT: {
                const QPoint lt = replay.P(r.I32(8), r.I32(12)), rb = replay.P(r.I32(16), r.I32(20));
                const int l = lt.x(), t = lt.y(), rr = rb.x(), b = rb.y();
                if (r.type == EMR_RECTANGLE) {
                    canvas.Rectangle(l, t, rr, b);
                } else if (r.type == EMR_ELLIPSE) {
                    if (l != rr && t != b) // a flat ellipse draws nothing
                        canvas.Ellipse(l, t, rr, b);
                } else {
                    // The record holds the size of the corner ellipse; the writer takes radii.
                    canvas.RoundRect(l, t, rr, b, replay.L(r.I32(24)) / 2, replay.L(r.I32(28)) / 2);
                }
                break;
            }
            case EMR_EXTTEXTOUTW:
            case EMR_EXTTEXTOUTA: replay.Text(r); break;
            case EMR_STRETCHDIBITS:
            case EMR_STRETCHBLT: {
                const bool dib = r.type == EMR_STRETCHDIBITS;
                const uint32_t offBmi = r.U32(dib ? 48 : 84), cbBmi = r.U32(dib ? 52 : 88);
                const uint32_t offBits = r.U32(dib ? 56 : 92), cbBits = r.U32(dib ? 60 : 96);
                if (cbBmi == 0)
                    break; // a fill with the brush, no picture
                if (!r.HasBytes(offBmi, cbBmi) || !r.HasBytes(offBits, cbBits))
                    throw std::runtime_error("picture outside its record");
                const QByteArray info(reinterpret_cast<const char *>(r.data + offBmi), qsizetype(cbBmi));
                const QByteArray bits(reinterpret_cast<const char *>(r.data + offBits), qsizetype(cbBits));
                const QByteArray key = info + bits;
                auto found = m_bitmaps.find(key);
                if (found == m_bitmaps.end()) {
                    QImage image = DecodeDib(info, bits);
                    if (image.isNull())
                        throw std::runtime_error("unreadable picture");
                    found = m_bitmaps.emplace(key, image).first;
                }
                const int x = r.I32(24), y = r.I32(28), cx = r.I32(dib ? 72 : 32), cy = r.I32(dib ? 76 : 36);
                const QPoint from = replay.P(x, y), to = replay.P(int(std::clamp<int64_t>(int64_t(x) + cx, INT32_MIN, INT32_MAX)),
                                                                  int(std::clamp<int64_t>(int64_t(y) + cy, INT32_MIN, INT32_MAX)));
                if (from.x() != to.x() && from.y() != to.y())
                    canvas.StretchDraw(from.x(), from.y(), to.x(), to.y(), found->second);
                break;
            }
            default: break;
            }
        } catch (const pdf::EPdfError &) {
            throw; // the document is gone: nothing more can be written
        } catch (const std::exception &) {
            if (OnRecordError)
                OnRecordError(page, i);
        }
    }
}

// ---------------------------------------------------------------------------------------------

void ExportRange(TPrintoutExport &exporter, TPrintout &printout, int from, int to,
                 const std::function<void(int done)> &afterPage)
{
    const TPrintGeometry &geometry = printout.Geometry();
    exporter.SetDocumentTitle(printout.Title());
    exporter.ExportBegin(*printout.PageMetafile(from), ReportMargins(), geometry.sheetPx, geometry.sheetSize,
                         printout.LastOrientation());
    if (afterPage)
        afterPage(0);
    for (int i = from; i <= to; ++i) {
        exporter.ExportPage(i - from + 1, i < to, *printout.PageMetafile(i));
        if (afterPage)
            afterPage(i - from + 1);
    }
    exporter.ExportEnd();
}

bool ExportTo(TPrintout &printout, const QString &fileName, const QString &kind, int from, int to)
{
    TPrintoutExport exporter(fileName, kind);
    return ExportTo(printout, exporter, from, to);
}

bool ExportTo(TPrintout &printout, TPrintoutExport &exporter, int from, int to)
{
    THourglass hourglass;
    if (!exporter.Ready() || printout.PageCount() == 0)
        return false;
    from = std::max(from, 1);
    // A range past the last page ends there, and so does the progress count.
    to = std::min(to, printout.PageCount());
    if (!printout.PageMetafile(from))
        return false;
    const int total = to - from + 2;
    // The listing is written page by page as the pages go out.
    QFile listing(QStringLiteral("emf.txt"));
    const bool listed = listing.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
    bool anyLine = false;
    exporter.OnListing = [&](const QStringList &lines) {
        if (!listed || lines.isEmpty())
            return;
        listing.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
        anyLine = true;
    };
    ExportRange(exporter, printout, from, to, [&](int done) {
        if (printout.OnProgress)
            printout.OnProgress(printout, done + 1, TPrintout::ProgressText(done + 1, total), total);
    });
    if (listed && !anyLine)
        listing.write("\n");
    return true;
}

} // namespace printout
