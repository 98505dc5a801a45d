// Printouts: the page cycle, the page cursor and its events, the per-page columns, paper,
// and printing through a real device (Qt's PDF engine, read back with poppler).

#include "printout/Player.h"
#include "printout/Printout.h"
#include "ui/MessageBoxes.h"

#include "TestSupport.h"

#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace printout;

namespace {

std::unique_ptr<TPrintout> Virtual(int pages)
{
    auto p = std::make_unique<TPrintout>(nullptr, TPrinter::Virtual(), QStringLiteral("Bail 42"));
    for (int i = 0; i < pages; ++i) {
        p->NewPage(1);
        p->Canvas()->SetTextAlign(emf::TA_BASELINE);
        p->Canvas()->TextOut(250, -400, QStringLiteral("Page numéro %1").arg(i + 1));
        p->EndPage();
    }
    return p;
}

} // namespace

TEST(Printout, NewPrintoutOnTheVirtualDevice)
{
    TPrintout p(nullptr, TPrinter::Virtual(), QStringLiteral("t"));
    EXPECT_EQ(p.PageCount(), 0);
    EXPECT_EQ(p.CurrentPage(), 0);
    EXPECT_TRUE(p.FitToPrintable());
    EXPECT_EQ(p.Copies(), 0);
    EXPECT_EQ(p.PageColor(), 0x1FFFFFFFu);
    EXPECT_TRUE(p.ShowMessages());
    EXPECT_TRUE(p.NoPageOpen());
    p.SetCurrentPage(5);
    EXPECT_EQ(p.CurrentPage(), 0);
    const TPrintGeometry &g = p.Geometry();
    EXPECT_EQ(g.dpiX, 600);
    EXPECT_EQ(g.sheetPx, QSize(5100, 6600));
    EXPECT_EQ(g.sheetSize, QSize(2159, 2794));
    EXPECT_EQ(g.printableRect, (TRectL{0, 0, 2159, 2794}));
    EXPECT_EQ(g.wantedRect, (TRectL{64, 64, 2159 - 64, 2794 - 127}));
    EXPECT_EQ(p.LastPaperSize(), kPaperLetter);
    EXPECT_EQ(p.LastOrientation(), kPortrait);
    EXPECT_EQ(p.PageMetafile(0), nullptr);
    EXPECT_EQ(p.PageMetafile(1), nullptr);
}

TEST(Printout, PageCycleAndColumns)
{
    auto p = Virtual(2);
    p->SetArchiveLink(1, 2, QStringLiteral("L"));
    p->SetMailRecipients(2, 9, QString(), QStringLiteral("cc@x"), QStringLiteral("to@x"));
    EXPECT_TRUE(p->HasMailRecipients());
    EXPECT_EQ(p->NewPage(1), 3);
    EXPECT_FALSE(p->NoPageOpen());
    EXPECT_EQ(p->CurrentPage(), 3);
    ASSERT_NE(p->Canvas(), nullptr);
    EXPECT_EQ(p->ArchiveLink(3), QString());
    EXPECT_EQ(p->MailTo(3), QString());
    EXPECT_EQ(p->MailTo(2), QStringLiteral("to@x"));
    EXPECT_EQ(p->MailCc(2), QStringLiteral("cc@x"));
    EXPECT_EQ(p->MailBcc(2), QString());
    EXPECT_EQ(p->MailTo(1), QString());
    p->EndPage();
    EXPECT_EQ(p->Canvas(), nullptr);
    EXPECT_TRUE(p->NoPageOpen());
    EXPECT_NE(p->PageMetafile(3), nullptr);
    EXPECT_EQ(p->PageMetafile(4), nullptr);
    // A closed page's metafile is complete: it writes and reads back the same.
    const TMetafile again = TMetafile::FromEmf(p->PageMetafile(1)->ToEmf());
    EXPECT_TRUE(again.SameRecords(*p->PageMetafile(1)));
    ASSERT_EQ(TextRuns(again).size(), 1u);
    EXPECT_EQ(TextRuns(again)[0].text, QStringLiteral("Page numéro 1"));
    p->Clear();
    EXPECT_EQ(p->PageCount(), 0);
    EXPECT_EQ(p->CurrentPage(), 0);
}

