#include "pdf/PdfBox.h"

#include "pdf/FontEngine.h"
#include "pdf/PdfFile.h"
#include "pdf/PdfFont.h"
#include "pdf/PdfImage.h"
#include "pdf/PdfSyntax.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QUrl>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

namespace pdf {

namespace {

const char kAbout[] = "LeaseForm PDF writer 1.0 (PDF 1.3)";
const char kProducer[] = "LeaseForm PDF writer 1.0";

struct TErrorText {
    TPdfErrorCode code;
    const char *text;
};

const TErrorText kErrorTexts[] = {
    {TPdfErrorCode::AlreadyOpen, "PDF document already open"},
    {TPdfErrorCode::InvalidPropertyValue, "Invalid property value"},
    {TPdfErrorCode::InvalidValueForProperty, "Invalid value for property"},
    {TPdfErrorCode::FileLocked, "File locked"},
    {TPdfErrorCode::CantOpenFile, "Can't open file"},
    {TPdfErrorCode::CantModifyProperty, "Can't modify property when printing"},
    {TPdfErrorCode::NotOpened, "Document not opened"},
    {TPdfErrorCode::BadRectangle, "Bad rectangle definition"},
    {TPdfErrorCode::InvalidMethodCall, "Invalid method call"},
    {TPdfErrorCode::WriteError, "File write error, or disk full"},
    {TPdfErrorCode::InternalError, "Internal error"},
    {TPdfErrorCode::CharsetNotSupported, "Font character set not supported"},
    {TPdfErrorCode::NotTrueType, "This font is not TrueType"},
    {TPdfErrorCode::FileNotFound, "File not found"},
};

// Index = the platform's paper-size code; sizes in tenths of a millimetre.
const TPdfBox::TPaperSize kPaperSizes[] = {
    {"Custom", 0, 0},
    {"Letter", 2159, 2794},
    {"LetterSmall", 2159, 2794},
    {"Tabloid", 2794, 4318},
    {"Ledger", 4318, 2794},
    {"Legal", 2159, 3556},
    {"Statement", 1270, 2159},
    {"Executive", 1842, 2667},
    {"A3", 2970, 4200},
    {"A4", 2100, 2970},
    {"A4 Small", 2100, 2970},
    {"A5", 1480, 2100},
    {"B4", 2500, 3540},
    {"B5", 1820, 2570},
    {"Folio", 2159, 3302},
    {"Quarto", 2150, 2750},
    {"10 x 14 in", 2540, 3556},
    {"11 x 17 in", 2794, 4318},
    {"Note", 2159, 2794},
    {"Envelope #9", 984, 2254},
    {"Envelope #10", 1048, 2413},
    {"Envelope #11", 1043, 2635},
    {"Envelope #12", 1207, 2794},
    {"Envelope #14", 1270, 2921},
    {"C size sheet", 4318, 5588},
    {"D size sheet", 5588, 8636},
    {"E size sheet", 8636, 11176},
    {"DL", 1100, 2200},
    {"C5", 1620, 2290},
    {"C3", 3240, 4580},
    {"C4", 2290, 3240},
    {"C6", 1140, 1620},
    {"C65", 1140, 2290},
    {"B4", 2500, 3530},
    {"B5", 1760, 2500},
    {"B6", 1760, 1250},
    {"Envelope Italy", 1100, 2300},
    {"Monarch", 984, 1905},
    {"Envelope Personal", 921, 1651},
    {"US Standard Fanfold", 3778, 2794},
    {"German Standard Fanfold", 2159, 3048},
    {"German Legal Fanfold", 2159, 3302},
};
const int kPaperSizeCount = int(sizeof(kPaperSizes) / sizeof(kPaperSizes[0]));
const int kLetter = 1, kA4 = 9;

// The paper of the user's locale (LC_PAPER, in millimetres) as a table index; 0 when the
// platform says nothing or names a size not in the table.
int LocalePaperSize()
{
    locale_t user = newlocale(LC_PAPER_MASK, "", locale_t(0));
    if (user == locale_t(0))
        return 0;
    // Numeric items come back in the pointer's bits.
    const auto word = [user](nl_item item) {
        return int(reinterpret_cast<uintptr_t>(nl_langinfo_l(item, user)) & 0xffffffffu);
    };
    const int heightMm = word(_NL_PAPER_HEIGHT);
    const int widthMm = word(_NL_PAPER_WIDTH);
    freelocale(user);
    for (int i = 1; i < kPaperSizeCount; ++i)
        if (std::abs(kPaperSizes[i].width - widthMm * 10) <= 10 && std::abs(kPaperSizes[i].height - heightMm * 10) <= 10)
            return i;
    return 0;
}

int DefaultPaperSize()
{
    if (const int fromLocale = LocalePaperSize())
        return fromLocale;
    const QLocale::Territory territory = QLocale::system().territory();
    return territory == QLocale::UnitedStates || territory == QLocale::Canada ? kLetter : kA4;
}

QByteArray ColorText(const QColor &color)
{
    return FormatNumber(color.red() / 255.0) + ' ' + FormatNumber(color.green() / 255.0) + ' ' +
           FormatNumber(color.blue() / 255.0) + ' ';
}

// Document information strings: Latin-1 when the text fits, else UTF-16 with its mark.
QByteArray InfoString(const QString &text)
{
    bool latin = true;
    for (QChar c : text)
        if (c.unicode() > 0xFF) {
            latin = false;
            break;
        }
    if (latin)
        return LiteralString(text.toLatin1());
    QByteArray utf16("\xFE\xFF", 2);
    for (QChar c : text) {
        utf16.append(char(c.unicode() >> 8));
        utf16.append(char(c.unicode() & 0xFF));
    }
    return LiteralString(utf16);
}

QByteArray Pt(double value) { return FormatNumber(value); }

} // namespace

// ---------------------------------------------------------------------------------------------

EPdfError::EPdfError(TPdfErrorCode code, const QString &detail) : m_code(code)
{
    m_message = Text(code);
    if (!detail.isEmpty())
        m_message += QStringLiteral(": ") + detail;
    m_what = m_message.toUtf8();
}

QString EPdfError::Text(TPdfErrorCode code)
{
    for (const TErrorText &entry : kErrorTexts)
        if (entry.code == code)
            return QString::fromLatin1(entry.text);
    return QString();
}

// ---------------------------------------------------------------------------------------------

TPdfBox::TPdfBox() : m_file(std::make_unique<TPdfFile>()), m_canvas(*this)
{
    m_nonEmbedded = {QStringLiteral("Arial"), QStringLiteral("Courier New"), QStringLiteral("Symbol"),
                     QStringLiteral("Times New Roman")};
    m_symbolFonts = {QStringLiteral("Symbol"), QStringLiteral("Wingdings"), QStringLiteral("Webdings")};
    ApplyPaperSize(DefaultPaperSize());
}

TPdfBox::~TPdfBox()
{
    if (m_open) {
        try {
            Abort();
        } catch (...) {
        }
    }
}

QString TPdfBox::About() const { return QString::fromLatin1(kAbout); }

void TPdfBox::Fail(TPdfErrorCode code, const QString &detail)
{
    if (m_open) {
        try {
            Abort();
        } catch (...) {
        }
    }
    throw EPdfError(code, detail);
}

template <typename F> void TPdfBox::Guard(F &&step)
{
    try {
        step();
    } catch (const EPdfError &) {
        if (m_open) {
            try {
                Abort();
            } catch (...) {
            }
        }
        throw;
    }
}

void TPdfBox::CheckClosed(const char *property, bool section)
{
    if (!m_open)
        return;
    QString detail = QString::fromLatin1(property);
    if (section)
        detail += QStringLiteral(" (use NewSection method)");
    Fail(TPdfErrorCode::CantModifyProperty, detail);
}

void TPdfBox::SetAuthor(const QString &value) { CheckClosed("Author"); m_author = value; }
void TPdfBox::SetEmbedFonts(bool value) { CheckClosed("EmbedFonts"); m_embedFonts = value; }
void TPdfBox::SetFileName(const QString &value) { CheckClosed("FileName"); m_fileName = value; }
void TPdfBox::SetKeywords(const QString &value) { CheckClosed("Keywords"); m_keywords = value; }
void TPdfBox::SetProducer(const QString &value) { CheckClosed("Producer"); m_producer = value; }
void TPdfBox::SetSubject(const QString &value) { CheckClosed("Subject"); m_subject = value; }
void TPdfBox::SetTitle(const QString &value) { CheckClosed("Title"); m_title = value; }

void TPdfBox::SetCompressPages(bool value) { CheckClosed("CompressPages"); m_compressPages = value; }

void TPdfBox::SetJpegQuality(int value)
{
    if (value < 1 || value > 100)
        Fail(TPdfErrorCode::InvalidValueForProperty, QStringLiteral("JpegQuality"));
    m_jpegQuality = value;
}

void TPdfBox::SetLengthUnit(TPdfLengthUnit value)
{
    CheckClosed("LengthUnit");
    if (value == m_unit)
        return;
    const double factor = value == luPoint ? 72.0 / 254.0 : 254.0 / 72.0;
    m_pageWidth = int(std::lround(m_pageWidth * factor));
    m_pageHeight = int(std::lround(m_pageHeight * factor));
    m_unit = value;
}

void TPdfBox::SetOrientation(TPdfOrientation value)
{
    CheckClosed("Orientation", true);
    if (value == m_orientation)
        return;
    std::swap(m_pageWidth, m_pageHeight);
    m_orientation = value;
}

void TPdfBox::SetPageHeight(int value)
{
    CheckClosed("PageHeight", true);
    m_pageHeight = value;
    m_paperSize = 0;
}

void TPdfBox::SetPageWidth(int value)
{
    CheckClosed("PageWidth", true);
    m_pageWidth = value;
    m_paperSize = 0;
}

void TPdfBox::SetPaperSize(int index)
{
    CheckClosed("PaperSize", true);
    if (index < 0 || index >= kPaperSizeCount)
        Fail(TPdfErrorCode::InvalidPropertyValue, QStringLiteral("PaperSize"));
    if (index == 0)
        m_paperSize = 0;
    else
        ApplyPaperSize(index);
}

QString TPdfBox::PaperSizeName() const { return QString::fromLatin1(kPaperSizes[m_paperSize].name); }

void TPdfBox::SetPaperSizeName(const QString &name)
{
    CheckClosed("PaperSizeName", true);
    for (int i = 1; i < kPaperSizeCount; ++i)
        if (name.compare(QLatin1String(kPaperSizes[i].name), Qt::CaseInsensitive) == 0) {
            ApplyPaperSize(i);
            return;
        }
    Fail(TPdfErrorCode::InvalidPropertyValue, QStringLiteral("PaperSizeName"));
}

void TPdfBox::ApplyPaperSize(int index)
{
    const TPaperSize &paper = kPaperSizes[index];
    int width = paper.width, height = paper.height;
    if (m_unit == luPoint) {
        width = int(std::lround(width * 72.0 / 254.0));
        height = int(std::lround(height * 72.0 / 254.0));
    }
    if (m_orientation == poLandscape)
        std::swap(width, height);
    m_pageWidth = width;
    m_pageHeight = height;
    m_paperSize = index;
}

const TPdfBox::TPaperSize &TPdfBox::PaperSizeInfo(int index)
{
    return kPaperSizes[index >= 0 && index < kPaperSizeCount ? index : 0];
}

int TPdfBox::PaperSizeCount() { return kPaperSizeCount; }

double TPdfBox::UnitToPoint() const { return m_unit == luTenth ? 72.0 / 254.0 : 1.0; }

double TPdfBox::PixelToUnit() const { return (m_unit == luTenth ? 254.0 : 72.0) / ScreenDpi(); }

int TPdfBox::ScreenDpi()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            return qMax(1, qRound(screen->logicalDotsPerInch()));
    return 96;
}

