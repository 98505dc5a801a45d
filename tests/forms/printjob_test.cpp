// The print job of one lease: the pages drawn, the printing language, the print command of the
// lease windows (dialog, printer, preview) and bailtool's render command.

#include "LeaseFixture.h"

#include "printout/Metafile.h"
#include "preview/Preview.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QProcess>
#include <QThread>

using namespace formstest;

namespace {

QStringList PageFooters(const printout::TPrintout &p)
{
    QStringList out;
    for (int i = 1; i <= p.PageCount(); ++i)
        for (const auto &r : printout::TextRuns(*p.PageMetafile(i)))
            if (r.text.startsWith(QLatin1String("Page ")) && (r.text.endsWith(QLatin1String(" 10")) || r.text.endsWith(QLatin1String(" 8"))))
                out << r.text;
    return out;
}

int PdfPages(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return int(QString::fromLatin1(f.readAll()).count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
}

} // namespace

class PrintJob : public LeaseFixture {};

TEST_F(PrintJob, StandardLeaseDrawsFourPagesAndRangesStopThere)
{
    const QString n = StandardLease();
    SetFields(n, {{"LANGUEIMP", "F"}});
    auto all = Print(n);
    EXPECT_EQ(m_drawn, 4);
    EXPECT_EQ(all->PageCount(), 4);
    EXPECT_EQ(PageFooters(*all), (QStringList{QStringLiteral("Page 1 de 10"), QStringLiteral("Page 2 de 10"),
                                              QStringLiteral("Page 3 de 10"), QStringLiteral("Page 4 de 10")}));
    auto range = Print(n, 3, 6);
    EXPECT_EQ(range->PageCount(), 2);
    EXPECT_EQ(PageFooters(*range), (QStringList{QStringLiteral("Page 3 de 10"), QStringLiteral("Page 4 de 10")}));
    auto past = Print(n, 5, 12);
    EXPECT_EQ(past->PageCount(), 0);
}

TEST_F(PrintJob, ElderlyLeaseWithAnnexPrintsTwelvePagesAndRangesSelectTheAnnex)
{
    const QString n = FindLease([](const QString &k) { return forms::IsElderlyKey(k) && !forms::IsCooperativeKey(k); });
    SetFields(n, {{"LANGUEIMP", "A"}});
    auto all = Print(n);
    EXPECT_TRUE(m_rows.annex.Present());
    EXPECT_EQ(m_drawn, 12);
    const QStringList footers = PageFooters(*all);
    ASSERT_EQ(footers.size(), 12);
    EXPECT_EQ(footers.at(3), QStringLiteral("Page 4 of 10"));
    EXPECT_EQ(footers.at(4), QStringLiteral("Page 1 of 8"));
    EXPECT_EQ(footers.at(11), QStringLiteral("Page 8 of 8"));
    auto annex = Print(n, 5, 12);
    EXPECT_EQ(annex->PageCount(), 8);
    EXPECT_EQ(PageFooters(*annex).first(), QStringLiteral("Page 1 of 8"));
}

TEST_F(PrintJob, ElderlyLeaseWithoutAnnexPrintsItsLeasePagesOnly)
{
    const QString n = FindLease([](const QString &k) { return forms::IsElderlyKey(k) && !forms::IsCooperativeKey(k); });
    // Its Annex row gone, the lease still prints, without any message.
    ASSERT_TRUE(m_annex->FindKey(n));
    m_annex->Delete();
    auto p = Print(n);
    EXPECT_FALSE(m_rows.annex.Present());
    EXPECT_EQ(p->PageCount(), 4);
}

TEST_F(PrintJob, PrintingLanguageComesFromTheLease)
{
    const QString n = StandardLease();
    db::SetWorkingLanguage(QStringLiteral("F"));
    for (const auto &[language, expect] : {std::pair{"A", "BETWEEN"}, std::pair{"F", "ENTRE"}, std::pair{"", "BETWEEN"}}) {
        SetFields(n, {{"LANGUEIMP", QString::fromLatin1(language)}});
        auto p = Print(n, 1, 1);
        EXPECT_EQ(db::PrintingLanguage(), QString::fromLatin1(language));
        EXPECT_TRUE(HasText(Runs(*p, 1), QString::fromLatin1(expect))) << language;
    }
    EXPECT_EQ(db::WorkingLanguage(), QLatin1String("F"));
}

TEST_F(PrintJob, PositioningLeavesMissingRowsAbsent)
{
    const QString n = StandardLease();
    SetFields(n, {{"NOLOCATEUR", 2}});
    ASSERT_TRUE(m_lease->FindKey(n));
    forms::TLeaseRows rows = forms::PositionPrintRows(*m_lease, *m_lessor, *m_annex);
    EXPECT_TRUE(rows.lessor.Present());
    EXPECT_EQ(rows.lessor.Integer("NOLOCATEUR"), 2);
    EXPECT_FALSE(rows.annex.Present()); // a standard lease has no Annex row

    SetFields(n, {{"NOLOCATEUR", QVariant()}});
    ASSERT_TRUE(m_lease->FindKey(n));
    rows = forms::PositionPrintRows(*m_lease, *m_lessor, *m_annex);
    EXPECT_FALSE(rows.lessor.Present());

    // The lease itself reads whatever Eof says: after Last() its last row is current.
    m_lease->Last();
    ASSERT_TRUE(m_lease->Eof());
    rows = forms::PositionPrintRows(*m_lease, *m_lessor, *m_annex);
    EXPECT_TRUE(rows.lease.Present());
    EXPECT_EQ(rows.lease.Raw("NOBAIL"), m_lease->FieldByName(QStringLiteral("NOBAIL"))->AsString());
}

// The print command through a real print queue stand-in: Qt's PDF printer as the
// application's printer, the dialog answered by the hook.
class PrintCommand : public LeaseFixture {
protected:
    void SetUp() override
    {
        LeaseFixture::SetUp();
        m_pdf = Dir() + QStringLiteral("/out.pdf");
        printout::SetApplicationPrinter(printout::TPrinter::PdfFile(m_pdf, 300));
    }
    void TearDown() override
    {
        forms::SetLeasePrintDialogHook({});
        printout::SetApplicationPrinter(printout::TPrinter::Default());
        LeaseFixture::TearDown();
    }
    QString m_pdf;
};

TEST_F(PrintCommand, DialogOffersTheLeasePagesAndPrintsTheRangeChosen)
{
    const QString n = StandardLease();
    SetFields(n, {{"LANGUEIMP", "A"}, {"D_LIEU", "Bureau 12, rue Saint-Paul"}});
    int offered = 0;
    forms::SetLeasePrintDialogHook([&](QPrintDialog &dialog) {
        offered = dialog.maxPage();
        dialog.setPrintRange(QAbstractPrintDialog::PageRange);
        dialog.setFromTo(2, 3);
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(m_lease->FindKey(n));
    forms::PrintCurrentLease(nullptr, forms::TPrintButton::SBPrint, *m_lease, *m_lessor, *m_annex, false);
    EXPECT_EQ(offered, 4);
    EXPECT_EQ(PdfPages(m_pdf), 2);
    // The pages printed are the lease's: its values are in the document's text.
    QString text;
    if (testsupport::HaveProgram(QStringLiteral("pdftotext"))) {
        ASSERT_EQ(testsupport::Run(QStringLiteral("pdftotext"), {m_pdf, QStringLiteral("-")}, &text), 0);
        EXPECT_TRUE(text.contains(QLatin1String("Bureau 12, rue Saint-Paul"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QLatin1String("Page 2 of 10")));
        EXPECT_FALSE(text.contains(QLatin1String("Page 1 of 10")));
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PrintCommand, DialogOffersTheAnnexPagesOfAnElderlyLease)
{
    const QString n = FindLease([](const QString &k) { return forms::IsElderlyKey(k) && !forms::IsCooperativeKey(k); });
    ASSERT_TRUE(m_annex->FindKey(n));
    int offered = 0;
    forms::SetLeasePrintDialogHook([&](QPrintDialog &dialog) {
        offered = dialog.maxPage();
        dialog.setPrintRange(QAbstractPrintDialog::PageRange);
        dialog.setFromTo(5, 12);
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(m_lease->FindKey(n));
    forms::PrintCurrentLease(nullptr, forms::TPrintButton::SBPrint, *m_lease, *m_lessor, *m_annex, true);
    EXPECT_EQ(offered, 12);
    EXPECT_EQ(PdfPages(m_pdf), 8);
}

TEST_F(PrintCommand, WhatTheDialogSetsGoesWithTheJob)
{
    const QString n = StandardLease();
    forms::SetLeasePrintDialogHook([&](QPrintDialog &dialog) {
        dialog.printer()->setPageSize(QPageSize(QPageSize::Legal));
        dialog.printer()->setCollateCopies(true); // (a PDF device has no duplex to set)
        dialog.printer()->setCopyCount(2);
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(m_lease->FindKey(n));
    forms::PrintCurrentLease(nullptr, forms::TPrintButton::SBPrint, *m_lease, *m_lessor, *m_annex, false);
    const printout::TPrinter &app = printout::ApplicationPrinter();
    EXPECT_EQ(app.Paper().sizeCode, 5);
    EXPECT_TRUE(app.Collate());
    EXPECT_EQ(app.Copies(), 2);
    // The sheets written are Legal ones (8.5 x 14 in).
    QString info;
    if (testsupport::HaveProgram(QStringLiteral("pdfinfo"))) {
        ASSERT_EQ(testsupport::Run(QStringLiteral("pdfinfo"), {m_pdf}, &info), 0);
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+612 x 1008")))) << info.toStdString();
    }
}

TEST_F(PrintCommand, CancelledDialogPrintsNothing)
{
    const QString n = StandardLease();
    forms::SetLeasePrintDialogHook([](QPrintDialog &) { return int(QDialog::Rejected); });
    ASSERT_TRUE(m_lease->FindKey(n));
    forms::PrintCurrentLease(nullptr, forms::TPrintButton::SBPrint, *m_lease, *m_lessor, *m_annex, false);
    EXPECT_FALSE(QFile::exists(m_pdf));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PrintCommand, PreviewBuildsEveryPageWithoutDialog)
{
    const QString n = StandardLease();
    bool asked = false;
    forms::SetLeasePrintDialogHook([&](QPrintDialog &) {
        asked = true;
        return int(QDialog::Rejected);
    });
    db::SetWorkingLanguage(QStringLiteral("A"));
    ASSERT_TRUE(m_lease->FindKey(n));
    forms::PrintCurrentLease(nullptr, forms::TPrintButton::SBPreview, *m_lease, *m_lessor, *m_annex, false);
    EXPECT_FALSE(asked);
    preview::TFPrintPreview *preview = forms::CurrentLeasePreview();
    ASSERT_NE(preview, nullptr);
    ASSERT_EQ(preview->DocumentCount(), 1);
    EXPECT_EQ(preview->Current()->PageCount(), 4);
    EXPECT_EQ(preview->Current()->Title(), QLatin1String("Lease of the Ostrevane"));
    EXPECT_EQ(preview->Current()->PageColor(), 0x00FFFFFFu);
    EXPECT_FALSE(QFile::exists(m_pdf));
    delete preview;
    EXPECT_EQ(forms::CurrentLeasePreview(), nullptr);
}

class RenderCommand : public LeaseFixture {};

TEST_F(RenderCommand, WritesOnePictureOrMetafilePerPage)
{
    const QString n = StandardLease();
    SetFields(n, {{"LANGUEIMP", "F"}, {"A_NOM1", "Rosalie Tremblay"}});
    m_lease.reset(); // the command opens the tables itself
    const QString png = Dir() + QStringLiteral("/png/lease");
    QString out, err;
    ASSERT_EQ(testsupport::Run(testsupport::Bailtool(),
                               {QStringLiteral("render"), Dir(), QStringLiteral("--lease"), n, QStringLiteral("--png"), png,
                                QStringLiteral("--dpi"), QStringLiteral("40")},
                               &out, &err),
              0)
        << err.toStdString();
    for (int page = 1; page <= 4; ++page) {
        QImage image(QStringLiteral("%1-%2.png").arg(png).arg(page));
        ASSERT_FALSE(image.isNull()) << page;
        EXPECT_NEAR(image.width(), 8.5 * 40, 2);
    }
    EXPECT_FALSE(QFile::exists(QStringLiteral("%1-5.png").arg(png)));
    // The title block is black on white paper...
    const QPoint inBlock(int(400 * 40 / 254.0), int(100 * 40 / 254.0));
    EXPECT_LT(QImage(png + QStringLiteral("-1.png")).pixelColor(inBlock).lightness(), 64);
    // ... and outlined only when the folder saves toner.
    {
        auto config = Open(db::kBailConf, "");
        config->First();
        config->Edit();
        config->FieldByName(QStringLiteral("SAVETONER"))->SetAsBoolean(true);
        config->Post();
    }
    ASSERT_EQ(testsupport::Run(testsupport::Bailtool(),
                               {QStringLiteral("render"), Dir(), QStringLiteral("--lease"), n, QStringLiteral("--pages"),
                                QStringLiteral("1-1"), QStringLiteral("--png"), png, QStringLiteral("--dpi"),
                                QStringLiteral("40")},
                               &out, &err),
              0);
    EXPECT_GT(QImage(png + QStringLiteral("-1.png")).pixelColor(inBlock).lightness(), 192);

    const QString emf = Dir() + QStringLiteral("/emf/lease");
    ASSERT_EQ(testsupport::Run(testsupport::Bailtool(),
                               {QStringLiteral("render"), Dir(), QStringLiteral("--lease"), n, QStringLiteral("--pages"),
                                QStringLiteral("1-2"), QStringLiteral("--emf"), emf},
                               &out, &err),
              0)
        << err.toStdString();
    const printout::TMetafile first = printout::TMetafile::Load(emf + QStringLiteral("-1.emf"));
    const auto runs = printout::TextRuns(first);
    EXPECT_TRUE(HasText(runs, QStringLiteral("Rosalie Tremblay")));
    EXPECT_TRUE(HasText(runs, QStringLiteral("Page 1 de 10")));
    EXPECT_TRUE(QFile::exists(emf + QStringLiteral("-2.emf")));
    EXPECT_FALSE(QFile::exists(emf + QStringLiteral("-3.emf")));
}

TEST_F(RenderCommand, RefusesUnknownLeasesAndBadArguments)
{
    const QString prefix = Dir() + QStringLiteral("/x");
    QString out, err;
    EXPECT_EQ(testsupport::Run(testsupport::Bailtool(),
                               {QStringLiteral("render"), Dir(), QStringLiteral("--lease"), QStringLiteral("99999"),
                                QStringLiteral("--png"), prefix},
                               &out, &err),
              1);
    EXPECT_TRUE(err.contains(QLatin1String("99999"))) << err.toStdString();
    EXPECT_EQ(testsupport::Run(testsupport::Bailtool(),
                               {QStringLiteral("render"), Dir(), QStringLiteral("--lease"), QStringLiteral("1"),
                                QStringLiteral("--pages"), QStringLiteral("4-2"), QStringLiteral("--png"), prefix},
                               &out, &err),
              1);
    EXPECT_EQ(testsupport::Run(testsupport::Bailtool(),
                               {QStringLiteral("render"), Dir(), QStringLiteral("--lease"), QStringLiteral("1")}, &out,
                               &err),
              1);
    EXPECT_TRUE(QDir(Dir()).entryList({QStringLiteral("x*")}).isEmpty());
}


TEST_F(PrintJob, StandardLeaseReachesTheCupsQueueAsFourPages)
{
    CUPS_TEST_PROLOGUE(QStringLiteral("PrintJob.StandardLeaseReachesTheCupsQueueAsFourPages"));
    const QString queue = qEnvironmentVariable("BAIL_CUPS_PDF_QUEUE");
    const QString outDir = qEnvironmentVariable("BAIL_CUPS_OUT");
    if (!testsupport::HaveProgram(QStringLiteral("pdfinfo")) || !testsupport::HaveProgram(QStringLiteral("pdftotext")))
        GTEST_SKIP() << "pdfinfo and pdftotext (poppler-utils) are not installed";
    std::unique_ptr<printout::TPrinter> printer = printout::TPrinter::Named(queue);
    ASSERT_TRUE(printer) << "queue " << queue.toStdString() << " not found";
    printout::SetApplicationPrinter(std::move(printer));
    forms::SetLeasePrintDialogHook([](QPrintDialog &) { return int(QDialog::Accepted); });
    // Job numbers, and so cups-pdf's file names, start again with every scheduler: a file of
    // this job is one written from now on.
    const QDateTime start = QDateTime::currentDateTime().addSecs(-1);

    const QString n = StandardLease();
    SetFields(n, {{"LANGUEIMP", "F"}, {"D_LIEU", "Bureau 7, rue du Quai"}});
    ASSERT_TRUE(m_lease->FindKey(n));
    forms::PrintCurrentLease(nullptr, forms::TPrintButton::SBPrint, *m_lease, *m_lessor, *m_annex, false);
    forms::SetLeasePrintDialogHook({});

    // cups-pdf names the file after the job title, the working language's one. Other printing
    // tests may write into the same folder meanwhile, and the backend takes its time to finish
    // a file under load: the file is this job's once it reads whole and holds its place.
    QString pdf, info, text;
    for (int i = 0; i < 120 && pdf.isEmpty(); ++i) {
        for (const QString &f : QDir(outDir).entryList({QStringLiteral("Bail_de_la_*.pdf")}, QDir::Files | QDir::CaseSensitive)) {
            const QString path = QDir(outDir).filePath(f);
            if (QFileInfo(path).lastModified() < start)
                continue;
            QString candidateInfo, candidateText;
            if (testsupport::Run(QStringLiteral("pdfinfo"), {path}, &candidateInfo) == 0
                && testsupport::Run(QStringLiteral("pdftotext"), {path, QStringLiteral("-")}, &candidateText) == 0
                && candidateText.contains(QLatin1String("Bureau 7, rue du Quai"))) {
                pdf = path;
                info = candidateInfo;
                text = candidateText;
                break;
            }
        }
        if (pdf.isEmpty())
            QThread::msleep(500);
    }
    printout::SetApplicationPrinter(printout::TPrinter::Default());
    ASSERT_FALSE(pdf.isEmpty()) << "no readable PDF of this lease from CUPS in " << outDir.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+4")))) << info.toStdString();
    // What the queue wrote is the lease itself, text and all.
    EXPECT_TRUE(text.contains(QLatin1String("ENTRE"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QLatin1String("Bureau 7, rue du Quai")));
    for (int page = 1; page <= 4; ++page)
        EXPECT_TRUE(text.contains(QStringLiteral("Page %1 de 10").arg(page))) << page;
    if (!HasFailure())
        QFile::remove(pdf);
}
