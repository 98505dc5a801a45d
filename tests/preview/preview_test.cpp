// The preview window driven as a user would: zoom box, buttons, keys, wheel, search, files.

#include "preview/Preview.h"

#include "dbase/Database.h"
#include "dbase/Table.h"
#include "delivery/Archive.h"
#include "delivery/KelStream.h"
#include "preview/ArchivePanel.h"
#include "preview/ExportMenu.h"
#include "ui/Accessibility.h"
#include "ui/KelButton.h"
#include "ui/MLang.h"
#include "ui/MessageBoxes.h"

#include "TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <gtest/gtest.h>

#include <tuple>

using namespace printout;
using preview::TFPrintPreview;
using preview::TFindWords;

namespace {

std::unique_ptr<TPrintout> Lease(int pages, const QString &title = QStringLiteral("Bail 42"))
{
    auto p = std::make_unique<TPrintout>(nullptr, TPrinter::Virtual(), title);
    p->SetPageColor(0xFFFFFF);
    for (int i = 1; i <= pages; ++i) {
        p->NewPage(1);
        TPageCanvas *c = p->Canvas();
        c->SetTextAlign(emf::TA_BASELINE);
        c->SetFontHeight(40);
        c->TextOut(250, -400, QStringLiteral("Bail n° %1").arg(i));
        c->TextOut(250, -600, QStringLiteral("Bailleur et locataire"));
        c->TextOut(250, -800, QStringLiteral("Fin du bail, le locataire"));
        p->EndPage();
    }
    return p;
}

// Answers every message box, keeping its text.
struct TBoxes {
    QStringList texts;
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    TBoxes()
    {
        ui::SetMessageBoxHook([this](QMessageBox &box) {
            texts.append(box.text());
            return answer;
        });
    }
    ~TBoxes() { ui::SetMessageBoxHook({}); }
};

} // namespace

TEST(Preview, ZoomBoxRules)
{
    TFPrintPreview w(nullptr, Lease(1));
    w.show();
    // 100 % is the physical size: a Letter sheet at the screen's resolution.
    const int ppi = w.Current()->Geometry().screenPpiX;
    EXPECT_EQ(w.SheetSize(), QSize(MulDiv(ppi, 5100, 600), MulDiv(ppi, 6600, 600)));
    w.ZoomIn();
    EXPECT_EQ(w.Zoom(), 110);
    w.ZoomIn();
    EXPECT_EQ(w.Zoom(), 121);
    w.SetZoomText(QStringLiteral("100"));
    w.ZoomOut();
    EXPECT_EQ(w.Zoom(), 91);
    w.SetZoomText(QStringLiteral("abc"));
    w.ApplyZoom();
    EXPECT_EQ(w.SheetSize().width(), MulDiv(ppi, 5100, 600));
    w.SetZoomText(QStringLiteral("1500"));
    w.ApplyZoom();
    EXPECT_EQ(w.ZoomBox()->currentText(), QStringLiteral("1000"));
    // Typing, as keys reach the box: digits only; Enter applies, clamped to 1000.
    for (const auto &[typed, shown, zoom] : {std::tuple{"2a5x0", "250", 250}, std::tuple{"1500", "1000", 1000}}) {
        w.ZoomBox()->lineEdit()->clear();
        w.ZoomBox()->setFocus();
        QTest::keyClicks(w.ZoomBox(), QLatin1String(typed));
        QTest::keyClick(w.ZoomBox(), Qt::Key_Return);
        EXPECT_EQ(w.ZoomBox()->currentText(), QLatin1String(shown)) << typed;
        EXPECT_EQ(w.SheetSize().width(), MulDiv(zoom, ppi * 5100LL, 600 * 100)) << typed;
    }
    // Full page fits the box and shows its effective percentage.
    w.resize(800, 600);
    QApplication::processEvents();
    w.FullPage();
    EXPECT_EQ(w.SheetSize().height(), w.ScrollBox()->viewport()->height() - 30);
    EXPECT_LT(w.Zoom(), 100);
    w.PageWidth();
    EXPECT_EQ(w.SheetSize().width(), w.ScrollBox()->viewport()->width() - 50);
}