void TPdfBox::CheckWritten()
{
    if (!m_file->Ok())
        Fail(TPdfErrorCode::WriteError, m_targetPath);
}

void TPdfBox::BeginDoc()
{
    if (m_open)
        Fail(TPdfErrorCode::AlreadyOpen);
    if (m_pageHeight == 0)
        Fail(TPdfErrorCode::InvalidPropertyValue, QStringLiteral("PageHeight"));
    if (m_pageWidth == 0)
        Fail(TPdfErrorCode::InvalidPropertyValue, QStringLiteral("PageWidth"));
    m_aborted = false;
    if (m_fileName.isEmpty())
        m_fileName = QStringLiteral("File.pdf");
    QString path = m_fileName;
    if (!path.contains(QLatin1Char('/'))) {
        const QString programDir = QCoreApplication::instance()
                                       ? QCoreApplication::applicationDirPath()
                                       : QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).path();
        path = QDir(programDir).filePath(path);
    }
    m_targetPath = QFileInfo(path).absoluteFilePath();

    // The document is written beside its target and takes its place at the end, so that a
    // failed or aborted document leaves an older file of that name as it was.
    const QFileInfo target(m_targetPath);
    if (target.exists() && (target.isDir() || !QFileInfo(target.path()).isWritable()))
        Fail(TPdfErrorCode::FileLocked, m_targetPath);
    m_workPath = m_targetPath + QStringLiteral(".%1.part").arg(::getpid());
    if (!m_file->Open(m_workPath))
        Fail(TPdfErrorCode::CantOpenFile, m_targetPath);

    m_open = true;
    m_canvas.Reset();
    Guard([&] {
        TPdfFile &file = *m_file;
        file.Line("%PDF-1.3");
        file.StartObject();
        file.Line("<<");
        file.Line("/CreationDate " +
                  LiteralString("D:" + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1()));
        file.Line("/Title " + InfoString(m_title));
        if (!m_author.isEmpty())
            file.Line("/Author " + InfoString(m_author));
        if (!m_subject.isEmpty())
            file.Line("/Subject " + InfoString(m_subject));
        if (!m_keywords.isEmpty())
            file.Line("/Keywords " + InfoString(m_keywords));
        file.Line("/Producer " + InfoString(m_producer.isEmpty() ? QString::fromLatin1(kProducer) : m_producer));
        file.Line(">>");
        file.Line("endobj");
        // 2: page tree, 3: resources, 4: kept free; all written at the end.
        file.Reserve();
        file.Reserve();
        file.Reserve();
        CheckWritten();
        m_savedOrientation = m_orientation;
        m_pageCount = 0;
        if (OnStart)
            OnStart(this);
        StartPage();
    });
}

