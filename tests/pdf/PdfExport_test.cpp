// Recorded printouts saved as PDF: the replay of every record onto the writer, the export run
// with its progress and listing, and bailtool pdf on real metafiles.

#include "pdf/PdfBox.h"
#include "pdf/PdfSyntax.h"
#include "printout/Metafile.h"
#include "printout/PdfExport.h"
#include "printout/Player.h"
#include "printout/Printout.h"

#include "PdfTestSupport.h"

#include <QDir>
#include <QTemporaryDir>

using namespace printout;
using namespace pdftest;

namespace {

struct TWord {
    double xMin, yMin, xMax, yMax;
};

// Words of page (1-based) as pdftotext -bbox finds them, in points from the top-left corner.
std::multimap<QString, TWord> Words(const QString &path, int page)
{
    const QString html = ToolOutput(QStringLiteral("pdftotext"),
                                    {QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(page),
                                     QStringLiteral("-l"), QString::number(page), path, QStringLiteral("-")});
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    std::multimap<QString, TWord> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.emplace(m.captured(5), TWord{m.captured(1).toDouble(), m.captured(2).toDouble(),
                                          m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return words;
}

// Every single-word text run of metafile is found at its recorded box, within half a
// millimetre horizontally and at its baseline-and-descent bottom.
void ExpectRunsWhereRecorded(const QString &path, int page, const TMetafile &metafile)
{
    const auto words = Words(path, page);
    const double toPt = 72.0 / 254, halfMm = 72 / 25.4 / 2;
    int checked = 0;
    for (const TTextRun &run : TextRuns(metafile)) {
        if (run.text.isEmpty() || run.text.contains(QLatin1Char(' ')))
            continue;
        const auto found = words.find(run.text);
        ASSERT_NE(found, words.end()) << run.text.toStdString();
        EXPECT_NEAR(found->second.xMin, run.box.left() * toPt, halfMm) << run.text.toStdString();
        EXPECT_NEAR(found->second.xMax, run.box.right() * toPt, halfMm) << run.text.toStdString();
        EXPECT_NEAR(found->second.yMax, run.box.bottom() * toPt, halfMm) << run.text.toStdString();
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

class PdfExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::TempDir();
        path = QDir(dir->path()).filePath(QStringLiteral("printout.pdf"));
        oldDir = QDir::currentPath();
        QDir::setCurrent(dir->path()); // the listing goes to the current directory
    }
    void TearDown() override { QDir::setCurrent(oldDir); }

    std::unique_ptr<QTemporaryDir> dir;
    QString path, oldDir;
};

TEST_F(PdfExportTest, RecordedPagesComeOutWhereTheyWereDrawn)
{
    TPrintout printout(nullptr, TPrinter::Virtual(), QStringLiteral("Bail 42"));
    QImage logo(30, 20, QImage::Format_RGB32);
    logo.fill(QColor(0, 90, 160));
    for (int i = 0; i < 2; ++i) {
        printout.NewPage(1);
        TPageCanvas &c = *printout.Canvas();
        c.SetTextAlign(emf::TA_BASELINE);
        c.SetFontHeight(-35);
        c.TextOut(250, -400, QStringLiteral("Locateur"));
        c.SetTextAlign(emf::TA_RIGHT);
        c.TextOut(2000, -600, QStringLiteral("Loyer"));
        c.SetTextAlign(emf::TA_BASELINE | emf::TA_CENTER);
        c.SetFontStyle(1);
        c.SetFontHeight(-50);
        c.TextOut(1080, -800, QStringLiteral("Page%1").arg(i + 1));
        c.SetTextAlign(emf::TA_BOTTOM);
        c.TextOut(300, -1000, QStringLiteral("Bas"));
        c.Rectangle(100, -1100, 500, -1300);
        c.MoveTo(100, -1400);
        c.LineTo(2000, -1400);
        c.StretchDraw(QRect(QPoint(1500, -2000), QPoint(1800, -2200)), logo);
        printout.EndPage();
    }
    std::vector<int> steps;
    printout.OnProgress = [&](TPrintout &, int step, const QString &text, int total) {
        steps.push_back(step);
        EXPECT_EQ(total, 3);
        EXPECT_EQ(text, TPrintout::ProgressText(step, total));
    };
    ASSERT_TRUE(ExportTo(printout, path, QStringLiteral("ACROBAT"), 1, 9)); // stops at the last page
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3}));

    const QByteArray pdf = ReadAll(path);
    EXPECT_EQ(Count(pdf, "/Subtype/Image"), 1);
    EXPECT_EQ(Count(pdf, "/Type/Page\n"), 2);
    const QByteArray content = PageContent(pdf, 0);
    EXPECT_TRUE(content.contains(" re B\n"));
    EXPECT_TRUE(content.contains(" l S\n"));
    EXPECT_TRUE(content.contains("/Im0 Do\n"));

