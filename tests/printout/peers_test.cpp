// Our .emf pages read by independent programs: Inkscape and LibreOffice convert them at their
// physical size, and the words Inkscape's PDF holds sit where we recorded them.

#include "printout/Player.h"
#include "printout/Printout.h"

#include "TestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

using namespace printout;

namespace {

struct TWord {
    QString text;
    QString word; // first word, as pdftotext splits
    QPoint at;    // 0.1 mm, painter coordinates (y negative)
};

const TWord kWords[] = {
    {QStringLiteral("Locateur"), QStringLiteral("Locateur"), QPoint(250, -400)},
    {QStringLiteral("Montréal"), QStringLiteral("Montréal"), QPoint(1200, -1500)},
    {QStringLiteral("Signature"), QStringLiteral("Signature"), QPoint(300, -2500)},
};

std::unique_ptr<TPrintout> WordsPage(int paper = kPaperLetter)
{
    auto p = std::make_unique<TPrintout>(nullptr, TPrinter::Virtual(), QStringLiteral("peers"));
    if (paper == kPaperCustom)
        p->SetPaper(kPaperCustom, kPortrait, 2000, 1500); // 150 x 200 mm
    p->NewPage(1);
    TPageCanvas *c = p->Canvas();
    c->SetTextAlign(emf::TA_BASELINE);
    c->SetFontName(QStringLiteral("Arial"));
    c->SetFontHeight(50);
    for (const TWord &w : kWords) {
        if (-w.at.y() < p->Geometry().sheetSize.height())
            c->TextOut(w.at.x(), w.at.y(), w.text);
    }
    c->SetPenWidth(5);
    c->MoveTo(100, -100);
    c->LineTo(1100, -100); // a 100 mm ruler
    p->EndPage();
    return p;
}

} // namespace

TEST(IndependentReaders, InkscapePlacesOurWordsWithinHalfAMillimetre)
{
    if (!testsupport::HaveProgram(QStringLiteral("inkscape")) || !testsupport::HaveProgram(QStringLiteral("pdftotext")))
        GTEST_SKIP() << "inkscape or pdftotext is not installed";
    auto dir = testsupport::TempDir();
    auto p = WordsPage();
    const QString emfPath = dir->filePath(QStringLiteral("page.emf"));
    p->PageMetafile(1)->Save(emfPath);
    const QString pdf = dir->filePath(QStringLiteral("page.pdf"));
    QString out, err;
    ASSERT_EQ(testsupport::Run(QStringLiteral("inkscape"),
                               {emfPath, QStringLiteral("--export-type=pdf"), QStringLiteral("--export-filename=") + pdf}, &out, &err),
              0)
        << err.toStdString();
    QString info;
    ASSERT_EQ(testsupport::Run(QStringLiteral("pdfinfo"), {pdf}, &info), 0);
    const QRegularExpressionMatch size = QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(info);
    ASSERT_TRUE(size.hasMatch()) << info.toStdString();
    EXPECT_NEAR(size.captured(1).toDouble(), 612, 0.5); // Letter
    EXPECT_NEAR(size.captured(2).toDouble(), 792, 0.5);

    const QString html = dir->filePath(QStringLiteral("words.html"));
    ASSERT_EQ(testsupport::Run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, html}), 0);
    QFile f(html);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&f);
    std::map<QString, QRectF> found; // in 0.1 mm, y downward
    const double tenthsPerPt = 254.0 / 72.0;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("word")) {
            const auto a = xml.attributes();
            const QRectF box(QPointF(a.value(QLatin1String("xMin")).toDouble(), a.value(QLatin1String("yMin")).toDouble()) * tenthsPerPt,
                             QPointF(a.value(QLatin1String("xMax")).toDouble(), a.value(QLatin1String("yMax")).toDouble()) * tenthsPerPt);
            found[xml.readElementText()] = box;
        }
    }
    const std::vector<TTextRun> runs = TextRuns(*p->PageMetafile(1));
    ASSERT_EQ(runs.size(), std::size(kWords));
    for (size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(kWords[i].word.toStdString());
        ASSERT_TRUE(found.count(kWords[i].word)) << "word not in Inkscape's PDF";
        const QRectF theirs = found[kWords[i].word], ours = runs[i].box;
        // Positions: where the word starts and the height of its line, within 0.5 mm. (Its
        // width is not compared: Inkscape reads a positive font height as an em size, where
        // the format means the character cell, so its words come out about 12 % wider.)
        EXPECT_NEAR(theirs.left(), ours.left(), 5);
        EXPECT_NEAR(theirs.center().y(), ours.center().y(), 5);
    }
}

TEST(IndependentReaders, LibreOfficeKeepsThePhysicalSize)
{
    if (!testsupport::HaveProgram(QStringLiteral("soffice")))
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    if (!testsupport::HaveProgram(QStringLiteral("unzip")))
        GTEST_SKIP() << "unzip is not installed";
    auto dir = testsupport::TempDir();
    // A sheet smaller than LibreOffice's own page keeps its natural size there.
    auto p = WordsPage(kPaperCustom);
    ASSERT_EQ(p->Geometry().sheetSize, QSize(1500, 2000));
    const QString emfPath = dir->filePath(QStringLiteral("small.emf"));
    p->PageMetafile(1)->Save(emfPath);
    const QString profile = QStringLiteral("-env:UserInstallation=file://") + dir->filePath(QStringLiteral("profile"));
    QString out, err;
    for (const QString &kind : {QStringLiteral("odg"), QStringLiteral("pdf")}) {
        ASSERT_EQ(testsupport::Run(QStringLiteral("soffice"),
                                   {profile, QStringLiteral("--headless"), QStringLiteral("--convert-to"), kind,
                                    QStringLiteral("--outdir"), dir->path(), emfPath},
                                   &out, &err, 180000),
                  0)
            << err.toStdString();
        ASSERT_TRUE(QFile::exists(dir->filePath(QStringLiteral("small.") + kind))) << out.toStdString() << err.toStdString();
    }
    QString content;
    ASSERT_EQ(testsupport::Run(QStringLiteral("unzip"), {QStringLiteral("-p"), dir->filePath(QStringLiteral("small.odg")), QStringLiteral("content.xml")}, &content), 0);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("draw:frame[^>]*svg:width=\"([0-9.]+)(cm|mm|in)\"[^>]*svg:height=\"([0-9.]+)(cm|mm|in)\"")).match(content);
    ASSERT_TRUE(m.hasMatch()) << content.left(2000).toStdString();
    auto mm = [](double v, const QString &unit) { return unit == QLatin1String("cm") ? v * 10 : unit == QLatin1String("in") ? v * 25.4 : v; };
    EXPECT_NEAR(mm(m.captured(1).toDouble(), m.captured(2)), 150, 0.5);
    EXPECT_NEAR(mm(m.captured(3).toDouble(), m.captured(4)), 200, 0.5);
}