void TPdfBox::StartPage()
{
    ++m_pageCount;
    if (OnNewPage)
        OnNewPage(this);
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

void TPdfBox::NewPage()
{
    if (m_aborted)
        return;
    if (!m_open)
        Fail(TPdfErrorCode::NotOpened);
    Guard([&] {
        if (m_pageCount > 0) {
            m_canvas.WritePage();
            CheckWritten();
        }
        StartPage();
    });
}

void TPdfBox::EndDoc()
{
    if (!m_open)
        return;
    Guard([&] {
        m_canvas.WritePage();
        m_canvas.WriteDocumentEnd();
        if (!m_file->Close())
            Fail(TPdfErrorCode::WriteError, m_targetPath);
        if (::rename(QFile::encodeName(m_workPath).constData(), QFile::encodeName(m_targetPath).constData()) != 0)
            Fail(TPdfErrorCode::FileLocked, m_targetPath);
    });
    m_open = false;
    m_canvas.Reset();
    m_orientation = m_savedOrientation;
    if (OnEnd)
        OnEnd(this);
    if (m_wantShow) {
        if (!QFileInfo::exists(m_targetPath))
            Fail(TPdfErrorCode::FileNotFound, m_targetPath);
        QDesktopServices::openUrl(QUrl::fromLocalFile(m_targetPath));
    }
}

void TPdfBox::Abort()
{
    if (!m_open)
        return;
    m_file->Discard();
    QFile::remove(m_workPath);
    m_open = false;
    m_aborted = true;
    m_canvas.Reset();
    m_orientation = m_savedOrientation;
    if (OnAbort)
        OnAbort(this);
}

// ---------------------------------------------------------------------------------------------

TPdfCanvas::TPdfCanvas(TPdfBox &box) : m_box(box) {}

TPdfCanvas::~TPdfCanvas() = default;

void TPdfCanvas::Reset()
{
    m_pen = TPdfPen();
    m_brush = TPdfBrush();
    m_font = TPdfFontDesc();
    m_curX = m_curY = 0;
    m_content.clear();
    m_pages.clear();
    m_fontByKey.clear();
    m_fonts.clear();
    m_imageByHandle.clear();
    m_images.clear();
}

bool TPdfCanvas::Ready()
{
    if (m_box.m_aborted)
        return false;
    if (!m_box.m_open)
        m_box.Fail(TPdfErrorCode::NotOpened);
    return true;
}

double TPdfCanvas::X(double x) const { return x * m_box.UnitToPoint(); }
double TPdfCanvas::Y(double y) const { return (m_box.m_pageHeight - y) * m_box.UnitToPoint(); }
double TPdfCanvas::L(double length) const { return length * m_box.UnitToPoint(); }

QByteArray TPdfCanvas::PaintingState(bool withFill)
{
    const bool brush = withFill && m_brush.Style != bsClear;
    const bool pen = m_pen.Style != psClear && m_pen.Width > 0;
    if (brush)
        Add(ColorText(m_brush.Color) + "rg");
    if (pen) {
        Add(ColorText(m_pen.Color) + "RG");
        const bool dashed = m_pen.Style == psDash || m_pen.Style == psDot || m_pen.Style == psDashDot ||
                            m_pen.Style == psDashDotDot;
        Add(dashed ? "[3 3]0 d" : "[]0 d");
        Add(Pt(L(m_pen.Width)) + " w");
    }
    return brush && pen ? "B" : pen ? "S" : brush ? "f" : "";
}

void TPdfCanvas::MoveTo(int x, int y)
{
    if (!Ready())
        return;
    m_curX = x;
    m_curY = y;
}

void TPdfCanvas::Line(double x1, double y1, double x2, double y2)
{
    Add(Pt(X(x1)) + ' ' + Pt(Y(y1)) + " m");
    Add(Pt(X(x2)) + ' ' + Pt(Y(y2)) + " l S");
}

void TPdfCanvas::LineTo(int x, int y)
{
    if (!Ready())
        return;
    if (!PaintingState(false).isEmpty())
        Line(m_curX, m_curY, x, y);
    m_curX = x;
    m_curY = y;
}

void TPdfCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    if (!Ready())
        return;
    if (x1 == x2 || y1 == y2) {
        MoveTo(x1, y1);
        LineTo(x2, y2);
        return;
    }
    const int left = std::min(x1, x2), right = std::max(x1, x2);
    const int top = std::min(y1, y2), bottom = std::max(y1, y2);
    const QByteArray op = PaintingState();
    if (op.isEmpty())
        return;
    Add(Pt(X(left)) + ' ' + Pt(Y(bottom)) + ' ' + Pt(L(right - left)) + ' ' + Pt(L(bottom - top)) + " re " + op);
}

