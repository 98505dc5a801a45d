// Printing through a real CUPS queue that writes PDF files (cups-pdf). ./test.sh starts a
// private cupsd with such a queue: its socket in BAIL_CUPS_SERVER, the queue in
// BAIL_CUPS_PDF_QUEUE and the folder the PDF files land in as BAIL_CUPS_OUT; without them the
// tests are skipped. Each test runs in a child of this program that alone sees the scheduler
// (CUPS_SERVER), so the other tests keep a machine without printers.

#include "printout/Player.h"
#include "preview/Preview.h"
#include "printout/Printout.h"
#include "printout/PrinterSetup.h"

#include <QComboBox>

#include "TestSupport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>

using namespace printout;
using preview::TFPrintPreview;

namespace {

// Dark pixels of a page and their centre.
struct TInk {
    int count = 0;
    QPointF centre;
};

TInk Ink(const QImage &image)
{
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    TInk ink;
    double sx = 0, sy = 0;
    for (int y = 0; y < gray.height(); ++y) {
        const uchar *row = gray.constScanLine(y);
        for (int x = 0; x < gray.width(); ++x) {
            if (row[x] < 128) {
                ++ink.count;
                sx += x;
                sy += y;
            }
        }
    }
    if (ink.count)
        ink.centre = QPointF(sx / ink.count, sy / ink.count);
    return ink;
}

} // namespace

TEST(CupsPrinting, ThreePagesReachTheQueue)
{
    CUPS_TEST_PROLOGUE(QStringLiteral("CupsPrinting.ThreePagesReachTheQueue"));
    const QString queue = qEnvironmentVariable("BAIL_CUPS_PDF_QUEUE");
    const QString outDir = qEnvironmentVariable("BAIL_CUPS_OUT");
    if (!testsupport::HaveProgram(QStringLiteral("pdfinfo")) || !testsupport::HaveProgram(QStringLiteral("pdftotext")))
        GTEST_SKIP() << "pdfinfo and pdftotext (poppler-utils) are not installed";
    std::unique_ptr<TPrinter> printer = TPrinter::Named(queue);
    ASSERT_TRUE(printer) << "queue " << queue.toStdString() << " not found";
    SetApplicationPrinter(std::move(printer));

    const QString title = QStringLiteral("bailcups%1").arg(QDateTime::currentMSecsSinceEpoch());
    TPrintout p(nullptr, false, title);
    ASSERT_EQ(p.Printer()->Name(), queue);
    for (int page = 1; page <= 3; ++page) {
        p.NewPage(1);
        p.Canvas()->SetTextAlign(emf::TA_BASELINE);
        p.Canvas()->SetFontHeight(40);
        p.Canvas()->TextOut(300, -500, QStringLiteral("Bail imprimé page %1").arg(page));
        p.Canvas()->Rectangle(200, -200, 1900, -2500);
        p.EndPage();
    }
    ASSERT_TRUE(p.Print());

    // cups-pdf names the file after the job title.
    QString pdf;
    for (int i = 0; i < 120 && pdf.isEmpty(); ++i) {
        const QStringList found = QDir(outDir).entryList({title + QStringLiteral("*.pdf")}, QDir::Files);
        if (!found.isEmpty())
            pdf = QDir(outDir).filePath(found.first());
        else
            QThread::msleep(500);
    }
    ASSERT_FALSE(pdf.isEmpty()) << "no PDF from CUPS in " << outDir.toStdString();
    QString info, text;
    // The backend may still be writing the file under load.
    for (int i = 0; i < 40 && testsupport::Run(QStringLiteral("pdfinfo"), {pdf}, &info) != 0; ++i)
        QThread::msleep(500);
    ASSERT_EQ(testsupport::Run(QStringLiteral("pdfinfo"), {pdf}, &info), 0);
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+3")))) << info.toStdString();
    // The job goes to the queue as our own PDF: its text must come out of the queue's file,
    // and the pages must look as our player draws them.
    ASSERT_EQ(testsupport::Run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}, &text), 0);
    for (int page = 1; page <= 3; ++page)
        EXPECT_TRUE(text.contains(QStringLiteral("Bail imprimé page %1").arg(page))) << text.toStdString();
    auto dir = testsupport::TempDir();
    ASSERT_EQ(testsupport::Run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-gray"),
                                                            QStringLiteral("-png"), pdf, dir->filePath(QStringLiteral("p"))}),
              0);
    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE(page);
        QImage printed(dir->filePath(QStringLiteral("p-%1.png").arg(page)));
        ASSERT_FALSE(printed.isNull());
        QImage ours(printed.size(), QImage::Format_RGB32);
        ours.fill(Qt::white);
        {
            QPainter painter(&ours);
            PlayAtPhysicalSize(painter, *p.PageMetafile(page), 50, 50);
        }
        const TInk a = Ink(printed), b = Ink(ours);
        EXPECT_GT(a.count, 500);
        EXPECT_NEAR(a.count, b.count, b.count * 0.25);
        EXPECT_NEAR(a.centre.x(), b.centre.x(), 2.0); // 1 mm at 50 dpi
        EXPECT_NEAR(a.centre.y(), b.centre.y(), 2.0);
    }
    if (!HasFailure())
        QFile::remove(pdf);
}

