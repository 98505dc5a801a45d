// The lease search of the main window: which lease window shows the lease chosen.

#include "AppTestUtil.h"

#include "app/Findbail.h"
#include "app/Main.h"
#include "db/BailKey.h"
#include "db/Demo.h"
#include "dataset/Field.h"
#include "dataset/Table.h"
#include "entry/Bailstd.h"
#include "ui/KelSpeedButton.h"

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QMdiSubWindow>
#include <gtest/gtest.h>

#include <map>

using namespace apptest;

namespace {

class SearchWindows : public ::testing::Test {
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
        // The last lease of each kind, as the search would give it.
        dataset::TTable t;
        t.SetTableName(db::TableFile(m_dir->path(), db::kBailStd, "dbf"));
        t.SetIndexName(QStringLiteral("BAILAHCOOP"));
        t.Open();
        for (t.First(); !t.Eof(); t.Next()) {
            const QString key = t.FieldByName(QStringLiteral("BAILAHCOOP"))->AsString();
            m_keys[key.left(2)].push_back(key);
        }
        ASSERT_GE(m_keys[QStringLiteral("NN")].size(), 2u);
        ASSERT_GE(m_keys[QStringLiteral("ON")].size(), 2u);
    }
    void TearDown() override
    {
        db::SetLeaseSearchHook({});
        m_form.reset();
        Settle();
        m_cwd.reset();
        db::InitSettings();
    }
    // Runs the search button as if the user had chosen key.
    void Choose(const QString &key)
    {
        db::SetLeaseSearchHook([key](QObject *) { return key; });
        m_form->Button(QStringLiteral("SpB_FindBail"))->click();
        Settle();
    }
    entry::TBailStdForm *Active() const
    {
        QMdiSubWindow *sub = m_form->MdiArea()->activeSubWindow();
        return sub ? qobject_cast<entry::TBailStdForm *>(sub->widget()) : nullptr;
    }
    QString ActiveKey() const
    {
        return Active()->BailStdTable().FieldByName(QStringLiteral("BAILAHCOOP"))->AsString();
    }
    int Windows() const { return int(m_form->MdiArea()->subWindowList().size()); }
    // The search button, and in the real dialog the row of key selected with its button.
    void ChooseInDialog(const QString &key)
    {
        app::InstallLeaseSearch();
        QTimer::singleShot(0, [key] {
            auto *d = qobject_cast<app::TFindBailDlg *>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            dataset::TTable &t = d->LeaseTable();
            for (t.First(); !t.Eof() && t.FieldByName(QStringLiteral("BAILAHCOOP"))->AsString() != key; t.Next()) {
            }
            QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("Pb_Select")), Qt::LeftButton);
        });
        m_form->Button(QStringLiteral("SpB_FindBail"))->click();
        Settle();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TCurrentDir> m_cwd;
    std::unique_ptr<app::TMainForm> m_form;
    std::map<QString, std::vector<QString>> m_keys;
};

} // namespace

TEST_F(SearchWindows, ALeaseOpensInAWindowOfItsKindOrInTheActiveOne)
{
    ASSERT_TRUE(m_form->Button(QStringLiteral("SpB_FindBail"))->isEnabled());
    const QString nn = m_keys[QStringLiteral("NN")].front();
    const QString on1 = m_keys[QStringLiteral("ON")].front();
    const QString on2 = m_keys[QStringLiteral("ON")].back();

    Choose(QString()); // cancelled: nothing opens
    EXPECT_EQ(Windows(), 0);

    Choose(nn);
    ASSERT_EQ(Windows(), 1);
    ASSERT_NE(Active(), nullptr);
    EXPECT_FALSE(Active()->IsElderly());
    EXPECT_EQ(ActiveKey(), nn);

    // Another kind: a second window rather than the active regular one.
    Choose(on1);
    ASSERT_EQ(Windows(), 2);
    EXPECT_TRUE(Active()->IsElderly());
    EXPECT_EQ(ActiveKey(), on1);

    // The same kind: the active window moves.
    Choose(on2);
    EXPECT_EQ(Windows(), 2);
    EXPECT_EQ(ActiveKey(), on2);
}

TEST_F(SearchWindows, AVanishedLeaseLeavesANewWindowOnItsLastLease)
{
    const QString last = m_keys[QStringLiteral("NN")].back();
    Choose(db::LeaseKey(db::TLeaseKind::NN, QStringLiteral("77777777")));
    ASSERT_EQ(Windows(), 1);
    EXPECT_EQ(ActiveKey(), last);
}

