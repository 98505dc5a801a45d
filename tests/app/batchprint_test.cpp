// The Batch printing command of the real main window: Ctrl+B opens the dialog modally, F1
// shows its help topic, its preview lands in the main window's work area, closing it frees it.

#include "AppTestUtil.h"

#include "app/Help.h"
#include "app/Main.h"
#include "db/Demo.h"
#include "forms/PrintCommand.h"
#include "forms/Printbat.h"
#include "preview/Preview.h"
#include "ui/Kelgrid.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace apptest;

TEST(BatchPrintCommand, CtrlBOpensTheDialogWhosePreviewLandsInTheWorkArea)
{
    db::InitSettings();
    auto dir = testsupport::TempDir();
    db::MakeDemoFolder(dir->path(), 12, 2);
    TCurrentDir cwd(dir->path());
    auto form = std::make_unique<app::TMainForm>();
    form->Start();
    form->show();
    Settle();
    QAction *item = form->Item(QStringLiteral("IDM_ImpLot"));
    ASSERT_TRUE(item->isEnabled());
    EXPECT_EQ(item->shortcut(), QKeySequence(QStringLiteral("Ctrl+B")));

    QPointer<forms::TPrintBatch> seen;
    int pages = 0, helpShown = 0;
    QTimer::singleShot(0, [&] {
        seen = qobject_cast<forms::TPrintBatch *>(QApplication::activeModalWidget());
        ASSERT_TRUE(seen);
        ui::TKelDBGrid *grid = seen->Grid();
        for (int row : {3, 0}) {
            grid->selectRow(row);
            QTest::keyClick(grid, Qt::Key_Space);
        }
        QApplication::setActiveWindow(seen); // offscreen leaves the main window active
        QTest::keyClick(seen, Qt::Key_F1);
        helpShown = app::THelp::Instance().Viewer() ? app::THelp::Instance().Viewer()->CurrentContext() : 0;
        seen->findChild<QPushButton *>(QStringLiteral("BtnPreview"))->click();
        if (preview::TFPrintPreview *preview = forms::CurrentLeasePreview())
            pages = preview->Current()->PageCount();
        seen->findChild<QPushButton *>(QStringLiteral("CloseBtn"))->click();
    });
    item->trigger();
    Settle();
    EXPECT_TRUE(seen.isNull()); // freed once closed
    EXPECT_GE(pages, 8);
    EXPECT_EQ(helpShown, forms::TPrintBatch::kHelpContext);
    preview::TFPrintPreview *preview = forms::CurrentLeasePreview();
    ASSERT_NE(preview, nullptr);
    bool inWorkArea = false;
    for (QMdiSubWindow *sub : form->MdiArea()->subWindowList())
        inWorkArea = inWorkArea || sub->widget() == preview;
    EXPECT_TRUE(inWorkArea);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    form.reset();
    Settle();
    db::InitSettings();
}
