// Word-processor and spreadsheet exports of recorded pages: the paragraphs, tab stops and font
// groups built from a page, amounts recognised with their formats, rows and columns of the
// sheet, and a target that cannot be written.

#include "delivery/DocumentExport.h"
#include "delivery/ExcelExport.h"
#include "delivery/WordExport.h"
#include "printout/EmfFormat.h"
#include "printout/Printer.h"
#include "printout/Printout.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <climits>
#include <unistd.h>

using namespace delivery;
using printout::TPrintout;

namespace {

struct TText {
    int x, y;
    QString text;
    int style = 0;            // printout::TFontStyleFlag bits
    uint32_t align = 0;       // text-alignment flags
    int height = 40;
    bool follows = false;     // x counted from where the text before ends
};

std::unique_ptr<TPrintout> PagesOf(const std::vector<std::vector<TText>> &pages)
{
    auto p = std::make_unique<TPrintout>(nullptr, printout::TPrinter::Virtual(), QStringLiteral("export"));
    for (const auto &texts : pages) {
        p->NewPage(1);
        printout::TPageCanvas *c = p->Canvas();
        c->SetFontName(QStringLiteral("Arial"));
        int end = 0;
        for (const TText &t : texts) {
            c->SetFontHeight(t.height);
            c->SetFontStyle(t.style);
            c->SetTextAlign(t.align);
            const int x = t.follows ? end + t.x : t.x;
            c->TextOut(x, t.y, t.text);
            end = x + c->TextWidth(t.text);
        }
        p->EndPage();
    }
    return p;
}

TWordDocument WordOf(TPrintout &p)
{
    TWordDocument doc;
    doc.Begin(printout::ReportMargins(), *p.PageMetafile(1));
    for (int i = 1; i <= p.PageCount(); ++i)
        doc.AddPage(TPageWalk(*p.PageMetafile(i), p.Geometry().sheetPx), p.Geometry().sheetPx, *p.PageMetafile(i));
    return doc;
}

} // namespace

TEST(WordExport, TabStopsAndFontGroupsOfALine)
{
    // One baseline: a run at the margin (x = 64), a bold one at x = 500, a right-aligned one.
    auto p = PagesOf({{{64, -300, QStringLiteral("Nom")},
                       {500, -300, QStringLiteral("Chantal"), printout::fsBold},
                       {1500, -300, QStringLiteral("2020.00"), printout::fsBold, printout::emf::TA_RIGHT},
                       {64, -400, QStringLiteral("Suite")}}});
    const TWordDocument doc = WordOf(*p);
    const TWordParagraph *line = nullptr;
    for (const TWordParagraph &para : doc.Paragraphs())
        if (para.Text().contains(QStringLiteral("Chantal")))
            line = &para;
    ASSERT_NE(line, nullptr);
    // The run at the margin gets neither a tab nor a stop; the others both.
    ASSERT_EQ(line->tabs.size(), 2u);
    EXPECT_NEAR(line->tabs[0].points, 436 / 100.0 * 72 / 2.54, 1e-9);
    EXPECT_EQ(line->tabs[0].letter, QLatin1Char('L'));
    EXPECT_EQ(line->tabs[1].letter, QLatin1Char('R'));
    // Two fonts on one baseline: two groups of one paragraph, the second holding both bold runs.
    ASSERT_EQ(line->runs.size(), 2u);
    EXPECT_EQ(line->runs[0].text, QStringLiteral("Nom"));
    EXPECT_FALSE(line->runs[0].font.Bold());
    EXPECT_EQ(line->runs[1].text, QStringLiteral("\tChantal\t2020.00"));
    EXPECT_TRUE(line->runs[1].font.Bold());
    // The next line, at the margin only, clears the stops.
    EXPECT_TRUE(doc.Paragraphs().back().tabs.empty());
    EXPECT_EQ(doc.Paragraphs().back().Text(), QStringLiteral("Suite"));

    const QByteArray xml = doc.DocumentXml();
    EXPECT_TRUE(xml.contains("<w:tab w:val=\"left\" w:pos=\"2472\"/>")) << xml.left(2000).constData();
    EXPECT_TRUE(xml.contains("<w:pgSz w:w=\"12240\" w:h=\"15840\"/>"));
}