TEST(Preview, NavigationButtonsKeysAndWheel)
{
    TFPrintPreview w(nullptr, Lease(25));
    w.show();
    EXPECT_EQ(w.Current()->CurrentPage(), 1);
    EXPECT_FALSE(w.Button("BtnFirstPage")->isEnabled());
    EXPECT_FALSE(w.Button("BtnPreviousPage")->isEnabled());
    EXPECT_FALSE(w.Button("BtnRewind")->isEnabled());
    EXPECT_TRUE(w.Button("BtnFastForward")->isEnabled());
    EXPECT_EQ(w.PageIndicator()->text(), QStringLiteral("Page 1 de 25"));
    QTest::mouseClick(w.Button("BtnFastForward"), Qt::LeftButton);
    EXPECT_EQ(w.Current()->CurrentPage(), 11);
    QTest::keyClick(&w, Qt::Key_PageDown);
    EXPECT_EQ(w.Current()->CurrentPage(), 12);
    QTest::keyClick(&w, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(w.Current()->CurrentPage(), 22);
    QTest::keyClick(&w, Qt::Key_PageDown, Qt::ControlModifier); // clamps
    EXPECT_EQ(w.Current()->CurrentPage(), 25);
    EXPECT_FALSE(w.Button("BtnLastPage")->isEnabled());
    QTest::keyClick(&w, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(w.Current()->CurrentPage(), 1);
    QTest::keyClick(&w, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(w.Current()->CurrentPage(), 25);
    // Home and End alone, as the buttons' hints name them.
    QTest::keyClick(&w, Qt::Key_Home);
    EXPECT_EQ(w.Current()->CurrentPage(), 1);
    QTest::keyClick(&w, Qt::Key_End);
    EXPECT_EQ(w.Current()->CurrentPage(), 25);
    QTest::keyClick(&w, Qt::Key_PageUp, Qt::ControlModifier | Qt::ShiftModifier); // not in the table
    EXPECT_EQ(w.Current()->CurrentPage(), 25);
    auto wheel = [&](int delta, Qt::KeyboardModifiers mods) {
        QWheelEvent e(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.ScrollBox()->viewport(), &e);
    };
    wheel(120, Qt::NoModifier);
    EXPECT_EQ(w.Current()->CurrentPage(), 24);
    wheel(120, Qt::ControlModifier);
    EXPECT_EQ(w.Current()->CurrentPage(), 14);
    wheel(-120, Qt::AltModifier);
    EXPECT_EQ(w.Current()->CurrentPage(), 25);
    wheel(120, Qt::ControlModifier | Qt::AltModifier); // ignored
    EXPECT_EQ(w.Current()->CurrentPage(), 25);
    const int zoom = w.Zoom();
    wheel(-120, Qt::ShiftModifier);
    EXPECT_EQ(w.Zoom(), MulDiv(zoom, 11, 10));
    QTest::keyClick(&w, Qt::Key_T, Qt::ControlModifier);
    EXPECT_LT(w.SheetSize().height(), w.ScrollBox()->viewport()->height());
}

TEST(Preview, DocumentsListAndClosing)
{
    auto *w = new TFPrintPreview(nullptr, Lease(2, QStringLiteral("Premier")));
    w->show();
    EXPECT_FALSE(w->Button("BtnPreviousPrintout")->isEnabled());
    EXPECT_FALSE(w->Button("BtnSelectPrintout")->isEnabled());
    EXPECT_TRUE(w->Current()->Previewed());
    w->AddDocument(Lease(3, QStringLiteral("Second")));
    EXPECT_EQ(w->DocumentCount(), 2);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Second"));
    EXPECT_TRUE(w->Button("BtnNextPrintout")->isEnabled());
    EXPECT_EQ(w->DocumentMenu()->actions().size(), 2);
    QTest::keyClick(w, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier); // wraps round
    EXPECT_EQ(w->Current()->Title(), QStringLiteral("Premier"));
    w->DocumentMenu()->actions().at(1)->trigger();
    EXPECT_EQ(w->Current()->Title(), QStringLiteral("Second"));
    EXPECT_EQ(w->PageIndicator()->text(), QStringLiteral("Page 1 de 3"));
    QTest::keyClick(w, Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(w->DocumentCount(), 1);
    EXPECT_EQ(w->Current()->Title(), QStringLiteral("Premier"));
    EXPECT_EQ(w->DocumentMenu()->actions().size(), 1);
    EXPECT_FALSE(w->Button("BtnNextPrintout")->isEnabled());
    // The last document closes the window.
    QTest::mouseClick(w->Button("BtnClosePrintout"), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
    delete w;
}

TEST(Preview, RefusesToCloseWhilePrinting)
{
    auto dir = testsupport::TempDir();
    auto p = std::make_unique<TPrintout>(nullptr, TPrinter::PdfFile(dir->filePath(QStringLiteral("x.pdf")), 150), QStringLiteral("x"));
    p->NewPage(1);
    p->EndPage();
    TPrinter *printer = p->Printer();
    TFPrintPreview w(nullptr, std::move(p));
    w.show();
    ASSERT_TRUE(printer->Begin(QStringLiteral("x")));
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    printer->End();
    EXPECT_TRUE(w.close());
}

TEST(Preview, LivesInAnMdiArea)
{
    QMdiArea area;
    area.resize(900, 700);
    area.show();
    TFPrintPreview *w = TFPrintPreview::ShowInMdi(&area, Lease(1, QStringLiteral("Dans la fenêtre")));
    ASSERT_EQ(area.subWindowList().size(), 1);
    EXPECT_TRUE(area.subWindowList().first()->isMaximized());
    EXPECT_EQ(area.subWindowList().first()->windowTitle(), QStringLiteral("Dans la fenêtre"));
    w->close();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(area.subWindowList().isEmpty());
}

TEST(Preview, SearchWholeWordsAndUnderline)
{
    TFPrintPreview w(nullptr, Lease(3));
    w.show();
    QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(w.SearchPanel()->isVisible());
    w.WholeWords()->setChecked(true);
    QTest::keyClicks(w.SearchEdit(), QStringLiteral("bail"));
    QTest::keyClick(w.SearchEdit(), Qt::Key_Return);
    // "Bail n° 1" and "Fin du bail, ..." on each page; "Bailleur" is a longer word.
    ASSERT_EQ(w.Hits().size(), 6u);
    EXPECT_EQ(w.HitTexts().first(), QStringLiteral("Bail n° 1"));
    EXPECT_EQ(w.Hits()[1].page, 1);
    EXPECT_EQ(w.Hits()[2].page, 2);
    EXPECT_TRUE(w.UnderlineVisible());
    // The bar sits at the text's bottom, as wide as the text.
    const TFindWords &hit = w.Hits()[0];
    const QRect bar = w.UnderlineGeometry();
    const double scale = double(w.SheetSize().width() - 2) / w.Current()->Geometry().sheetSize.width();
    EXPECT_NEAR(bar.width(), hit.rect.width() * scale, 2);
    EXPECT_NEAR(bar.left() - w.SheetPosition().x(), hit.rect.left() * scale, 3);
    w.HitList()->setCurrentRow(4);
    EXPECT_EQ(w.Current()->CurrentPage(), 3);
    EXPECT_FALSE(TFPrintPreview::Matches(QStringLiteral("BAILLEUR"), QStringLiteral("BAIL"), true));
    EXPECT_TRUE(TFPrintPreview::Matches(QStringLiteral("BAILLEUR"), QStringLiteral("BAIL"), false));
    EXPECT_TRUE(TFPrintPreview::Matches(QStringLiteral("LE BAIL."), QStringLiteral("BAIL"), true));
    EXPECT_TRUE(TFPrintPreview::Matches(QStringLiteral("BAILLEUR DU BAIL"), QStringLiteral("BAIL"), true));
    EXPECT_FALSE(TFPrintPreview::Matches(QStringLiteral("BAILLEUR, SOUS-BAIL"), QStringLiteral("BAIL"), true));
    // Match case finds nothing for the lower-case word at a run's start, and says so.
    TBoxes boxes;
    w.Search(QStringLiteral("bailleur"), true, false);
    EXPECT_TRUE(w.Hits().empty());
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(boxes.texts.first(), QStringLiteral("«bailleur» non trouvé"));
    // The search that found nothing leaves no underline of the one before, even after a zoom.
    EXPECT_FALSE(w.UnderlineVisible());
    QTest::keyClick(&w, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_FALSE(w.UnderlineVisible());
    QTest::keyClick(&w, Qt::Key_PageDown);
    EXPECT_FALSE(w.UnderlineVisible());
}

TEST(Preview, SavesPagesAsMetafilesAndOpensThem)
{
    auto dir = testsupport::TempDir();
    TFPrintPreview w(nullptr, Lease(3));
    TBoxes boxes;
    boxes.answer = QMessageBox::Yes;
    ASSERT_TRUE(w.SaveFile(dir->filePath(QStringLiteral("lease"))));
    EXPECT_EQ(QDir(dir->path()).entryList({QStringLiteral("*.emf")}, QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("lease1.emf"), QStringLiteral("lease2.emf"), QStringLiteral("lease3.emf")}));
    EXPECT_TRUE(boxes.texts.first().startsWith(QStringLiteral("Sauvegarder toutes les pages?")));
    boxes.answer = QMessageBox::No;
    w.Current()->SetCurrentPage(2);
    ASSERT_TRUE(w.SaveFile(dir->filePath(QStringLiteral("one.emf"))));
    const TMetafile one = TMetafile::Load(dir->filePath(QStringLiteral("one.emf")));
    EXPECT_TRUE(one.SameRecords(*w.Current()->PageMetafile(2)));
    // Opening appends the page and shows it, without the last search's underline.
    w.show();
    w.Search(QStringLiteral("bail"), false, false);
    ASSERT_TRUE(w.UnderlineVisible());
    ASSERT_TRUE(w.OpenEmf(dir->filePath(QStringLiteral("lease1.emf"))));
    EXPECT_EQ(w.Current()->PageCount(), 4);
    EXPECT_EQ(w.Current()->CurrentPage(), 4);
    EXPECT_FALSE(w.UnderlineVisible());
    EXPECT_TRUE(w.Current()->PageMetafile(4)->SameRecords(*w.Current()->PageMetafile(1)));
    // A damaged file is refused with a message and nothing is added.
    QFile bad(dir->filePath(QStringLiteral("bad.emf")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(200, '\x01'));
    bad.close();
    boxes.texts.clear();
    EXPECT_FALSE(w.OpenEmf(bad.fileName()));
    EXPECT_EQ(w.Current()->PageCount(), 4);
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts.first().contains(QStringLiteral("métafile")));
}

TEST(Preview, SavesThePrintoutAsAPdfDocument)
{
    auto dir = testsupport::TempDir();
    TFPrintPreview w(nullptr, Lease(3));
    TBoxes boxes;
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(dir->path()); // the export's listing goes to the current folder
    ASSERT_TRUE(w.SavePdf(dir->filePath(QStringLiteral("lease"))));
    QDir::setCurrent(cwd);
    const QString pdf = dir->filePath(QStringLiteral("lease.pdf"));
    ASSERT_TRUE(QFileInfo::exists(pdf));
    EXPECT_TRUE(QFileInfo::exists(dir->filePath(QStringLiteral("emf.txt"))));
    EXPECT_TRUE(boxes.texts.isEmpty());
    if (testsupport::HaveProgram(QStringLiteral("pdfinfo"))) {
        QString info;
        ASSERT_EQ(testsupport::Run(QStringLiteral("pdfinfo"), {pdf}, &info), 0);
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+3\\b")))) << info.toStdString();
        // The printout's title is the document's.
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Title:\\s+Bail 42\\n")))) << info.toStdString();
    }
    // A folder that does not exist: a message, and no file anywhere.
    const QString missing = dir->filePath(QStringLiteral("nope/lease.pdf"));
    EXPECT_FALSE(w.SavePdf(missing));
    EXPECT_EQ(boxes.texts.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST(Preview, HotSpotsFromCommentRecords)
{
    auto p = Lease(1);
    p->NewPage(1);
    p->Canvas()->Comment(QByteArray("   100   200   900   300HTTP;https://example.org/bail;x"));
    p->Canvas()->Comment(QByteArray("EMF+private"));
    p->EndPage();
    TFPrintPreview w(nullptr, std::move(p));
    w.Current()->SetCurrentPage(2);
    ASSERT_EQ(w.HotSpots().size(), 1u);
    EXPECT_EQ(w.HotSpots()[0].rect, QRect(QPoint(100, 200), QPoint(900, 300)));
    EXPECT_EQ(w.HotSpotHint(QPoint(500, 250), Qt::NoModifier), QStringLiteral("https://example.org/bail"));
    EXPECT_EQ(w.HotSpotHint(QPoint(500, 250), Qt::ShiftModifier | Qt::ControlModifier),
              QStringLiteral("HTTP;https://example.org/bail;x"));
    EXPECT_EQ(w.HotSpotHint(QPoint(50, 250), Qt::NoModifier), QString());
}

TEST(Preview, ToolbarHintsInBothLanguages)
{
    TFPrintPreview w(nullptr, Lease(1));
    w.Translation()->SetActiveLanguage(1);
    EXPECT_EQ(w.Button("BtnZoomIn")->toolTip(), QStringLiteral("Zoom in (Ctrl++)"));
    EXPECT_EQ(w.Button("BtnClosePrintout")->toolTip(), QStringLiteral("Close active document (Ctrl+Shift+X)"));
    EXPECT_EQ(w.ZoomBox()->toolTip(), QStringLiteral("Zoom"));
    EXPECT_EQ(w.PageIndicator()->text(), QStringLiteral("Page 1 of 1"));
    EXPECT_EQ(w.WholeWords()->text(), QStringLiteral("Whole word only"));
    EXPECT_EQ(w.ZoomBox()->count(), 16);
    w.Translation()->SetActiveLanguage(0);
    EXPECT_EQ(w.Button("BtnFind")->toolTip(), QStringLiteral("Rechercher (Ctrl+Shift+F)"));
    EXPECT_EQ(w.Button("BtnRewind")->toolTip(), QStringLiteral("Pages précédentes (Ctrl+Pg préc)"));
    EXPECT_EQ(w.Button("SBArchive")->toolTip(), QStringLiteral("Archiver le document (Ctrl+A)"));
    EXPECT_EQ(w.Button("BtnExport")->toolTip(), QStringLiteral("Exporter vers MS Word / MS Excel / Adobe Acrobat (Ctrl+W)"));
    EXPECT_EQ(w.Button("BtnSendMailMulti")->toolTip(), QStringLiteral("Envoyer par courriel multiple (Ctrl+Shift+E)"));
}

TEST(Preview, ToolbarGlyphButtonsAndTheirMenus)
{
    TFPrintPreview w(nullptr, Lease(2, QStringLiteral("Premier")));
    w.AddDocument(Lease(1, QStringLiteral("Second")));
    w.show();
    // Glyphs without captions: each its own image, named for assistive technologies by its hint.
    const auto buttons = w.findChild<QWidget *>(QStringLiteral("ToolBar"))->findChildren<ui::TKelSpeedButton *>();
    ASSERT_EQ(buttons.size(), 22);
    for (ui::TKelSpeedButton *b : buttons) {
        SCOPED_TRACE(b->objectName().toStdString());
        EXPECT_FALSE(b->PNGObject().isNull());
        EXPECT_TRUE(b->text().isEmpty());
        EXPECT_EQ(b->height(), 30);
        EXPECT_EQ(ui::AccessibleName(*b), b->toolTip());
        for (ui::TKelSpeedButton *other : buttons)
            EXPECT_TRUE(other == b || other->PNGObject() != b->PNGObject()) << other->objectName().toStdString();
    }
    // The export menu drops on a click; the document list opens on the right button only.
    QTest::mouseClick(w.Button("BtnExport"), Qt::LeftButton);
    EXPECT_TRUE(w.ExportMenu()->Menu()->isVisible());
    w.ExportMenu()->Menu()->hide();
    // Through the window, as the platform sends them, so that the right button makes its menu event.
    const QPoint list = w.Button("BtnSelectPrintout")->mapTo(&w, QPoint(15, 15));
    QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, list);
    EXPECT_FALSE(w.DocumentMenu()->isVisible());
    EXPECT_EQ(w.Current()->Title(), QStringLiteral("Second"));
    QTest::mouseClick(w.windowHandle(), Qt::RightButton, {}, list);
    EXPECT_TRUE(w.DocumentMenu()->isVisible());
    w.DocumentMenu()->hide();
}

TEST(Preview, PrintoutFilesSaveAndOpenAsFurtherDocuments)
{
    auto dir = testsupport::TempDir();
    TBoxes boxes;
    TFPrintPreview w(nullptr, Lease(2, QStringLiteral("Premier")));
    w.show();
    ASSERT_TRUE(w.SaveKrp(dir->filePath(QStringLiteral("bail"))));
    const QString file = dir->filePath(QStringLiteral("bail.krp"));
    ASSERT_TRUE(QFile::exists(file));
    ASSERT_TRUE(w.OpenKrp(file));
    EXPECT_EQ(w.DocumentCount(), 2);
    EXPECT_EQ(w.DocumentMenu()->actions().size(), 2);
    EXPECT_TRUE(w.Button("BtnNextPrintout")->isEnabled());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Premier"));
    EXPECT_EQ(w.PageIndicator()->text(), QStringLiteral("Page 1 de 2"));
    EXPECT_TRUE(w.Current()->PageMetafile(2)->SameRecords(*w.Document(0)->PageMetafile(2)));
    EXPECT_TRUE(boxes.texts.isEmpty());

    // A version this program does not read, and a file cut short: the message, nothing added.
    delivery::TKelMemoryStream future;
    future.WriteString(QStringLiteral("0103"));
    future.WriteString(QStringLiteral("SCREEN"));
    const QString newer = dir->filePath(QStringLiteral("newer.krp"));
    future.SaveToFile(newer, true);
    EXPECT_FALSE(w.OpenKrp(newer));
    QFile whole(file);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    QFile cut(dir->filePath(QStringLiteral("cut.krp")));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(bytes.left(bytes.size() / 2));
    cut.close();
    EXPECT_FALSE(w.OpenKrp(cut.fileName()));
    EXPECT_EQ(w.DocumentCount(), 2);
    ASSERT_EQ(boxes.texts.size(), 2);
    EXPECT_EQ(boxes.texts[0], QStringLiteral("Erreur de version du loader. Veuillez mettre à jour le logiciel."));
    EXPECT_TRUE(boxes.texts[1].contains(QStringLiteral("endommagé"))) << boxes.texts[1].toStdString();
}

TEST(Preview, ArchivePanelArchivesAndClosingOffersToArchive)
{
    auto dir = testsupport::TempDir();
    delivery::MakeArchiveTables(dir->path());
    dbase::Session::Instance().DefineDatabase(QLatin1String(delivery::kArchiveDatabase), QStringLiteral("DBASE"),
                                              {QStringLiteral("PATH=") + dir->path()});
    auto rows = [&] {
        dbase::Table t(QDir(dir->path()).filePath(QLatin1String(delivery::kArchiveTable)), dbase::Table::Mode::ReadOnly);
        return t.RecordCount();
    };
    const QString title = QStringLiteral("Bail 42 de Marie-Ève Tremblay, 1234 rue des Érables, app. 5, Montréal");
    auto *w = new TFPrintPreview(nullptr, Lease(3, title));
    w->show();
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
    preview::TArchivePanel *panel = w->ArchivePanel();
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->Description(), title.left(60));
    EXPECT_TRUE(panel->MultipleBox()->isHidden()); // no page has a link
    QTest::mouseClick(panel->ArchiveButton(), Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(rows(), 1u);

    // Pages with links: the box shows ticked, and each run of a link is its own document.
    w->Current()->SetArchiveLink(1, 2, QStringLiteral(" 1 1BAIL      12"));
    w->Current()->SetArchiveLink(3, 3, QStringLiteral(" 1 1BAIL      13"));
    w->ShowArchivePanel();
    EXPECT_FALSE(panel->MultipleBox()->isHidden());
    EXPECT_TRUE(panel->MultipleBox()->isChecked());
    EXPECT_EQ(w->ArchiveCommand(), 2);
    EXPECT_EQ(rows(), 3u);

    // Closing with the panel open asks; Yes archives every page once more.
    w->ShowArchivePanel();
    TBoxes boxes;
    EXPECT_TRUE(w->close());
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(rows(), 4u);
    delete w;
}

TEST(Preview, PrintCommandToAFileOrToAPrinterGoneMeanwhile)
{
    auto dir = testsupport::TempDir();
    const QString first = dir->filePath(QStringLiteral("first.pdf")), other = dir->filePath(QStringLiteral("other.pdf"));
    TBoxes boxes;
    boxes.answer = QMessageBox::Ok;
    // Pages made for a printer (here a PDF device) as the lease printouts are.
    auto printout = std::make_unique<TPrintout>(nullptr, TPrinter::PdfFile(first), QStringLiteral("Bail 42"));
    for (int i = 1; i <= 3; ++i) {
        printout->NewPage(1);
        printout->Canvas()->Rectangle(300, -300, 1500, -900);
        printout->EndPage();
    }
    TPrintout *shown = printout.get();
    TFPrintPreview preview(nullptr, std::move(printout));
    SetApplicationPrinter(TPrinter::PdfFile(first));
    // The dialog's "print to file": the pages go to that file, with the copies asked for.
    TFPrintPreview::SetPrintDialogHook([&](QPrintDialog &dialog) {
        dialog.printer()->setOutputFileName(other);
        dialog.printer()->setCopyCount(2);
        return int(QDialog::Accepted);
    });
    preview.PrintCommand();
    EXPECT_TRUE(QFileInfo::exists(other));
    EXPECT_FALSE(QFileInfo::exists(first));
    EXPECT_TRUE(shown->Printed());
    QString info;
    if (testsupport::HaveProgram(QStringLiteral("pdfinfo"))) {
        ASSERT_EQ(testsupport::Run(QStringLiteral("pdfinfo"), {other}, &info), 0);
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+(3|6)\\b")))) << info.toStdString();
    }
    // A queue that is no longer there: said, and nothing printed.
    TFPrintPreview::SetPrintDialogHook([&](QPrintDialog &dialog) {
        dialog.printer()->setOutputFileName(QString());
        dialog.printer()->setPrinterName(QStringLiteral("gone-meanwhile"));
        return int(QDialog::Accepted);
    });
    QFile::remove(other);
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join(QLatin1Char('\n')).toStdString();
    preview.PrintCommand();
    TFPrintPreview::SetPrintDialogHook({});
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("introuvable"))) << boxes.texts[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(other));
    SetApplicationPrinter(TPrinter::Default());
}

// The real save dialog: each kind described once, and a typed known extension says the kind
// whatever filter is selected.
TEST(Preview, SaveDialogNamesEachKindOnceAndTheTypedExtensionWins)
{
    auto dir = testsupport::TempDir();
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(dir->path()); // the export's listing goes to the current folder
    TFPrintPreview w(nullptr, Lease(2));
    w.show();
    QStringList kinds;
    const QString typed = dir->filePath(QStringLiteral("typed.pdf"));
    QTimer::singleShot(0, [&] {
        auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        auto *combo = d->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(combo, nullptr);
        for (int i = 0; i < combo->count(); ++i)
            kinds << combo->itemText(i);
        d->selectNameFilter(d->nameFilters().first()); // the printout file's
        auto *name = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        name->setText(typed);
        QTest::keyClick(name, Qt::Key_Return);
    });
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QDir::setCurrent(cwd);
    EXPECT_EQ(kinds, (QStringList{QStringLiteral("(Document Kelvora *.krp)"), QStringLiteral("(Fichier métafile *.emf)"),
                                  QStringLiteral("(Fichier Adobe Acrobat *.pdf)")}));
    QFile f(typed);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5) == "%PDF-");
}