    const QStringList listing = QString::fromUtf8(ReadAll(QStringLiteral("emf.txt"))).split(QLatin1Char('\n'));
    EXPECT_GT(listing.size(), 20);
    EXPECT_TRUE(listing.first().contains(QLatin1String("EMR_HEADER"))) << listing.first().toStdString();
    EXPECT_TRUE(listing.join(QLatin1Char('\n')).contains(QLatin1String("EMR_EXTTEXTOUTW")));

    PDF_TOOL("pdftotext");
    EXPECT_TRUE(QpdfClean(path));
    const QString info = ToolOutput(QStringLiteral("pdfinfo"), {path});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))));
    EXPECT_TRUE(info.contains(QLatin1String("612 x 792 pts")));
    for (int page = 1; page <= 2; ++page)
        ExpectRunsWhereRecorded(path, page, *printout.PageMetafile(page));

    // A right-aligned text ends at its reference x: it starts one text width to the left.
    const auto words = Words(path, 1);
    const auto loyer = words.find(QStringLiteral("Loyer"));
    ASSERT_NE(loyer, words.end());
    EXPECT_NEAR(loyer->second.xMax, 2000 * 72.0 / 254, 72 / 25.4 / 2);
    pdf::TPdfBox measure;
    measure.SetFileName(QDir(dir->path()).filePath(QStringLiteral("measure.pdf")));
    measure.BeginDoc();
    measure.Canvas().Font().Size = 35 * 72.0 / 254;
    const int width = measure.Canvas().TextWidth(QStringLiteral("Loyer"));
    measure.Abort();
    EXPECT_TRUE(content.contains("\n" + pdf::FormatNumber((2000 - width) * 72.0 / 254) + ' '))
        << content.toStdString();
}

TEST_F(PdfExportTest, TurnedTextRunsAtItsAngle)
{
    // Words on a baseline turned 30 and -60 degrees about their reference point, aligned left,
    // centred and right: in the PDF each word lies further along the turned baseline.
    struct TCase {
        int escapement;
        uint32_t align;
        QPoint ref;
    };
    const TCase cases[] = {
        {300, emf::TA_BASELINE, {400, 1800}},
        {-600, emf::TA_BASELINE | emf::TA_CENTER, {1200, 700}},
        {300, emf::TA_RIGHT, {1900, 2000}}, // top
    };
    TPrintout printout(nullptr, TPrinter::Virtual(), QStringLiteral("turned"));
    for (const TCase &c : cases) {
        printout.NewPage(1);
        TPageCanvas &canvas = *printout.Canvas();
        TLogFont font;
        font.height = 60;
        font.escapement = font.orientation = c.escapement;
        font.faceName = QStringLiteral("Arial");
        canvas.SelectObject(canvas.CreateFontIndirect(font));
        canvas.SetTextAlign(c.align);
        canvas.TextOut(c.ref.x(), -c.ref.y(), QStringLiteral("Alpha Bravo Charlie Delta"));
        printout.EndPage();
    }
    TPrintoutExport exporter(path, QStringLiteral("ACROBAT"));
    ExportRange(exporter, printout, 1, 3, {});
    EXPECT_TRUE(PageContent(ReadAll(path), 0).contains("0.866 0.5 -0.5 0.866 "));

    PDF_TOOL("pdftotext");
    for (int page = 1; page <= 3; ++page) {
        const TCase &c = cases[page - 1];
        SCOPED_TRACE(page);
        // A reader cuts turned text into pieces of a few letters. Every piece's centre lies on
        // the line through the middle of the player's box of the run, at the text's angle, and
        // read in their order along it the pieces give back the text.
        const auto runs = TextRuns(*printout.PageMetafile(page));
        ASSERT_EQ(runs.size(), 1u);
        const QPointF middle = runs[0].box.center() * (72.0 / 254);
        const double a = c.escapement / 10.0 * M_PI / 180;
        const QPointF along(std::cos(a), -std::sin(a)); // y down
        std::map<double, QString> pieces;
        double lowest = 1e9, highest = -1e9;
        for (const auto &[text, w] : Words(path, page)) {
            const QPointF centre((w.xMin + w.xMax) / 2 - middle.x(), (w.yMin + w.yMax) / 2 - middle.y());
            const double off = centre.x() * along.y() - centre.y() * along.x();
            lowest = std::min(lowest, off);
            highest = std::max(highest, off);
            pieces[centre.x() * along.x() + centre.y() * along.y()] += text;
        }
        // One straight line at the angle (the reader's boxes of turned pieces sit a little off
        // the cell's middle, the same for all).
        EXPECT_LT(highest - lowest, 72 / 25.4);
        EXPECT_LT(std::max(std::abs(lowest), std::abs(highest)), 2 * 72 / 25.4);
        QString read;
        for (const auto &[at, text] : pieces)
            read += text;
        EXPECT_EQ(read, QStringLiteral("AlphaBravoCharlieDelta"));
    }
}