TEST(WordExport, LinesBelowAGapAreReachedByEmptyParagraphsAndPagesBreak)
{
    auto p = PagesOf({{{64, -300, QStringLiteral("Haut")}, {64, -1500, QStringLiteral("Bas")},
                       {500, -1500, QStringLiteral("Gras"), printout::fsBold, 0, 50}},
                      {{64, -300, QStringLiteral("Deux")}}});
    const TWordDocument doc = WordOf(*p);
    const auto &paras = doc.Paragraphs();
    int empty = 0, breaks = 0;
    double below = 0;
    for (size_t i = 0; i < paras.size(); ++i) {
        empty += paras[i].runs.empty() && !paras[i].pageBreak;
        breaks += paras[i].pageBreak;
        if (paras[i].Text() == QStringLiteral("Bas\tGras")) {
            // The larger bold font further along keeps the gap the line was widened by.
            EXPECT_GT(paras[i].lineSpacing, paras[i].runs[1].font.size + 1);
            // Empty paragraphs of the font's size down to the line, the rest on its own spacing.
            double depth = 0;
            for (size_t j = 0; j < i; ++j)
                depth += paras[j].lineSpacing;
            below = depth + paras[i].lineSpacing;
        }
    }
    EXPECT_GT(empty, 20);
    EXPECT_EQ(breaks, 1);
    EXPECT_EQ(paras.back().Text(), QStringLiteral("Deux"));
    // The baseline at 150 mm lands within a line of where the page has it.
    const double page = 1500 / 100.0 * 72 / 2.54, top = 640 / 1000.0 * 72 / 2.54;
    EXPECT_NEAR(top + below, page, 14);
}

TEST(WordExport, ColumnsDrawnALittleOutOfStepShareAParagraph)
{
    // Two columns side by side whose baselines differ by 1.5 mm, and a line a full line below.
    auto p = PagesOf({{{64, -1000, QStringLiteral("Gauche")}, {1100, -1015, QStringLiteral("Droite")},
                       {64, -1060, QStringLiteral("Suite")}}});
    const TWordDocument doc = WordOf(*p);
    QStringList texts;
    for (const TWordParagraph &para : doc.Paragraphs())
        if (!para.runs.empty())
            texts << para.Text();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("Gauche\tDroite"), QStringLiteral("Suite")}));
}

TEST(WordExport, RunsThatContinueTheTextBeforeThemTakeNoTabStop)
{
    // A sentence drawn in pieces, each where the one before ends (a title in italics inside
    // it), then a text 3 mm further along: a column of its own.
    auto p = PagesOf({{{300, -500, QStringLiteral("The ")},
                       {0, -500, QStringLiteral("Charter"), printout::fsItalic, 0, 40, true},
                       {0, -500, QStringLiteral(" protects"), 0, 0, 40, true},
                       {30, -500, QStringLiteral("apart"), 0, 0, 40, true}}});
    const TWordDocument doc = WordOf(*p);
    const TWordParagraph *line = nullptr;
    for (const TWordParagraph &para : doc.Paragraphs())
        if (para.Text().contains(QStringLiteral("Charter")))
            line = &para;
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->Text(), QStringLiteral("\tThe Charter protects\tapart"));
    ASSERT_EQ(line->tabs.size(), 2u);
    EXPECT_NEAR(line->tabs[0].points, Points(300 - 64), 1e-9);
    EXPECT_GT(line->tabs[1].points, line->tabs[0].points + 30);
    ASSERT_EQ(line->runs.size(), 3u);
    EXPECT_TRUE(line->runs[1].font.italic);
}

TEST(ExcelExport, AmountsAreRecognisedWithTheirFormats)
{
    struct TCase {
        const char *text;
        bool number;
        double value;
        const char *automation, *file;
    } const cases[] = {
        {"1 234.50 $", true, 1234.50, "# ##0,00 $", "#,##0.00 $"},
        {"(12)", true, -12, "###0", "0"},
        {"Bail n°", false, 0, "@", "@"},
        {"7.5", true, 7.5, "###0,00", "0.00"},
        {"-", false, 0, "@", "@"},
        {"1.2.3", false, 0, "@", "@"},
        {"12 34", true, 1234, "###0", "0"},
        {"2020.00 $", true, 2020, "###0,00 $", "0.00 $"},
    };
    for (const TCase &c : cases) {
        const TCellValue v = RecognizeNumber(QString::fromUtf8(c.text));
        EXPECT_EQ(v.number, c.number) << c.text;
        if (c.number) {
            EXPECT_DOUBLE_EQ(v.value, c.value) << c.text;
        }
        EXPECT_EQ(AutomationFormat(v, QLatin1Char(',')), QString::fromUtf8(c.automation)) << c.text;
        EXPECT_EQ(FileFormat(v), QString::fromUtf8(c.file)) << c.text;
    }
    EXPECT_EQ(RecognizeNumber(QString(300, QLatin1Char('x'))).text.size(), 255);
}

