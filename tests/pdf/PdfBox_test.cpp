// The document writer: file layout, properties, drawing operators, failures.

#include "pdf/PdfBox.h"
#include "pdf/PdfSyntax.h"

#include "PdfTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <sys/resource.h>

using namespace pdf;
using namespace pdftest;

namespace {

class PdfBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::TempDir();
        path = QDir(dir->path()).filePath(QStringLiteral("out.pdf"));
        box.SetFileName(path);
        box.SetPaperSizeName(QStringLiteral("Letter"));
    }
    QByteArray Finish()
    {
        box.EndDoc();
        return ReadAll(path);
    }
    // Expects call to throw message, and the document to be gone afterwards.
    template <typename F> void ExpectAbortWith(const QString &message, F &&call)
    {
        try {
            call();
            ADD_FAILURE() << "no error, expected " << message.toStdString();
        } catch (const EPdfError &e) {
            EXPECT_EQ(e.Message(), message);
        }
        EXPECT_FALSE(box.Printing());
        EXPECT_FALSE(QFileInfo::exists(path));
        EXPECT_TRUE(QDir(dir->path()).entryList({QStringLiteral("*.part")}, QDir::Files).isEmpty())
            << "work file left behind";
    }

    std::unique_ptr<QTemporaryDir> dir;
    QString path;
    TPdfBox box;
};

TEST_F(PdfBoxTest, EmptyDocumentHasOnePageAndAConsistentCrossReference)
{
    box.BeginDoc();
    const QByteArray pdf = Finish();
    ASSERT_TRUE(pdf.startsWith("%PDF-1.3\n1 0 obj\n<<\n/CreationDate (D:"));
    EXPECT_TRUE(pdf.endsWith("%%EOF\n"));
    EXPECT_TRUE(pdf.contains("/Type/Pages\n/Kids[\n6 0 R\n]\n/Count 1\n/Resources 3 0 R\n"));
    EXPECT_TRUE(pdf.contains("5 0 obj\n<<\n/Length 0\n>>\nstream\nendstream\nendobj\n"));
    EXPECT_TRUE(pdf.contains("/Title ()\n"));
    EXPECT_FALSE(pdf.contains("/Author"));
    EXPECT_TRUE(pdf.contains("/MediaBox[ 0 0 612 792 ]"));

    // Every entry is 20 bytes ending in CR LF and points at its object; 4 stays free.
    const qsizetype xref = pdf.lastIndexOf("\nxref\n") + 1;
    const qsizetype startxref = pdf.lastIndexOf("startxref\n") + 10;
    EXPECT_EQ(pdf.mid(startxref, pdf.indexOf('\n', startxref) - startxref).toLongLong(), xref);
    const QByteArray table = pdf.mid(xref);
    ASSERT_TRUE(table.startsWith("xref\n0 8\n0000000000 65535 f\r\n"));
    const qsizetype first = table.indexOf("f\r\n") + 3;
    for (int n = 1; n <= 7; ++n) {
        const QByteArray entry = table.mid(first + (n - 1) * 20, 20);
        ASSERT_TRUE(entry.endsWith("\r\n")) << n;
        if (n == 4) {
            EXPECT_EQ(entry, QByteArray("0000000000 65535 f\r\n"));
            continue;
        }
        EXPECT_TRUE(entry.endsWith(" 00000 n\r\n")) << n;
        EXPECT_EQ(entry.left(10).toLongLong(), ObjectOffset(pdf, n)) << n;
    }
    EXPECT_TRUE(table.contains("trailer\n<<\n/Size 8\n/Root 7 0 R\n/Info 1 0 R\n/ID[("));
    static const QRegularExpression id(QStringLiteral("/ID\\[\\((\\d+[A-Za-z]*)\\)\\(\\1\\)\\]"));
    EXPECT_TRUE(id.match(QString::fromLatin1(table)).hasMatch());

    PDF_TOOL("qpdf");
    EXPECT_TRUE(QpdfClean(path));
    const QString info = ToolOutput(QStringLiteral("pdfinfo"), {path});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));
    EXPECT_TRUE(info.contains(QLatin1String("612 x 792 pts (letter)")));
}