TEST(Printout, CurrentPageClampsAndReportsOldAndNew)
{
    auto p = Virtual(3);
    std::vector<std::pair<char, int>> events;
    p->OnBeforePageChange = [&](TPrintout &, int page) { events.push_back({'b', page}); };
    p->OnAfterPageChange = [&](TPrintout &, int page) { events.push_back({'a', page}); };
    p->SetCurrentPage(0);
    EXPECT_EQ(p->CurrentPage(), 1);
    p->SetCurrentPage(-4);
    EXPECT_EQ(p->CurrentPage(), 1);
    p->SetCurrentPage(9);
    EXPECT_EQ(p->CurrentPage(), 3);
    p->SetCurrentPage(2);
    const std::vector<std::pair<char, int>> expect{{'b', 3}, {'a', 1}, {'b', 1}, {'a', 1},
                                                   {'b', 1}, {'a', 3}, {'b', 3}, {'a', 2}};
    EXPECT_EQ(events, expect);
}

TEST(Printout, PrintMappingScalesOnlyWhatDoesNotFit)
{
    TPrintGeometry g;
    g.dpiX = g.dpiY = 600;
    g.sheetPx = QSize(5100, 6600);
    g.sheetSize = QSize(2159, 2794);
    g.printableRect = {50, 50, 2109, 2744};
    g.wantedRect = {64, 64, 2095, 2667};
    // Inside: unscaled, the sheet corner on the paper's corner.
    EXPECT_EQ(TPrintout::PrintTarget(g, true), QRect(-118, -118, 5100, 6600));
    // 2 % wider than the printable area: scale 1 / (1.02 + 0.0075).
    g.wantedRect = {0, 64, 2100, 2667};
    g.printableRect = {0, 0, 2100 * 100 / 102, 2794};
    const double s = 2100.0 / (2100 * 100 / 102) + 0.0075; // 1.02 + 0.0075 up to rounding
    const QRect scaled = TPrintout::PrintTarget(g, true);
    // Sizes are rounded in 0.1 mm before they become pixels: within 2.4 px.
    EXPECT_NEAR(scaled.width(), 5100 / s, 2.4);
    EXPECT_NEAR(scaled.height(), 6600 / s, 2.4);
    EXPECT_EQ(scaled.left(), 0);
    EXPECT_NEAR(scaled.top(), -64 / s * 600 / 254, 2.4);
    // Fit off: the same page unscaled, clipped by the printer.
    EXPECT_EQ(TPrintout::PrintTarget(g, false).size(), QSize(5100, 6600));
    EXPECT_EQ(MulDiv(5100, 254, 600), 2159);
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
}

TEST(Printout, PrintingWithoutPrinterSaysSoAndPrintsNothing)
{
    auto p = Virtual(2);
    QString told;
    ui::SetMessageBoxHook([&](QMessageBox &box) {
        told = box.text();
        return QMessageBox::Ok;
    });
    int progress = 0;
    p->OnProgress = [&](TPrintout &, int, const QString &, int) { ++progress; };
    EXPECT_FALSE(p->Print());
    ui::SetMessageBoxHook({});
    EXPECT_TRUE(told.contains(QStringLiteral("imprimante"))) << told.toStdString();
    EXPECT_EQ(progress, 0);
    EXPECT_FALSE(p->Printed());
}

TEST(Printout, PrintsRangesIntoARealPdfDevice)
{
    if (!testsupport::HaveProgram(QStringLiteral("pdfinfo")))
        GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed";
    auto dir = testsupport::TempDir();
    const QString pdf = dir->filePath(QStringLiteral("out.pdf"));
    TPrintout p(nullptr, TPrinter::PdfFile(pdf, 300), QStringLiteral("Range"));
    for (int i = 1; i <= 4; ++i) {
        p.NewPage(1);
        p.Canvas()->SetTextAlign(emf::TA_BASELINE);
        p.Canvas()->TextOut(250, -400, QStringLiteral("Feuille %1").arg(i));
        p.EndPage();
    }
    std::vector<std::tuple<int, QString, int>> steps;
    p.OnProgress = [&](TPrintout &, int step, const QString &text, int total) { steps.emplace_back(step, text, total); };
    p.SetCopies(2);
    ASSERT_TRUE(p.PrintRange(0, 99));
    EXPECT_TRUE(p.Printed());
    EXPECT_EQ(p.Printer()->Copies(), 2);
    ASSERT_EQ(steps.size(), 5u);
    EXPECT_EQ(std::get<1>(steps[0]), QStringLiteral("Page 1 de 4"));
    EXPECT_EQ(std::get<0>(steps[4]), 4);
    for (const auto &s : steps)
        EXPECT_EQ(std::get<2>(s), 4);
    QString info, text;
    ASSERT_EQ(testsupport::Run(QStringLiteral("pdfinfo"), {pdf}, &info), 0);
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+4")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("612 x 792"))) << info.toStdString();
    ASSERT_EQ(testsupport::Run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}, &text), 0);
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE(text.contains(QStringLiteral("Feuille %1").arg(i)));
    // Copies 0 leaves the printer's own count alone.
    TPrintout q(nullptr, TPrinter::PdfFile(dir->filePath(QStringLiteral("q.pdf")), 300), QStringLiteral("q"));
    q.Printer()->SetCopies(3);
    q.NewPage(1);
    q.EndPage();
    ASSERT_TRUE(q.Print());
    EXPECT_EQ(q.Printer()->Copies(), 3);
}