namespace {
// Control points of a quarter circle drawn with one cubic Bézier segment.
const double kArc = 0.5522847498;
} // namespace

void TPdfCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    if (!Ready())
        return;
    const int left = std::min(x1, x2), right = std::max(x1, x2);
    const int top = std::min(y1, y2), bottom = std::max(y1, y2);
    if (left == right || top == bottom)
        m_box.Fail(TPdfErrorCode::BadRectangle);
    const QByteArray op = PaintingState();
    if (op.isEmpty())
        return;
    const double cx = X((left + right) / 2.0), cy = Y((top + bottom) / 2.0);
    const double rx = L((right - left) / 2.0), ry = L((bottom - top) / 2.0);
    const double kx = rx * kArc, ky = ry * kArc;
    // One closed path: separate quarter-arcs filled apart from an inner diamond leave
    // anti-aliasing seams where the pieces meet.
    Add(Pt(cx + rx) + ' ' + Pt(cy) + " m");
    auto curve = [&](double xa, double ya, double xb, double yb, double x3, double y3) {
        Add(Pt(xa) + ' ' + Pt(ya) + ' ' + Pt(xb) + ' ' + Pt(yb) + ' ' + Pt(x3) + ' ' + Pt(y3) + " c");
    };
    curve(cx + rx, cy + ky, cx + kx, cy + ry, cx, cy + ry);
    curve(cx - kx, cy + ry, cx - rx, cy + ky, cx - rx, cy);
    curve(cx - rx, cy - ky, cx - kx, cy - ry, cx, cy - ry);
    curve(cx + kx, cy - ry, cx + rx, cy - ky, cx + rx, cy);
    Add("h " + op);
}