TEST_F(PdfBoxTest, RectangleMapsToPointsFromTheBottomLeft)
{
    box.BeginDoc();
    box.Canvas().Rectangle(200, 150, 100, 100); // corners in any order
    const QByteArray content = PageContent(Finish(), 0);
    EXPECT_EQ(content, QByteArray("1 1 1 rg\n0 0 0 RG\n[]0 d\n0.283 w\n28.346 749.48 28.346 14.173 re B\n"));
}

TEST_F(PdfBoxTest, CompressedPagesHoldTheSameContent)
{
    box.SetCompressPages(true);
    box.BeginDoc();
    for (int i = 0; i < 50; ++i)
        box.Canvas().Rectangle(100, 100 + i, 200, 150 + i);
    const QByteArray pdf = Finish();
    EXPECT_TRUE(pdf.contains("/Filter/FlateDecode\n>>\nstream\n"));
    EXPECT_FALSE(pdf.contains(" re B"));
    PDF_TOOL("qpdf");
    EXPECT_TRUE(QpdfClean(path));
    const QString plain = QDir(dir->path()).filePath(QStringLiteral("plain.pdf"));
    ASSERT_EQ(testsupport::Run(QStringLiteral("qpdf"), {QStringLiteral("--stream-data=uncompress"), path, plain}), 0);
    EXPECT_EQ(Count(ReadAll(plain), " re B\n"), 50);
}

TEST_F(PdfBoxTest, PaintingStateFollowsPenAndBrush)
{
    box.BeginDoc();
    TPdfCanvas &c = box.Canvas();
    c.Pen().Style = psClear;
    c.Brush().Style = bsClear;
    c.Rectangle(0, 0, 100, 100);
    c.Ellipse(0, 0, 100, 100);
    c.RoundRect(0, 0, 100, 100, 20, 20);
    c.MoveTo(0, 0);
    c.LineTo(100, 100);
    box.NewPage();
    c.Pen().Style = psDash;
    c.Pen().Color = QColor(255, 0, 0);
    c.Pen().Width = 0; // a zero-width pen draws nothing either
    c.Brush().Style = bsSolid;
    c.Brush().Color = QColor(0, 0, 255);
    c.Rectangle(0, 0, 100, 100);
    c.Pen().Width = 10;
    c.Brush().Style = bsClear;
    c.Rectangle(0, 0, 100, 100);
    c.MoveTo(10, 20);
    c.LineTo(30, 40);
    const QByteArray pdf = Finish();
    EXPECT_EQ(PageContent(pdf, 0), QByteArray());
    EXPECT_EQ(PageContent(pdf, 1), QByteArray("0 0 1 rg\n0 763.654 28.346 28.346 re f\n"
                                              "1 0 0 RG\n[3 3]0 d\n2.835 w\n0 763.654 28.346 28.346 re S\n"
                                              "1 0 0 RG\n[3 3]0 d\n2.835 w\n2.835 786.331 m\n8.504 780.661 l S\n"));
}