TEST_F(PdfExportTest, OtherKindsAreNotPrepared)
{
    TPrintoutExport exporter(path, QStringLiteral("WORD"));
    EXPECT_FALSE(exporter.Ready());
    TPrintout printout(nullptr, TPrinter::Virtual(), QStringLiteral("x"));
    EXPECT_FALSE(ExportTo(printout, path, QStringLiteral("ACROBAT"), 1, 1)); // no pages
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(PdfExportTest, DeviceIndependentBitmapsAreRead)
{
    // 2 x 2, 24 bits, bottom-up: the first row in the bytes is the bottom of the picture.
    QByteArray info(40, '\0');
    auto put32 = [&](int at, uint32_t v) { std::memcpy(info.data() + at, &v, 4); };
    put32(0, 40);
    put32(4, 2);
    put32(8, 2);
    info[12] = 1;
    info[14] = 24;
    const QByteArray bits("\x00\x00\xFF" "\x00\xFF\x00" "\x00\x00" // red, green, padding
                          "\xFF\x00\x00" "\xFF\xFF\xFF" "\x00\x00", 16); // blue, white
    const QImage image = DecodeDib(info, bits);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixel(0, 1), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_TRUE(DecodeDib(info, bits.left(10)).isNull()); // pixels missing
    put32(4, 0x7FFFFFFF);
    EXPECT_TRUE(DecodeDib(info, bits).isNull());
}

TEST_F(PdfExportTest, BailtoolWritesEveryFixtureAsAReadablePdf)
{
    const QString fixtures = testsupport::FixtureDir(QStringLiteral("emf"));
    REQUIRE_FIXTURES(fixtures);
    PDF_TOOL("qpdf");
    const QStringList files = QDir(fixtures).entryList({QStringLiteral("*.emf")}, QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty());
    for (const QString &name : files) {
        const QString emf = QDir(fixtures).filePath(name);
        const QString out = QDir(dir->path()).filePath(name + QStringLiteral(".pdf"));
        QString stdOut, stdErr;
        const int rc = testsupport::Run(testsupport::Bailtool(), {QStringLiteral("pdf"), out, emf}, &stdOut, &stdErr);
        if (name.contains(QLatin1String("corrupted"))) {
            EXPECT_EQ(rc, 1) << name.toStdString();
            EXPECT_FALSE(QFileInfo::exists(out));
            continue;
        }
        EXPECT_TRUE(rc == 0 || rc == 2) << name.toStdString() << stdErr.toStdString(); // 2: records skipped
        EXPECT_TRUE(QpdfClean(out)) << name.toStdString();
        const QString info = ToolOutput(QStringLiteral("pdfinfo"), {out});
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n")))) << name.toStdString();
        // The sheet is the file's picture frame, at its physical size.
        const TMetafile page = TMetafile::Load(emf);
        const QSizeF tenths = page.FrameExtent().size() / 10;
        const QRegularExpressionMatch size = QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(info);
        ASSERT_TRUE(size.hasMatch()) << info.toStdString();
        EXPECT_NEAR(size.captured(1).toDouble(), tenths.width() / 254.0 * 72, 1.0) << name.toStdString();
        EXPECT_NEAR(size.captured(2).toDouble(), tenths.height() / 254.0 * 72, 1.0) << name.toStdString();
        // Its fonts are listed and its text read back: the words of the page's text records.
        int fontsRc = -1, textRc = -1;
        ToolOutput(QStringLiteral("pdffonts"), {out}, &fontsRc);
        EXPECT_EQ(fontsRc, 0) << name.toStdString();
        const QString text = ToolOutput(QStringLiteral("pdftotext"), {out, QStringLiteral("-")}, &textRc);
        EXPECT_EQ(textRc, 0) << name.toStdString();
        QString compact = text;
        compact.remove(QRegularExpression(QStringLiteral("\\s")));
        for (const TTextRun &run : TextRuns(page)) {
            // Under a millimetre is too small for any reader to take as text, and what lies
            // off the frame is off the sheet.
            if (run.box.height() < 10 || !QRectF(QPointF(0, 0), tenths).contains(run.box))
                continue;
            QString word = run.text;
            word.remove(QRegularExpression(QStringLiteral("\\s")));
            if (word.size() >= 3 && word.size() <= 40 && word.contains(QRegularExpression(QStringLiteral("^[A-Za-z0-9]+$")))) {
                EXPECT_TRUE(compact.contains(word)) << name.toStdString() << ": " << word.toStdString();
            }
        }
        EXPECT_EQ(testsupport::Run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("20"),
                                                               QStringLiteral("-png"), out,
                                                               QDir(dir->path()).filePath(QStringLiteral("r"))}),
                  0)
            << name.toStdString();
    }
    const QString synthetic = QDir(fixtures).filePath(QStringLiteral("synthetic_letter600_lometric.emf"));
    const QString out = QDir(dir->path()).filePath(QStringLiteral("synthetic_letter600_lometric.emf.pdf"));
    if (QFileInfo::exists(synthetic))
        ExpectRunsWhereRecorded(out, 1, TMetafile::Load(synthetic));
}

} // namespace