TEST(CupsPrinting, PreviewReprintsOnTheChosenPrinter)
{
    CUPS_TEST_PROLOGUE(QStringLiteral("CupsPrinting.PreviewReprintsOnTheChosenPrinter"));
    const QString queue = qEnvironmentVariable("BAIL_CUPS_PDF_QUEUE");
    const QString outDir = qEnvironmentVariable("BAIL_CUPS_OUT");
    std::unique_ptr<TPrinter> printer = TPrinter::Named(queue);
    ASSERT_TRUE(printer);
    SetApplicationPrinter(std::move(printer));
    // A printout made on another device (here the virtual one) goes to the printer chosen in
    // the print dialog as a copy of its pages.
    const QString title = QStringLiteral("bailreprint%1").arg(QDateTime::currentMSecsSinceEpoch());
    auto printout = std::make_unique<TPrintout>(nullptr, TPrinter::Virtual(), title);
    for (int page = 1; page <= 2; ++page) {
        printout->NewPage(1);
        printout->Canvas()->Rectangle(300, -300, 1500, -900 - 300 * page);
        printout->EndPage();
    }
    TPrintout *shown = printout.get();
    TFPrintPreview preview(nullptr, std::move(printout));
    int dialogs = 0;
    TFPrintPreview::SetPrintDialogHook([&](QPrintDialog &) {
        ++dialogs;
        return int(QDialog::Accepted);
    });
    preview.PrintCommand();
    TFPrintPreview::SetPrintDialogHook({});
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(shown->Printed());
    EXPECT_EQ(ApplicationPrinter().Name(), queue); // put back as it was
    QString pdf;
    for (int i = 0; i < 120 && pdf.isEmpty(); ++i) {
        const QStringList found = QDir(outDir).entryList({title + QStringLiteral("*.pdf")}, QDir::Files);
        if (!found.isEmpty())
            pdf = QDir(outDir).filePath(found.first());
        else
            QThread::msleep(500);
    }
    ASSERT_FALSE(pdf.isEmpty());
    QString info;
    for (int i = 0; i < 40 && testsupport::Run(QStringLiteral("pdfinfo"), {pdf}, &info) != 0; ++i)
        QThread::msleep(500);
    ASSERT_EQ(testsupport::Run(QStringLiteral("pdfinfo"), {pdf}, &info), 0);
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2")))) << info.toStdString();
    if (!HasFailure())
        QFile::remove(pdf);
}

TEST(CupsPrinting, PrinterSetupChoosesTheQueue)
{
    CUPS_TEST_PROLOGUE(QStringLiteral("CupsPrinting.PrinterSetupChoosesTheQueue"));
    const QString queue = qEnvironmentVariable("BAIL_CUPS_PDF_QUEUE");
    SetApplicationPrinter(TPrinter::Virtual());
    TPrinterSetupDialog dialog;
    const int at = dialog.CB_Imprimante->findData(queue);
    ASSERT_GE(at, 0) << "the queue is not offered";
    dialog.CB_Imprimante->setCurrentIndex(at);
    dialog.CB_Papier->setCurrentIndex(dialog.CB_Papier->findData(9));
    dialog.accept();
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    EXPECT_EQ(ApplicationPrinter().Name(), queue);
    EXPECT_TRUE(ApplicationPrinter().IsQueue());
    EXPECT_EQ(ApplicationPrinter().Paper().sizeCode, 9);
    TPrintout p(nullptr, false, QStringLiteral("t"));
    EXPECT_EQ(p.Printer()->Name(), queue);
    EXPECT_NEAR(p.Geometry().sheetSize.width(), 2100, 1); // the device's pixels, rounded
    EXPECT_NEAR(p.Geometry().sheetSize.height(), 2970, 1);
}