TEST_F(PdfBoxTest, DegenerateShapesBecomeLinesOrFail)
{
    box.BeginDoc();
    box.Canvas().Rectangle(100, 100, 100, 300);
    box.Canvas().RoundRect(100, 100, 300, 100, 10, 10);
    const QByteArray content = PageContent(Finish(), 0);
    EXPECT_EQ(Count(content, " l S\n"), 2);
    EXPECT_FALSE(content.contains(" re ") || content.contains(" c\n"));
    path = QDir(dir->path()).filePath(QStringLiteral("second.pdf"));
    box.SetFileName(path);
    box.BeginDoc();
    ExpectAbortWith(QStringLiteral("Bad rectangle definition"), [&] { box.Canvas().Ellipse(100, 100, 100, 300); });
    EXPECT_TRUE(box.Aborted());
    // Drawing after an abort is ignored, new pages too.
    box.Canvas().Rectangle(0, 0, 10, 10);
    box.NewPage();
    box.EndDoc();
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(PdfBoxTest, EllipseAndRoundRectRenderFilledAndOutlined)
{
    PDF_TOOL("pdftoppm");
    box.BeginDoc();
    TPdfCanvas &c = box.Canvas();
    c.Brush().Color = QColor(255, 0, 0);
    c.Pen().Width = 5;
    c.Ellipse(100, 100, 1100, 600);
    c.Brush().Color = QColor(0, 0, 255);
    c.RoundRect(100, 1000, 1100, 1500, 200, 200);
    c.RoundRect(1200, 1000, 1300, 1500, 4000, 4000); // radii larger than the box are limited
    Finish();
    EXPECT_TRUE(QpdfClean(path));
    const QString png = QDir(dir->path()).filePath(QStringLiteral("page"));
    ASSERT_EQ(testsupport::Run(QStringLiteral("pdftoppm"),
                               {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-png"),
                                QStringLiteral("-singlefile"), path, png}),
              0);
    QImage page(png + QStringLiteral(".png"));
    ASSERT_FALSE(page.isNull());
    const double px = 150 / 254.0; // pixels per tenth of a millimetre
    auto at = [&](int x, int y) { return QColor(page.pixel(int(x * px), int(y * px))); };
    EXPECT_EQ(at(600, 350), QColor(255, 0, 0)); // centre of the ellipse
    EXPECT_EQ(at(300, 250), QColor(255, 0, 0)); // inside, off the filled diamond
    EXPECT_EQ(at(150, 120), QColor(Qt::white)); // outside, within its box
    EXPECT_EQ(at(600, 1250), QColor(0, 0, 255));
    EXPECT_EQ(at(1250, 1250), QColor(0, 0, 255));
    EXPECT_EQ(at(110, 1010), QColor(Qt::white)); // the rounded corner
    int darkest = 255;
    for (int x = 80; x < 120; ++x)
        darkest = std::min(darkest, at(x, 350).value());
    EXPECT_LT(darkest, 128); // the outline
}

TEST_F(PdfBoxTest, NumbersUseAPointInEveryLocale)
{
    // A real French C locale when one can be made, and the Qt default locale in any case.
    auto locales = testsupport::TempDir();
    const QString french = QStringLiteral("fr_FR.UTF-8");
    const bool made = testsupport::Run(QStringLiteral("localedef"),
                                       {QStringLiteral("-i"), QStringLiteral("fr_FR"), QStringLiteral("-f"),
                                        QStringLiteral("UTF-8"), QDir(locales->path()).filePath(french)}) <= 1;
    const QByteArray oldLocPath = qgetenv("LOCPATH");
    qputenv("LOCPATH", locales->path().toLocal8Bit());
    const bool cFrench = made && std::setlocale(LC_ALL, "fr_FR.UTF-8") != nullptr;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    if (cFrench) {
        EXPECT_EQ(QString::fromLatin1(std::localeconv()->decimal_point), QStringLiteral(","));
    }

    box.SetLengthUnit(luPoint);
    box.BeginDoc();
    box.Canvas().Ellipse(0, 0, 1, 1); // centre at half a point
    const QByteArray content = PageContent(Finish(), 0);

    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(QLocale::c());
    if (oldLocPath.isNull())
        qunsetenv("LOCPATH");
    else
        qputenv("LOCPATH", oldLocPath);
    EXPECT_TRUE(content.contains("\n1 791.5 m\n1 791.776 0.776 792 0.5 792 c\n"));
    EXPECT_FALSE(content.contains(','));
    EXPECT_EQ(FormatNumber(0.5), QByteArray("0.5"));
}

TEST_F(PdfBoxTest, PropertiesAreFrozenWhileADocumentIsOpen)
{
    box.BeginDoc();
    ExpectAbortWith(QStringLiteral("Can't modify property when printing: Title"),
                    [&] { box.SetTitle(QStringLiteral("x")); });
    EXPECT_TRUE(box.Aborted());
    box.BeginDoc();
    ExpectAbortWith(QStringLiteral("Can't modify property when printing: Orientation (use NewSection method)"),
                    [&] { box.SetOrientation(poLandscape); });
    box.BeginDoc();
    ExpectAbortWith(QStringLiteral("PDF document already open"), [&] { box.BeginDoc(); });
}

TEST_F(PdfBoxTest, AnAbortedDocumentKeepsTheFileItWasToReplace)
{
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("older document");
    old.close();
    box.BeginDoc();
    box.Abort();
    EXPECT_EQ(ReadAll(path), QByteArray("older document"));
    box.BeginDoc();
    box.EndDoc();
    EXPECT_TRUE(ReadAll(path).startsWith("%PDF-1.3"));
    EXPECT_EQ(QDir(dir->path()).entryList(QDir::Files).size(), 1);
}

TEST_F(PdfBoxTest, ErrorTextsOfBadCalls)
{
    auto expectError = [&](const QString &message, const std::function<void()> &call) {
        try {
            call();
            ADD_FAILURE() << "expected " << message.toStdString();
        } catch (const EPdfError &e) {
            EXPECT_EQ(e.Message(), message);
        }
    };
    expectError(QStringLiteral("Document not opened"), [&] { box.Canvas().LineTo(1, 1); });
    expectError(QStringLiteral("Document not opened"), [&] { box.Canvas().TextWidth(QStringLiteral("a")); });
    expectError(QStringLiteral("Invalid value for property: JpegQuality"), [&] { box.SetJpegQuality(0); });
    expectError(QStringLiteral("Invalid value for property: JpegQuality"), [&] { box.SetJpegQuality(101); });
    expectError(QStringLiteral("Invalid property value: PaperSizeName"),
                [&] { box.SetPaperSizeName(QStringLiteral("Napkin")); });
    expectError(QStringLiteral("Invalid property value: PaperSize"), [&] { box.SetPaperSize(42); });
    box.SetPageHeight(0);
    expectError(QStringLiteral("Invalid property value: PageHeight"), [&] { box.BeginDoc(); });
    box.SetPageHeight(2794);
    const QString missing = QDir(dir->path()).filePath(QStringLiteral("no/such/dir/x.pdf"));
    box.SetFileName(missing);
    expectError(QStringLiteral("Can't open file: ") + missing, [&] { box.BeginDoc(); });
    ASSERT_TRUE(QDir(dir->path()).mkdir(QStringLiteral("taken")));
    const QString taken = QDir(dir->path()).filePath(QStringLiteral("taken"));
    box.SetFileName(taken);
    expectError(QStringLiteral("File locked: ") + taken, [&] { box.BeginDoc(); });
    box.SetFileName(path);
    box.BeginDoc();
    ExpectAbortWith(QStringLiteral("Invalid method call"),
                    [&] { box.Canvas().StretchDraw(0, 0, 10, 10, QImage()); });
}

TEST_F(PdfBoxTest, PaperSizesUnitsAndOrientation)
{
    EXPECT_EQ(box.PageWidth(), 2159);
    EXPECT_EQ(box.PageHeight(), 2794);
    box.SetLengthUnit(luPoint);
    EXPECT_EQ(box.PageWidth(), 612);
    EXPECT_EQ(box.PageHeight(), 792);
    box.SetPaperSizeName(QStringLiteral("a4"));
    EXPECT_EQ(box.PaperSize(), 9);
    EXPECT_EQ(box.PageWidth(), 595);
    box.SetLengthUnit(luTenth);
    EXPECT_EQ(box.PageWidth(), 2099); // rounded through points
    box.SetPaperSizeName(QStringLiteral("B4"));
    EXPECT_EQ(box.PaperSize(), 12);
    box.SetPaperSizeName(QStringLiteral("b5"));
    EXPECT_EQ(box.PaperSize(), 13);
    box.SetOrientation(poLandscape);
    EXPECT_EQ(box.PageWidth(), 2570);
    EXPECT_EQ(box.PageHeight(), 1820);
    box.SetPaperSize(4); // Ledger in landscape stays swapped
    EXPECT_EQ(box.PageWidth(), 2794);
    EXPECT_EQ(box.PageHeight(), 4318);
    box.SetPageWidth(1000);
    EXPECT_EQ(box.PaperSizeName(), QStringLiteral("Custom"));
    EXPECT_EQ(TPdfBox::PaperSizeCount(), 42);
    EXPECT_STREQ(TPdfBox::PaperSizeInfo(41).name, "German Legal Fanfold");
    EXPECT_EQ(TPdfBox::PaperSizeInfo(35).height, 1250);

    TPdfBox fresh;
    EXPECT_TRUE(fresh.PaperSize() == 1 || fresh.PaperSize() > 1);
    EXPECT_GT(fresh.PageWidth(), 0);
    EXPECT_EQ(fresh.JpegQuality(), 90);
    EXPECT_EQ(fresh.ImageCompressMode(), cpJpeg);
    EXPECT_TRUE(fresh.SmartStretchDraw());
    EXPECT_EQ(fresh.NonEmbeddedFonts(), (QStringList{QStringLiteral("Arial"), QStringLiteral("Courier New"),
                                                     QStringLiteral("Symbol"), QStringLiteral("Times New Roman")}));
}

TEST_F(PdfBoxTest, PagesEventsAndInformation)
{
    QStringList events;
    box.OnStart = [&](TPdfBox *) { events << QStringLiteral("start"); };
    box.OnNewPage = [&](TPdfBox *b) { events << QStringLiteral("page %1").arg(b->PageNumber()); };
    box.OnEnd = [&](TPdfBox *) { events << QStringLiteral("end"); };
    box.OnAbort = [&](TPdfBox *) { events << QStringLiteral("abort"); };
    box.SetTitle(QStringLiteral("Bail (copie)"));
    box.SetAuthor(QStringLiteral("Élise Tremblay"));
    box.SetSubject(QStringLiteral("Формуляр"));
    box.SetOrientation(poLandscape);
    box.BeginDoc();
    box.NewPage();
    box.NewPage();
    const QByteArray pdf = Finish();
    EXPECT_EQ(events, (QStringList{QStringLiteral("start"), QStringLiteral("page 1"), QStringLiteral("page 2"),
                                   QStringLiteral("page 3"), QStringLiteral("end")}));
    EXPECT_TRUE(pdf.contains("/Title (Bail \\(copie\\))\n"));
    EXPECT_TRUE(pdf.contains("/MediaBox[ 0 0 792 612 ]"));
    EXPECT_EQ(box.Orientation(), poLandscape);
    EXPECT_FALSE(box.Canvas().Pen().Width != 1);

    PDF_TOOL("pdfinfo");
    EXPECT_TRUE(QpdfClean(path));
    const QString info = ToolOutput(QStringLiteral("pdfinfo"), {path});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+3\\n")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("Élise Tremblay")));
    EXPECT_TRUE(info.contains(QStringLiteral("Формуляр")));
    EXPECT_TRUE(info.contains(QLatin1String("792 x 612 pts")));
}

TEST_F(PdfBoxTest, AFullDiskIsReportedAndLeavesNothing)
{
    // A file-size limit makes writes fail as a full disk does; the child process carries it.
    const int status = testsupport::InChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {65536, 65536};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            box.BeginDoc();
            for (int page = 0; page < 40; ++page) {
                for (int i = 0; i < 200; ++i)
                    box.Canvas().Rectangle(0, 0, 100 + i, 100);
                box.NewPage();
            }
            box.EndDoc();
            return 1;
        } catch (const EPdfError &e) {
            if (!e.Message().startsWith(QStringLiteral("File write error, or disk full")))
                return 2;
        }
        if (box.Printing() || QFileInfo::exists(path) || !QDir(dir->path()).entryList(QDir::Files).isEmpty())
            return 3;
        return 0;
    });
    EXPECT_EQ(status, 0);
}

} // namespace