void TPdfCanvas::RoundRect(int x1, int y1, int x2, int y2, int rx, int ry)
{
    if (!Ready())
        return;
    if (x1 == x2 || y1 == y2) {
        MoveTo(x1, y1);
        LineTo(x2, y2);
        return;
    }
    const int l = std::min(x1, x2), r = std::max(x1, x2);
    const int t = std::min(y1, y2), b = std::max(y1, y2);
    rx = std::clamp(std::abs(rx), 0, (r - l) / 2);
    ry = std::clamp(std::abs(ry), 0, (b - t) / 2);
    const QByteArray op = PaintingState();
    if (op.isEmpty())
        return;
    const double kx = rx * kArc, ky = ry * kArc;
    // One closed path of edges and corner arcs, for the same reason as the ellipse.
    auto point = [&](double x, double y) { return Pt(X(x)) + ' ' + Pt(Y(y)); };
    auto curve = [&](double xa, double ya, double xb, double yb, double x3, double y3) {
        Add(point(xa, ya) + ' ' + point(xb, yb) + ' ' + point(x3, y3) + " c");
    };
    Add(point(l + rx, t) + " m");
    Add(point(r - rx, t) + " l");
    curve(r - rx + kx, t, r, t + ry - ky, r, t + ry);
    Add(point(r, b - ry) + " l");
    curve(r, b - ry + ky, r - rx + kx, b, r - rx, b);
    Add(point(l + rx, b) + " l");
    curve(l + rx - kx, b, l, b - ry + ky, l, b - ry);
    Add(point(l, t + ry) + " l");
    curve(l, t + ry - ky, l + rx - kx, t, l + rx, t);
    Add("h " + op);
}