TEST_F(SearchWindows, ACooperativeLeaseOpensACooperativeWindowOfItsKind)
{
    ASSERT_GE(m_keys[QStringLiteral("NO")].size(), 2u);
    ASSERT_FALSE(m_keys[QStringLiteral("OO")].empty());
    const QString nn = m_keys[QStringLiteral("NN")].front();
    const QString no1 = m_keys[QStringLiteral("NO")].front();
    const QString no2 = m_keys[QStringLiteral("NO")].back();
    const QString oo = m_keys[QStringLiteral("OO")].front();
    Choose(nn);
    ASSERT_EQ(Windows(), 1);

    Choose(no1);
    ASSERT_EQ(Windows(), 2);
    ASSERT_NE(Active(), nullptr);
    EXPECT_TRUE(Active()->IsCooperative());
    EXPECT_FALSE(Active()->IsElderly());
    EXPECT_EQ(Active()->windowTitle(), QStringLiteral("Bail d'un logement dans une coopérative"));
    EXPECT_EQ(ActiveKey(), no1);
    EXPECT_TRUE(m_form->Item(QStringLiteral("IDM_BailCourant"))->isEnabled());

    Choose(no2); // the cooperative window of that kind takes it
    EXPECT_EQ(Windows(), 2);
    EXPECT_EQ(ActiveKey(), no2);

    Choose(oo);
    ASSERT_EQ(Windows(), 3);
    EXPECT_TRUE(Active()->IsCooperative());
    EXPECT_TRUE(Active()->IsElderly());
    EXPECT_EQ(ActiveKey(), oo);

    // The hidden menu items still make their windows.
    m_form->Item(QStringLiteral("IDM_BailCoopStd"))->trigger();
    Settle();
    ASSERT_EQ(Windows(), 4);
    EXPECT_TRUE(Active()->IsCooperative());
    EXPECT_EQ(ActiveKey(), m_keys[QStringLiteral("NO")].back()); // a new window shows the last of its kind
}

// Through the real search dialog: the window a chosen lease opens in comes to the front,
// active, with the focus in it.
TEST_F(SearchWindows, TheWindowTheRealSearchOpensIsTheActiveOne)
{
    const QString nn = m_keys[QStringLiteral("NN")].front(), on = m_keys[QStringLiteral("ON")].front();
    ChooseInDialog(nn);
    ASSERT_EQ(Windows(), 1);
    ChooseInDialog(on);
    ASSERT_EQ(Windows(), 2);
    ASSERT_NE(Active(), nullptr);
    EXPECT_TRUE(Active()->IsElderly());
    EXPECT_EQ(ActiveKey(), on);
    QWidget *focus = QApplication::focusWidget();
    EXPECT_TRUE(focus && Active()->isAncestorOf(focus)) << (focus ? focus->objectName().toStdString() : "no focus");
    EXPECT_EQ(m_form->MdiArea()->subWindowList(QMdiArea::StackingOrder).last()->widget(), Active());
    db::SetLeaseSearchHook({});
}

// Unsaved edits are not saved by choosing another lease: the closing question comes first;
// Cancel stays on them, No drops them and goes.
TEST_F(SearchWindows, ChoosingALeaseAsksFirstAboutUnsavedEdits)
{
    const QString first = m_keys[QStringLiteral("NN")].front(), second = m_keys[QStringLiteral("NN")].back();
    ChooseInDialog(first);
    ASSERT_EQ(ActiveKey(), first);
    auto *name = Active()->findChild<QLineEdit *>(QStringLiteral("E_A_Nom1"));
    ASSERT_NE(name, nullptr);
    const QString stored = Active()->BailStdTable().FieldByName(QStringLiteral("A_NOM1"))->AsString();
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Nom-Tape"));
    ASSERT_EQ(Active()->BailStdTable().State(), dataset::TDataSetState::Edit);

    TBoxRecorder boxes;
    boxes.Answer(QMessageBox::Cancel);
    ChooseInDialog(second);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(ActiveKey(), first);
    EXPECT_EQ(Active()->BailStdTable().State(), dataset::TDataSetState::Edit);
    EXPECT_EQ(name->text(), QStringLiteral("Nom-Tape"));

    boxes.Answer(QMessageBox::No);
    ChooseInDialog(second);
    EXPECT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(ActiveKey(), second);
    dataset::TTable t;
    t.SetTableName(db::TableFile(m_dir->path(), db::kBailStd, "dbf"));
    t.SetIndexName(QStringLiteral("BAILAHCOOP"));
    t.Open();
    ASSERT_TRUE(t.FindKey(first));
    EXPECT_EQ(t.FieldByName(QStringLiteral("A_NOM1"))->AsString(), stored);
}