TEST(ExcelExport, RowsFromFiveColumnsByXAndFiveRowsBetweenPages)
{
    auto p = PagesOf({{{300, -300, QStringLiteral("Loyer")}, {900, -300, QStringLiteral("2 020.00 $"), 0, printout::emf::TA_RIGHT},
                       {300, -400, QStringLiteral("Total")}},
                      {{100, -300, QStringLiteral("Deux")}}});
    TExcelExport excel(QStringLiteral("/nonexistent/x.xlsx"));
    excel.Begin(*p->PageMetafile(1), printout::ReportMargins(), p->Geometry().sheetPx, p->Geometry().sheetSize, 1);
    for (int i = 1; i <= p->PageCount(); ++i)
        excel.Page(i, i < p->PageCount(), *p->PageMetafile(i));
    const auto &cells = excel.Cells();
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(cells[0].row, 4);
    EXPECT_EQ(cells[0].column, 0);
    EXPECT_EQ(cells[1].column, 1);
    EXPECT_TRUE(cells[1].value.number);
    EXPECT_EQ(cells[2].row, 5);
    EXPECT_EQ(cells[3].row, 5 + 1 + 5); // the page's two rows, then five empty ones
    EXPECT_EQ(cells[3].column, 0);      // columns are the page's own
    EXPECT_EQ(excel.ColumnAlignment(1), QLatin1Char('R'));
    EXPECT_EQ(excel.ColumnAlignment(0), QLatin1Char('L'));
    EXPECT_THROW(excel.End(), EExportError);
}

TEST(DocumentExport, ATargetThatCannotBeWrittenLeavesTheOlderFile)
{
    auto p = PagesOf({{{64, -300, QStringLiteral("Texte")}}});
    auto dir = testsupport::TempDir();
    const QString kinds[] = {QStringLiteral("WORD"), QStringLiteral("EXCEL"), QStringLiteral("ACROBAT")};
    for (const QString &kind : kinds) {
        // A folder that does not exist, and a name taken by a folder.
        EXPECT_THROW(delivery::ExportTo(*p, dir->filePath(QStringLiteral("none/x.") + KindSuffix(kind)), kind, 1, 1),
                     EExportError) << kind.toStdString();
        const QString taken = dir->filePath(QStringLiteral("taken.") + KindSuffix(kind));
        ASSERT_TRUE(QDir().mkpath(taken + QStringLiteral("/inside")));
        try {
            delivery::ExportTo(*p, taken, kind, 1, 1);
            ADD_FAILURE() << "no error for " << kind.toStdString();
        } catch (const EExportError &e) {
            EXPECT_TRUE(e.English().contains(taken)) << e.English().toStdString();
            EXPECT_TRUE(e.French().startsWith(QStringLiteral("Le fichier")));
        }
        EXPECT_TRUE(QFileInfo(taken + QStringLiteral("/inside")).isDir());

        // A successful export replaces an older file whole.
        const QString target = dir->filePath(QStringLiteral("ok.") + KindSuffix(kind));
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("older");
        old.close();
        EXPECT_TRUE(delivery::ExportTo(*p, target, kind, 1, 1));
        EXPECT_GT(QFileInfo(target).size(), 100);
    }
    if (::geteuid() != 0) {
        // A read-only folder (root writes anywhere, so only checked for others).
        const QString ro = dir->filePath(QStringLiteral("ro"));
        ASSERT_TRUE(QDir().mkpath(ro));
        QFile old(ro + QStringLiteral("/x.docx"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("older");
        old.close();
        QFile::setPermissions(ro, QFile::ReadOwner | QFile::ExeOwner);
        EXPECT_THROW(delivery::ExportTo(*p, ro + QStringLiteral("/x.docx"), QStringLiteral("WORD"), 1, 1), EExportError);
        QFile::setPermissions(ro, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile back(ro + QStringLiteral("/x.docx"));
        ASSERT_TRUE(back.open(QIODevice::ReadOnly));
        EXPECT_EQ(back.readAll(), QByteArray("older"));
    }
    // Nothing half-made is left behind.
    EXPECT_TRUE(QDir(dir->path()).entryList({QStringLiteral(".*.part")}, QDir::Files | QDir::Hidden).isEmpty());
}

TEST(DocumentExport, ExtremeCoordinatesAreWrittenWithoutOverflow)
{
    // What a foreign page may hold: a text at the far left of the coordinate range, a box
    // spanning it all (checked by the sanitizer build).
    auto p = std::make_unique<TPrintout>(nullptr, printout::TPrinter::Virtual(), QStringLiteral("x"));
    p->NewPage(1);
    printout::TPageCanvas *c = p->Canvas();
    c->TextOut(INT_MIN + 1, -300, QStringLiteral("loin"));
    c->TextOut(INT_MAX - 1, -300, QStringLiteral("1 234.50 $"));
    c->Rectangle(INT_MIN + 1, INT_MAX - 1, INT_MAX - 1, INT_MIN + 1);
    p->EndPage();
    auto dir = testsupport::TempDir();
    for (const QString &kind : {QStringLiteral("WORD"), QStringLiteral("EXCEL")})
        EXPECT_TRUE(delivery::ExportTo(*p, dir->filePath(QStringLiteral("x.") + KindSuffix(kind)), kind, 1, 1));
}
