#include "EntryTestUtil.h"
#include "dataset/Common.h"
#include "dataset/DBGrid.h"
#include "dataset/Field.h"
#include "dataset/Table.h"
#include "entry/Pickloc.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using entry::TPickLocDlg;
using entrytest::TDataFolder;
using Kind = entry::TPickLocDlg::TOwnerKind;

namespace {

// Lessors of a demo folder by name, first and another.
struct TLessors {
    long long firstNumber = 0;
    QString firstName;
    long long otherNumber = 0;
    QString otherName;
};

TLessors ReadLessors()
{
    dataset::TTable t;
    t.SetDatabaseName(QLatin1String(db::kDatabaseName));
    t.SetTableName(QStringLiteral("Locateur.dbf"));
    t.SetIndexFieldNames(QStringLiteral("NOM"));
    t.Open();
    TLessors l;
    l.firstNumber = t.FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger();
    l.firstName = t.FieldByName(QStringLiteral("NOM"))->AsString();
    t.Last();
    l.otherNumber = t.FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger();
    l.otherName = t.FieldByName(QStringLiteral("NOM"))->AsString();
    return l;
}

} // namespace

TEST(LessorPicker, StartsOnTheOwnersLessorShownInNameOrder)
{
    TDataFolder folder(0, 5);
    const TLessors l = ReadLessors();
    ASSERT_NE(l.firstNumber, l.otherNumber);

    TPickLocDlg found(nullptr, Kind::Lease, l.otherNumber);
    EXPECT_EQ(found.SelectedNumber(), l.otherNumber);
    EXPECT_EQ(found.LocateurTable().IndexFieldNames(), QLatin1String("NOM"));
    EXPECT_EQ(found.Grid()->CurrentRow(), found.Grid()->RowCount() - 1);
    EXPECT_TRUE(found.SelectButton()->isEnabled());

    // A number no lessor has: the first by name.
    TPickLocDlg missing(nullptr, Kind::Lease, 4321);
    EXPECT_EQ(missing.SelectedNumber(), l.firstNumber);
    EXPECT_EQ(missing.Grid()->CurrentRow(), 0);
}

TEST(LessorPicker, DoubleClickPicksTheRowClicked)
{
    TDataFolder folder(0, 5);
    const TLessors l = ReadLessors();
    TPickLocDlg dlg(nullptr, Kind::Lease, l.firstNumber);
    dlg.show();
    dataset::TDBGrid *grid = dlg.Grid();
    const int last = grid->RowCount() - 1;
    const QRect cell = grid->visualRect(grid->model()->index(last, 0));
    ASSERT_TRUE(cell.isValid());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.SelectedNumber(), l.otherNumber);
}

// Enter is the select button and Escape the cancel button while the list has the focus.
TEST(LessorPicker, EnterPicksTheCurrentLessorAndEscapeCancels)
{
    TDataFolder folder(0, 5);
    const TLessors l = ReadLessors();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        bool closedByKey = false;
        QTimer::singleShot(0, [&] {
            auto *dlg = qobject_cast<TPickLocDlg *>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            dataset::TDBGrid *grid = dlg->Grid();
            grid->setFocus();
            QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
            QTest::keyClick(grid, key);
            closedByKey = !dlg->isVisible();
            if (!closedByKey)
                dlg->done(QDialog::Rejected); // ends the run all the same
        });
        const std::optional<int> picked = TPickLocDlg::Pick(nullptr, Kind::Lease, l.firstNumber);
        ASSERT_TRUE(closedByKey) << key;
        if (key == Qt::Key_Return)
            EXPECT_EQ(picked, std::optional<int>(int(l.otherNumber)));
        else
            EXPECT_EQ(picked, std::nullopt);
    }
}

TEST(LessorPicker, EmptyTableCannotBePickedFrom)
{
    TDataFolder folder;
    TPickLocDlg dlg(nullptr, Kind::Lease, 1);
    dlg.show();
    EXPECT_FALSE(dlg.SelectButton()->isEnabled());
    QTest::mouseDClick(dlg.Grid()->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.SelectedNumber(), 0);
}

TEST(LessorPicker, CaptionsAndColumnsFollowTheLanguageAndTheOwner)
{
    TDataFolder folder(0, 2);
    {
        TPickLocDlg lease(nullptr, Kind::Lease, 1);
        EXPECT_EQ(lease.windowTitle(), QStringLiteral("Sélection du locateur"));
        TPickLocDlg config(nullptr, Kind::Configuration, 1);
        EXPECT_EQ(config.windowTitle(), QStringLiteral("Sélection du locateur par défaut"));
        EXPECT_EQ(config.Grid()->ColumnCount(), 10);
        EXPECT_EQ(config.Grid()->Column(0).title, QLatin1String("Nom"));
        EXPECT_EQ(config.Grid()->Column(0).width, 25);
        EXPECT_EQ(config.Grid()->Column(9).title, QStringLiteral("Téléphone autre"));
    }
    dataset::SetWorkingLanguage(QLatin1Char('A'));
    {
        TPickLocDlg lease(nullptr, Kind::Lease, 1);
        EXPECT_EQ(lease.windowTitle(), QLatin1String("Lessor selection"));
        EXPECT_EQ(lease.SelectButton()->text(), QLatin1String("&Select"));
        EXPECT_EQ(lease.CancelButton()->text(), QLatin1String("&Cancel"));
        TPickLocDlg config(nullptr, Kind::Configuration, 1);
        EXPECT_EQ(config.windowTitle(), QLatin1String("Default Lessor selection"));
        EXPECT_EQ(config.Grid()->Column(6).title, QLatin1String("Representative's Name"));
    }
    dataset::SetWorkingLanguage(QLatin1Char('F'));
}