TPdfFont &TPdfCanvas::CurrentFont()
{
    const int charset = TPdfFont::EffectiveCharset(m_font);
    const QString key = TPdfFont::Key(m_font, charset);
    auto found = m_fontByKey.find(key);
    if (found != m_fontByKey.end())
        return *found->second;
    TPdfFont::TOptions options;
    options.embedFonts = m_box.m_embedFonts;
    options.nonEmbedded = m_box.m_nonEmbedded;
    options.symbolic = m_box.m_symbolFonts;
    auto font = std::make_unique<TPdfFont>(m_font, charset, int(m_fonts.size()), options, *m_box.m_file);
    TPdfFont &result = *font;
    m_fonts.push_back(std::move(font));
    m_fontByKey.emplace(key, &result);
    return result;
}

void TPdfCanvas::TextOut(int x, int y, const QString &text)
{
    if (!Ready())
        return;
    m_box.Guard([&] {
        TPdfFont &font = CurrentFont();
        const double size = std::abs(m_font.Size);
        int width = -1;
        if (font.RightToLeftKind() != 0 || m_font.Underline || m_font.StrikeOut)
            width = TextWidth(text);
        // The text's own axes on the page: along the baseline and up from it.
        const double angle = m_font.Orientation / 10.0 * M_PI / 180.0;
        const bool turned = m_font.Orientation % 3600 != 0;
        const double c = turned ? std::cos(angle) : 1, s = turned ? std::sin(angle) : 0;
        const double ascent = size * font.AscentRatio();
        double ox = X(x) + ascent * s, oy = Y(y) - ascent * c; // start of the baseline
        if (font.RightToLeftKind() != 0) {
            ox -= L(width) * c;
            oy -= L(width) * s;
        }
        auto point = [&](double along, double up) {
            return Pt(ox + along * c - up * s) + ' ' + Pt(oy + along * s + up * c);
        };
        Add("BT");
        Add(font.ResourceName() + ' ' + Pt(size) + " Tf");
        Add(ColorText(m_font.Color) + "rg");
        if (turned)
            Add(Pt(c) + ' ' + Pt(s) + ' ' + Pt(-s) + ' ' + Pt(c) + ' ' + Pt(ox) + ' ' + Pt(oy) + " Tm");
        else
            Add(Pt(ox) + ' ' + Pt(oy) + " Td");
        Add(LiteralString(font.Encode(text)) + " Tj");
        Add("ET");
        auto rule = [&](double thickness, double position) {
            Add(ColorText(m_font.Color) + "RG");
            Add("[]0 d");
            Add(Pt(thickness * size) + " w");
            Add(point(0, position * size) + " m");
            Add(point(std::round(L(width)), position * size) + " l S");
        };
        if (m_font.Underline)
            rule(font.UnderlineThickness(), font.UnderlinePosition());
        if (m_font.StrikeOut)
            rule(font.StrikeoutThickness(), font.StrikeoutPosition());
    });
}

