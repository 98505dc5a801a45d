// The preview's export command: the button at its place with its menu (Ctrl+W), the dialog's
// kinds, export and open, and a target that cannot be written told in a box.

#include "preview/ExportMenu.h"
#include "preview/Preview.h"

#include "ui/KelSpeedButton.h"
#include "ui/MLang.h"
#include "ui/MessageBoxes.h"

#include "TestSupport.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenu>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

using namespace printout;
using preview::TExportMenu;
using preview::TFPrintPreview;

namespace {

std::unique_ptr<TPrintout> TwoPages()
{
    auto p = std::make_unique<TPrintout>(nullptr, TPrinter::Virtual(), QStringLiteral("Bail 7"));
    for (int i = 1; i <= 2; ++i) {
        p->NewPage(1);
        p->Canvas()->SetFontHeight(40);
        p->Canvas()->TextOut(300, -400, QStringLiteral("Loyer 1 234.50 $"));
        p->EndPage();
    }
    return p;
}

} // namespace

TEST(PreviewExport, ButtonMenuDialogAndOpen)
{
    TFPrintPreview w(nullptr, TwoPages());
    w.show();
    ui::TKelSpeedButton *button = w.Button("BtnExport");
    ASSERT_NE(button, nullptr);
    // Between print and archive on the toolbar.
    QLayout *bar = button->parentWidget()->layout();
    EXPECT_EQ(bar->indexOf(button), bar->indexOf(w.Button("BtnPrint")) + 1);
    EXPECT_EQ(bar->indexOf(w.Button("SBArchive")), bar->indexOf(button) + 1);
    EXPECT_EQ(button->toolTip(), QStringLiteral("Exporter vers MS Word / MS Excel / Adobe Acrobat (Ctrl+W)"));

    TExportMenu *menu = w.ExportMenu();
    QTest::keyClick(&w, Qt::Key_W, Qt::ControlModifier);
    EXPECT_TRUE(menu->Menu()->isVisible());
    menu->Menu()->hide();
    EXPECT_EQ(menu->ExportAction()->text(), QStringLiteral("&Exporter"));
    EXPECT_EQ(menu->ExportOpenAction()->text(), QStringLiteral("Exporter et &ouvrir"));
    w.Translation()->SetActiveLanguage(1);
    EXPECT_EQ(menu->ExportOpenAction()->text(), QStringLiteral("Export and &open"));
    EXPECT_EQ(menu->Filters().value(1), QStringLiteral("(Microsoft Excel File *.xlsx) (*.xlsx)"));

    // Export and open through the dialog: the spreadsheet kind, a name without its suffix.
    auto dir = testsupport::TempDir();
    const QString chosen = dir->filePath(QStringLiteral("bail"));
    TExportMenu::SetFileDialogHook([&](QFileDialog &d) {
        EXPECT_EQ(d.nameFilters().size(), 3);
        d.selectNameFilter(d.nameFilters()[1]);
        d.selectFile(chosen);
        return true;
    });
    QUrl opened;
    TExportMenu::SetOpenHook([&](const QUrl &url) {
        opened = url;
        return true;
    });
    menu->ExportOpenAction()->trigger();
    TExportMenu::SetFileDialogHook({});
    TExportMenu::SetOpenHook({});
    EXPECT_TRUE(QFileInfo(chosen + QStringLiteral(".xlsx")).size() > 1000);
    EXPECT_EQ(opened, QUrl::fromLocalFile(chosen + QStringLiteral(".xlsx")));
    EXPECT_FALSE(w.ApplicationHint().isEmpty()); // the progress went through the window

    // A target that cannot be written: a box naming it, nothing opened.
    QStringList boxes;
    ui::SetMessageBoxHook([&](QMessageBox &box) {
        boxes << box.text();
        return QMessageBox::Ok;
    });
    opened.clear();
    EXPECT_FALSE(menu->ExportFile(dir->filePath(QStringLiteral("none/bail.doc")), 0, true));
    ui::SetMessageBoxHook({});
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].contains(QStringLiteral("none/bail.docx"))) << boxes[0].toStdString();
    EXPECT_TRUE(opened.isEmpty());
}