TEST(Printout, PaperSettingsGoToTheOwnPrinter)
{
    TPrintout p(nullptr, TPrinter::Virtual(), QStringLiteral("t"));
    const int a4 = 9;
    EXPECT_TRUE(p.SetPaper(a4, kLandscape, 0, 0));
    const TPaper paper = p.GetPaper();
    EXPECT_EQ(paper.sizeCode, a4);
    EXPECT_EQ(paper.orientation, kLandscape);
    EXPECT_EQ(p.Geometry().sheetSize, QSize(2970, 2100));
    EXPECT_TRUE(p.SetPaper(kPaperCustom, kPortrait, 1500, 1000));
    const TPaper custom = p.GetPaper();
    EXPECT_EQ(custom.sizeCode, kPaperCustom);
    EXPECT_EQ(custom.length, 1500);
    EXPECT_EQ(custom.width, 1000);
    EXPECT_FALSE(p.SetPaper(4242, kPortrait, 0, 0));
    EXPECT_EQ(p.LastPaperSize(), 4242); // what was asked, even when refused
    EXPECT_EQ(p.GetPaper().sizeCode, kPaperCustom);
}

TEST(Printout, QueueJobsCarryTheJobSettings)
{
    auto option = [](const QList<std::pair<QString, QString>> &options, const char *name) {
        for (const auto &[n, v] : options) {
            if (n == QLatin1String(name))
                return v;
        }
        return QString();
    };
    std::unique_ptr<TPrinter> printer = TPrinter::Virtual();
    auto plain = printer->JobOptions(false);
    EXPECT_EQ(option(plain, "copies"), QStringLiteral("1"));
    EXPECT_EQ(option(plain, "multiple-document-handling"), QString()); // one copy: nothing to collate
    EXPECT_EQ(option(plain, "sides"), QStringLiteral("one-sided"));
    EXPECT_EQ(option(plain, "media"), QStringLiteral("Letter"));
    EXPECT_EQ(option(plain, "fit-to-page"), QString());

    printer->SetCopies(3);
    printer->SetCollate(false);
    printer->SetDuplex(2);
    printer->SetPaperSource(QPrinter::Manual);
    ASSERT_TRUE(printer->SetPaper(TPaper{9, kLandscape, 0, 0}));
    auto set = printer->JobOptions(true);
    EXPECT_EQ(option(set, "copies"), QStringLiteral("3"));
    EXPECT_EQ(option(set, "multiple-document-handling"), QStringLiteral("separate-documents-uncollated-copies"));
    EXPECT_EQ(option(set, "sides"), QStringLiteral("two-sided-short-edge"));
    EXPECT_EQ(option(set, "media"), QStringLiteral("A4"));
    EXPECT_EQ(option(set, "media-source"), QStringLiteral("manual"));
    EXPECT_EQ(option(set, "fit-to-page"), QStringLiteral("true"));

    printer->SetCollate(true);
    ASSERT_TRUE(printer->SetPaper(TPaper{kPaperCustom, kPortrait, 1000, 1500}));
    auto custom = printer->JobOptions(false);
    EXPECT_EQ(option(custom, "multiple-document-handling"), QStringLiteral("separate-documents-collated-copies"));
    EXPECT_EQ(option(custom, "media"), QStringLiteral("Custom.100.0x150.0mm"));
}