int TPdfCanvas::TextWidth(const QString &text)
{
    if (!Ready())
        return 0;
    int result = 0;
    m_box.Guard([&] {
        const TFontFace &face = TPdfFont::FaceOf(m_font, "GetTextExtentPoint32");
        const double em = std::abs(m_font.Size) / m_box.UnitToPoint();
        result = int(std::lround(face.TextWidth(text, em)));
    });
    return result;
}

int TPdfCanvas::TextHeight(const QString &)
{
    if (!Ready())
        return 0;
    int result = 0;
    m_box.Guard([&] {
        const TFontFace &face = TPdfFont::FaceOf(m_font, "GetTextExtentPoint32");
        const TFontMetrics &m = face.Metrics();
        const double em = std::abs(m_font.Size) / m_box.UnitToPoint();
        result = int(std::lround(double(m.winAscent + m.winDescent) / m.unitsPerEm * em));
    });
    return result;
}

TPdfImage &TPdfCanvas::ImageFor(int kind, quint64 handle, const std::function<QImage()> &bitmap)
{
    const auto key = std::make_pair(kind, handle);
    auto found = m_imageByHandle.find(key);
    if (found != m_imageByHandle.end())
        return *found->second;
    auto image = std::make_unique<TPdfImage>(bitmap(), int(m_images.size()), m_box.m_compressMode,
                                             m_box.m_jpegQuality);
    TPdfImage &result = *image;
    m_images.push_back(std::move(image));
    m_imageByHandle.emplace(key, &result);
    return result;
}

void TPdfCanvas::StretchDraw(int left, int top, int right, int bottom, const QImage &image)
{
    if (!Ready())
        return;
    if (image.isNull())
        m_box.Fail(TPdfErrorCode::InvalidMethodCall);
    m_box.Guard([&] {
        TPdfImage &pdfImage = ImageFor(0, image.cacheKey(), [&] { return image; });
        PlacePicture(left, top, right, bottom, pdfImage, image.size());
    });
}

void TPdfCanvas::StretchDraw(int left, int top, int right, int bottom, const TPdfMetafile &metafile)
{
    if (!Ready())
        return;
    m_box.Guard([&] {
        const QSize size = metafile.SizePixels();
        if (size.isEmpty())
            m_box.Fail(TPdfErrorCode::InvalidMethodCall);
        TPdfImage &pdfImage = ImageFor(1, metafile.Handle(), [&] { return TPdfImage::Rasterize(metafile); });
        PlacePicture(left, top, right, bottom, pdfImage, size);
    });
}

void TPdfCanvas::PlacePicture(int left, int top, int right, int bottom, TPdfImage &image, QSize pixels)
{
    double l = std::min(left, right), r = std::max(left, right);
    double t = std::min(top, bottom), b = std::max(top, bottom);
    if (left == right || top == bottom) {
        l = left;
        t = top;
        r = l + std::round(pixels.width() * m_box.PixelToUnit());
        b = t + std::round(pixels.height() * m_box.PixelToUnit());
    } else if (m_box.m_smartStretch) {
        const double scale = std::min((r - l) / pixels.width(), (b - t) / pixels.height());
        const double w = pixels.width() * scale, h = pixels.height() * scale;
        const double nl = HorzAlign == haLeft ? l : HorzAlign == haRight ? r - w : l + (r - l - w) / 2;
        const double nt = VertAlign == vaTop ? t : VertAlign == vaBottom ? b - h : t + (b - t - h) / 2;
        l = nl;
        t = nt;
        r = nl + w;
        b = nt + h;
    }
    Add("q");
    Add(Pt(L(r - l - 1)) + " 0 0 " + Pt(L(b - t - 1)) + ' ' + Pt(X(l)) + ' ' + Pt(Y(b)) + " cm");
    Add(image.ResourceName() + " Do");
    Add("Q");
}

