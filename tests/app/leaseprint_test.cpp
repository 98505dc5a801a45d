// The print commands of the toolbar on the lease a window shows, as a user reaches them: the
// real main window, its lease window opened from the menu, the preview button.

#include "AppTestUtil.h"

#include "app/Main.h"
#include "dataset/DBNavigator.h"
#include "dataset/Field.h"
#include "dataset/Table.h"
#include "db/Demo.h"
#include "entry/Bailstd.h"
#include "forms/PrintCommand.h"
#include "printout/Metafile.h"
#include "printout/Player.h"
#include "preview/Preview.h"
#include "preview/ExportMenu.h"
#include "printout/Printout.h"
#include "ui/KelSpeedButton.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>

using namespace apptest;
using dataset::TNavigateBtn;

namespace {

class LeasePreview : public ::testing::Test {
protected:
    void SetUp() override
    {
        db::InitSettings();
        m_dir = testsupport::TempDir();
        db::MakeDemoFolder(m_dir->path(), 24, 3);
        m_cwd = std::make_unique<TCurrentDir>(m_dir->path());
        m_form = std::make_unique<app::TMainForm>();
        m_form->Start();
        m_form->show();
    }
    void TearDown() override
    {
        m_form.reset();
        Settle();
        m_cwd.reset();
        db::InitSettings();
    }
    entry::TBailStdForm *Window() const
    {
        QMdiSubWindow *sub = m_form->MdiArea()->activeSubWindow();
        return sub ? qobject_cast<entry::TBailStdForm *>(sub->widget()) : nullptr;
    }
    QString Current(const char *field) const
    {
        return Window()->BailStdTable().FieldByName(QLatin1String(field))->DisplayText().trimmed();
    }
    // Every text the preview's pages carry, one run a line.
    QString PreviewText()
    {
        ui::TKelSpeedButton *button = m_form->Button(QStringLiteral("SBPreview"));
        EXPECT_TRUE(button->isEnabled());
        button->click();
        Settle();
        preview::TFPrintPreview *preview = forms::CurrentLeasePreview();
        if (!preview || !preview->Current())
            return QString();
        QStringList lines;
        const printout::TPrintout &p = *preview->Current();
        for (int page = 1; page <= p.PageCount(); ++page)
            for (const auto &run : printout::TextRuns(*p.PageMetafile(page)))
                lines << run.text;
        preview->close();
        Settle();
        return lines.join(QLatin1Char('\n'));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TCurrentDir> m_cwd;
    std::unique_ptr<app::TMainForm> m_form;
};

} // namespace

// After Last (the state a lease window opens in) the cursor reads Eof while its row is current:
// the preview must still carry that lease, as after any other move.
TEST_F(LeasePreview, PreviewShowsTheLeaseTheWindowShowsAfterEveryMove)
{
    TBoxRecorder boxes;
    m_form->Item(QStringLiteral("IDM_BailLogementlStd"))->trigger();
    Settle();
    ASSERT_NE(Window(), nullptr);
    ASSERT_TRUE(Window()->BailStdTable().Eof()); // opened on its last lease
    auto navigate = [this](TNavigateBtn b) {
        return [this, b] { QTest::mouseClick(m_form->Navigator().Button(b), Qt::LeftButton); };
    };
    auto typeInto = [this](const char *name, const QString &text) {
        auto *edit = Window()->findChild<QLineEdit *>(QLatin1String(name));
        ASSERT_NE(edit, nullptr) << name;
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    };
    const std::pair<const char *, std::function<void()>> steps[] = {
        {"as opened", [] {}},
        {"First", navigate(TNavigateBtn::First)},
        {"Next", navigate(TNavigateBtn::Next)},
        {"Prior", navigate(TNavigateBtn::Prior)},
        {"Last", navigate(TNavigateBtn::Last)},
        {"Insert+Post",
         [&] {
             navigate(TNavigateBtn::Insert)();
             typeInto("E_A_Nom1", QStringLiteral("Berube-Nouveau"));
             typeInto("E_B_Rue", QStringLiteral("rue des Erables"));
             navigate(TNavigateBtn::Post)();
         }},
        {"Copy", [this] { m_form->Button(QStringLiteral("SBCopy"))->click(); }},
    };
    for (const auto &[name, step] : steps) {
        step();
        Settle();
        ASSERT_EQ(Window()->BailStdTable().State(), dataset::TDataSetState::Browse) << name;
        const QString text = PreviewText();
        for (const char *field : {"NOBAIL", "A_NOM1", "B_RUE", "D_LOYER"}) {
            const QString value = Current(field);
            if (field == std::string_view("NOBAIL") || field == std::string_view("A_NOM1")) {
                ASSERT_FALSE(value.isEmpty()) << name << ' ' << field;
            }
            if (!value.isEmpty()) {
                EXPECT_TRUE(text.contains(value)) << name << ": " << field << " '" << value.toStdString() << "'";
            }
        }
    }
}

// Inside the main window the preview's own keys win over its sub-window's: Ctrl+W drops the
// export menu and closes nothing.
TEST_F(LeasePreview, CtrlWInThePreviewOpensTheExportMenuAndClosesNothing)
{
    m_form->Item(QStringLiteral("IDM_BailLogementlStd"))->trigger();
    Settle();
    ASSERT_NE(Window(), nullptr);
    m_form->Button(QStringLiteral("SBPreview"))->click();
    Settle();
    QPointer<preview::TFPrintPreview> preview = forms::CurrentLeasePreview();
    ASSERT_TRUE(preview);
    ASSERT_NE(qobject_cast<QMdiSubWindow *>(preview->parentWidget()), nullptr); // in the MDI area
    const int windows = int(m_form->MdiArea()->subWindowList().size());
    preview->activateWindow();
    preview->setFocus();
    Settle();
    QWidget *focus = QApplication::focusWidget() ? QApplication::focusWidget() : preview.data();
    QTest::keyClick(focus, Qt::Key_W, Qt::ControlModifier);
    Settle();
    ASSERT_TRUE(preview);
    EXPECT_EQ(int(m_form->MdiArea()->subWindowList().size()), windows);
    EXPECT_TRUE(preview->ExportMenu()->Menu()->isVisible());
    preview->ExportMenu()->Menu()->close();
    preview->close();
    Settle();
}