void TPdfCanvas::WritePage()
{
    TPdfFile &file = *m_box.m_file;
    const int content = file.StartObject();
    file.Line("<<");
    const QByteArray packed = m_box.m_compressPages && !m_content.isEmpty() ? ZlibCompress(m_content) : QByteArray();
    if (!packed.isEmpty()) {
        file.Line("/Length " + QByteArray::number(packed.size()));
        file.Line("/Filter/FlateDecode");
        file.Line(">>");
        file.Line("stream");
        file.Line(packed);
    } else {
        file.Line("/Length " + QByteArray::number(m_content.size()));
        file.Line(">>");
        file.Line("stream");
        file.Write(m_content);
    }
    file.Line("endstream");
    file.Line("endobj");
    for (const auto &image : m_images)
        if (image->Pending())
            image->Write(file);
    const int page = file.StartObject();
    file.Line("<<");
    file.Line("/Type/Page");
    file.Line("/Parent 2 0 R");
    file.Line("/MediaBox[ 0 0 " + Pt(L(m_box.m_pageWidth)) + ' ' + Pt(L(m_box.m_pageHeight)) + " ]");
    file.Line("/Contents " + QByteArray::number(content) + " 0 R");
    file.Line(">>");
    file.Line("endobj");
    m_pages.push_back(page);
    m_content.clear();
    m_curX = m_curY = 0;
}

void TPdfCanvas::WriteDocumentEnd()
{
    TPdfFile &file = *m_box.m_file;
    const int catalog = file.StartObject();
    file.Line("<<");
    file.Line("/Type/Catalog");
    file.Line("/Pages 2 0 R");
    file.Line(">>");
    file.Line("endobj");

    file.StartObject(2);
    file.Line("<<");
    file.Line("/Type/Pages");
    file.Line("/Kids[");
    for (int page : m_pages)
        file.Line(QByteArray::number(page) + " 0 R");
    file.Line("]");
    file.Line("/Count " + QByteArray::number(qsizetype(m_pages.size())));
    file.Line("/Resources 3 0 R");
    file.Line(">>");
    file.Line("endobj");

    file.StartObject(3);
    file.Line("<<");
    file.Line("/ProcSet[/PDF/Text/ImageC]");
    file.Line("/Font<<");
    for (const auto &font : m_fonts)
        file.Line(font->ResourceName() + ' ' + QByteArray::number(font->ObjectNumber()) + " 0 R");
    file.Line(">>");
    if (!m_images.empty()) {
        file.Line("/XObject <<");
        for (const auto &image : m_images)
            file.Line(image->ResourceName() + ' ' + QByteArray::number(image->ObjectNumber()) + " 0 R");
        file.Line(" >>");
    }
    file.Line(">>");
    file.Line("endobj");

    const qint64 xref = file.Position();
    const int count = int(file.Offsets().size());
    file.Line("xref");
    file.Line("0 " + QByteArray::number(count + 1));
    file.Line("0000000000 65535 f\r");
    for (qint64 offset : file.Offsets()) {
        if (offset < 0)
            file.Line("0000000000 65535 f\r");
        else
            file.Line(QByteArray::number(offset).rightJustified(10, '0') + " 00000 n\r");
    }

    // Identifier: the date-time as days since 1899-12-30 times 10000, then every third
    // letter of the file name.
    const QDateTime now = QDateTime::currentDateTime();
    const double days = QDate(1899, 12, 30).daysTo(now.date()) + now.time().msecsSinceStartOfDay() / 86400000.0;
    QByteArray id = QByteArray::number(qint64(std::llround(days * 10000.0)));
    const QString &name = m_box.m_targetPath;
    for (qsizetype i = 2; i < name.size(); i += 3) {
        const char16_t c = name[i].unicode();
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            id.append(char(c));
    }
    file.Line("trailer");
    file.Line("<<");
    file.Line("/Size " + QByteArray::number(count + 1));
    file.Line("/Root " + QByteArray::number(catalog) + " 0 R");
    file.Line("/Info 1 0 R");
    file.Line("/ID[(" + id + ")(" + id + ")]");
    file.Line(">>");
    file.Line("startxref");
    file.Line(QByteArray::number(xref));
    file.Line("%%EOF");
}

} // namespace pdf
