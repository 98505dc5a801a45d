// Bound widgets driven by real key and mouse events on demo tables: masked and dotted
// edits, Oui/Non groups, the navigator, the grid, combo boxes and month lists.

#include "DatasetTestUtil.h"
#include "dataset/Common.h"
#include "dataset/DBCheckBox.h"
#include "dataset/DBComboBox.h"
#include "dataset/DBEdit.h"
#include "dataset/DBGrid.h"
#include "dataset/DBNavigator.h"
#include "dataset/DBRadioGroup.h"
#include "dataset/DataSource.h"
#include "dataset/Field.h"
#include "dataset/MonthList.h"
#include "dataset/Table.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using dataset::TDataSetState;
using dataset::TDataSource;
using dataset::TNavigateBtn;
using dataset::TTable;
using dstest::TDemoFolder;

namespace {

constexpr const char *kPostalMask = ">l9l\\ 9l9;1; ";
constexpr const char *kPhoneMask = "!\\(999\\)\\ 999-9999;0; ";

// A window holding bound controls over one open lease table.
class Widgets : public ::testing::Test {
protected:
    void SetUp() override
    {
        dataset::SetWorkingLanguage(QLatin1Char('F'));
        m_folder = std::make_unique<TDemoFolder>(40, 4);
        m_table = m_folder->Table(db::kBailStd, QStringLiteral("BAILAHCOOP"));
        m_table->Open();
        m_source = std::make_unique<TDataSource>();
        m_source->SetDataSet(m_table.get());
        m_window = std::make_unique<QWidget>();
        m_window->resize(640, 480);
        new QVBoxLayout(m_window.get());
    }
    void TearDown() override
    {
        m_window.reset();
        m_source.reset();
        m_table.reset();
    }

    template <typename W>
    W *Add(const char *field)
    {
        auto *w = new W(m_window.get());
        m_window->layout()->addWidget(w);
        w->SetDataSource(m_source.get());
        if constexpr (requires { w->SetDataField(QString()); })
            w->SetDataField(QLatin1String(field));
        return w;
    }

    // Shows the window and makes it active so focus moves as on screen.
    void Show()
    {
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }

    // The value of a field as stored in the file for the current row.
    QString Stored(const char *field)
    {
        auto raw = m_folder->Engine(db::kBailStd);
        dbase::Record r = raw->NewRecord();
        EXPECT_TRUE(raw->ReadRecord(m_table->RecNo(), r));
        return r.AsString(QLatin1String(field));
    }

    // Empties a masked edit as a user would: select everything, then erase it.
    static void Erase(QLineEdit &edit)
    {
        edit.setFocus();
        QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QTest::keyClick(&edit, Qt::Key_Home);
    }

    std::unique_ptr<TDemoFolder> m_folder;
    std::unique_ptr<TTable> m_table;
    std::unique_ptr<TDataSource> m_source;
    std::unique_ptr<QWidget> m_window;
};

} // namespace

TEST_F(Widgets, PostalCodeIsUpperCasedAndStoredWithItsBlank)
{
    m_table->FieldByName(QStringLiteral("A_CP1"))->SetEditMask(QLatin1String(kPostalMask));
    auto *edit = Add<dataset::TDBEdit>("A_CP1");
    Show();
    ASSERT_EQ(m_table->State(), TDataSetState::Browse);

    Erase(*edit);
    // Typing into a row in browse state puts it in edit state.
    EXPECT_EQ(m_table->State(), TDataSetState::Edit);
    QTest::keyClicks(edit, QStringLiteral("h2x1y4"));
    EXPECT_EQ(edit->displayText(), QStringLiteral("H2X 1Y4"));
    EXPECT_EQ(edit->Value(), QStringLiteral("H2X 1Y4"));

    m_table->Post();
    EXPECT_EQ(m_table->FieldByName(QStringLiteral("A_CP1"))->AsString(), QStringLiteral("H2X 1Y4"));
    EXPECT_EQ(Stored("A_CP1"), QStringLiteral("H2X 1Y4"));
}

TEST_F(Widgets, PostalCodeRefusesADigitWhereALetterGoes)
{
    m_table->FieldByName(QStringLiteral("A_CP1"))->SetEditMask(QLatin1String(kPostalMask));
    auto *edit = Add<dataset::TDBEdit>("A_CP1");
    Show();
    Erase(*edit);
    QTest::keyClicks(edit, QStringLiteral("22x1y4"));
    EXPECT_FALSE(edit->displayText().startsWith(QLatin1Char('2')));
}

TEST_F(Widgets, TelephoneStoresTenDigitsAndShowsItsLiterals)
{
    m_table->FieldByName(QStringLiteral("A_TELDOM1"))->SetEditMask(QLatin1String(kPhoneMask));
    auto *edit = Add<dataset::TDBEdit>("A_TELDOM1");
    Show();
    Erase(*edit);
    QTest::keyClicks(edit, QStringLiteral("5145551234"));
    EXPECT_EQ(edit->displayText(), QStringLiteral("(514) 555-1234"));
    m_table->Post();
    EXPECT_EQ(Stored("A_TELDOM1"), QStringLiteral("5145551234"));

    // Coming back to the row shows the stored digits laid out again.
    m_table->Next();
    m_table->Prior();
    EXPECT_EQ(edit->displayText(), QStringLiteral("(514) 555-1234"));
}

TEST_F(Widgets, DottedFieldShowsItsWidthInDotsAndRefusesMore)
{
    dataset::TField *f = m_table->FieldByName(QStringLiteral("A_CP2"));
    ASSERT_EQ(f->Size(), 7);
    f->SetEditMask(dataset::TEditMask::Dotted(QString(), 7));
    auto *edit = Add<dataset::TDBEdit>("A_CP2");
    Show();
    m_table->Append();
    ASSERT_TRUE(f->IsNull());

    const QChar dot = f->Mask().QtBlank();
    EXPECT_EQ(edit->displayText(), QString(7, dot));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClicks(edit, QStringLiteral("abc.efgh"));
    EXPECT_EQ(edit->displayText(), QStringLiteral("abc.efg"));
    EXPECT_EQ(edit->Value(), QStringLiteral("abc.efg"));
    edit->UpdateRecord();
    EXPECT_EQ(f->AsString(), QStringLiteral("abc.efg"));

    // A space typed between words stays a space when the row is shown again.
    m_table->Cancel();
    m_table->Append();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClicks(edit, QStringLiteral("a b"));
    m_table->Post();
    EXPECT_EQ(f->AsString(), QStringLiteral("a b"));
    const uint32_t recno = m_table->RecNo();
    m_table->Last();
    ASSERT_NE(m_table->RecNo(), recno);
    ASSERT_TRUE(m_table->SetRecNo(recno));
    EXPECT_EQ(edit->displayText(), QStringLiteral("a b") + QString(4, dot));

    // A shorter text keeps its dots after it and stores no trailing blank.
    m_table->Cancel();
    m_table->Append();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClicks(edit, QStringLiteral("ab"));
    EXPECT_EQ(edit->displayText(), QStringLiteral("ab") + QString(5, dot));
    edit->UpdateRecord();
    EXPECT_EQ(f->AsString(), QStringLiteral("ab"));
}

TEST_F(Widgets, OuiNonGroupGoesFromEmptyToBothChoicesAndBack)
{
    auto *group = Add<dataset::TDBRadioGroup>("A_MEMCOOP1");
    Show();
    m_table->Append();
    dataset::TField *f = m_table->FieldByName(QStringLiteral("A_MEMCOOP1"));
    ASSERT_TRUE(f->IsNull());
    EXPECT_EQ(group->ItemIndex(), -1);
    EXPECT_EQ(group->Items(), (QStringList{QStringLiteral("Oui"), QStringLiteral("Non")}));

    QTest::mouseClick(group->Button(0), Qt::LeftButton);
    EXPECT_EQ(group->ItemIndex(), 0);
    EXPECT_TRUE(f->AsBoolean());
    QTest::mouseClick(group->Button(1), Qt::LeftButton);
    EXPECT_EQ(group->ItemIndex(), 1);
    EXPECT_FALSE(f->IsNull());
    EXPECT_FALSE(f->AsBoolean());
    // Clicking the chosen button again keeps the choice.
    QTest::mouseClick(group->Button(1), Qt::LeftButton);
    EXPECT_EQ(group->ItemIndex(), 1);

    // The rules of the windows empty the field: no button stays chosen.
    f->Clear();
    EXPECT_EQ(group->ItemIndex(), -1);
    EXPECT_FALSE(group->Button(0)->isChecked());
    EXPECT_FALSE(group->Button(1)->isChecked());
    m_table->Post();
    EXPECT_TRUE(f->IsNull());
    EXPECT_EQ(group->ItemIndex(), -1);
}

TEST_F(Widgets, OuiNonGroupClickInBrowseStateEditsTheRow)
{
    auto *group = Add<dataset::TDBRadioGroup>("A_MEMCOOP1");
    Show();
    const bool before = m_table->FieldByName(QStringLiteral("A_MEMCOOP1"))->AsBoolean();
    QTest::mouseClick(group->Button(before ? 1 : 0), Qt::LeftButton);
    EXPECT_EQ(m_table->State(), TDataSetState::Edit);
    EXPECT_EQ(m_table->FieldByName(QStringLiteral("A_MEMCOOP1"))->AsBoolean(), !before);
}

TEST_F(Widgets, NavigatorButtonsFollowTheState)
{
    auto *nav = Add<dataset::TDBNavigator>(nullptr);
    auto *edit = Add<dataset::TDBEdit>("A_NOM1");
    Show();
    auto on = [nav](TNavigateBtn b) { return nav->Button(b)->isEnabled(); };

    m_table->First();
    EXPECT_FALSE(on(TNavigateBtn::First));
    EXPECT_FALSE(on(TNavigateBtn::Prior));
    EXPECT_TRUE(on(TNavigateBtn::Next));
    EXPECT_TRUE(on(TNavigateBtn::Last));
    EXPECT_TRUE(on(TNavigateBtn::Insert));
    EXPECT_TRUE(on(TNavigateBtn::Delete));
    EXPECT_TRUE(on(TNavigateBtn::Edit));
    EXPECT_FALSE(on(TNavigateBtn::Post));
    EXPECT_FALSE(on(TNavigateBtn::Cancel));

    QTest::mouseClick(nav->Button(TNavigateBtn::Last), Qt::LeftButton);
    EXPECT_TRUE(on(TNavigateBtn::First));
    EXPECT_FALSE(on(TNavigateBtn::Next));
    EXPECT_FALSE(on(TNavigateBtn::Last));

    // Typing edits the row: accept and abandon light up, modify goes out.
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClicks(edit, QStringLiteral("x"));
    EXPECT_EQ(m_table->State(), TDataSetState::Edit);
    EXPECT_TRUE(on(TNavigateBtn::Post));
    EXPECT_TRUE(on(TNavigateBtn::Cancel));
    EXPECT_FALSE(on(TNavigateBtn::Edit));

    QTest::mouseClick(nav->Button(TNavigateBtn::Cancel), Qt::LeftButton);
    EXPECT_EQ(m_table->State(), TDataSetState::Browse);
    EXPECT_FALSE(on(TNavigateBtn::Post));
    EXPECT_TRUE(on(TNavigateBtn::Edit));
    EXPECT_FALSE(edit->text().endsWith(QLatin1Char('x')));

    // A read-only table offers no change at all.
    m_table->Close();
    EXPECT_FALSE(on(TNavigateBtn::First));
    EXPECT_FALSE(on(TNavigateBtn::Refresh));
    m_table->SetReadOnly(true);
    m_table->Open();
    EXPECT_TRUE(on(TNavigateBtn::Refresh));
    EXPECT_FALSE(on(TNavigateBtn::Insert));
    EXPECT_FALSE(on(TNavigateBtn::Delete));
    EXPECT_FALSE(on(TNavigateBtn::Edit));
}

TEST_F(Widgets, NavigatorInsertOnAnEmptyTableAndDeleteOfTheLastRow)
{
    auto empty = TDemoFolder::Empty();
    auto table = empty->Table(db::kBailStd);
    table->Open();
    TDataSource source;
    source.SetDataSet(table.get());
    dataset::TDBNavigator nav;
    nav.SetDataSource(&source);
    EXPECT_FALSE(nav.Button(TNavigateBtn::Delete)->isEnabled());
    EXPECT_TRUE(nav.Button(TNavigateBtn::Insert)->isEnabled());
    nav.BtnClick(TNavigateBtn::Insert);
    EXPECT_EQ(table->State(), TDataSetState::Insert);
    table->FieldByName(QStringLiteral("A_NOM1"))->SetAsString(QStringLiteral("Tremblay"));
    nav.BtnClick(TNavigateBtn::Post);
    EXPECT_FALSE(table->IsEmpty());
    EXPECT_TRUE(nav.Button(TNavigateBtn::Delete)->isEnabled());
    nav.BtnClick(TNavigateBtn::Delete);
    EXPECT_TRUE(table->IsEmpty());
    EXPECT_FALSE(nav.Button(TNavigateBtn::Delete)->isEnabled());
}

TEST_F(Widgets, GridCurrentRowFollowsTheCursorAndClicksMoveIt)
{
    auto *grid = Add<dataset::TDBGrid>(nullptr);
    grid->SetColumns({{QStringLiteral("BAILAHCOOP"), QStringLiteral("Bail"), 12},
                      {QStringLiteral("A_NOM1"), QString(), 30}});
    Show();
    ASSERT_EQ(grid->RowCount(), 40);
    EXPECT_EQ(grid->Column(1).title, QStringLiteral("A_NOM1"));
    EXPECT_EQ(grid->horizontalHeader()->sectionSize(0), 12 * grid->fontMetrics().averageCharWidth() + 10);

    m_table->First();
    EXPECT_EQ(grid->CurrentRow(), 0);
    m_table->MoveBy(5);
    EXPECT_EQ(grid->CurrentRow(), 5);
    EXPECT_EQ(grid->currentIndex().row(), 5);
    EXPECT_EQ(grid->RowTexts(5).value(0), m_table->FieldByName(QStringLiteral("BAILAHCOOP"))->AsString());
    // Whole rows are selected.
    EXPECT_TRUE(grid->selectionModel()->isRowSelected(5, QModelIndex()));

    // A click on another row makes it the cursor's row.
    const QRect cell = grid->visualRect(grid->model()->index(2, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(m_table->RecNo(), grid->RowRecno(2));
    EXPECT_EQ(grid->CurrentRow(), 2);

    int doubleClicks = 0;
    grid->OnDblClick = [&](dataset::TDBGrid &) { ++doubleClicks; };
    const QRect other = grid->visualRect(grid->model()->index(3, 0));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, other.center());
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_EQ(m_table->RecNo(), grid->RowRecno(3));

    // Rows follow the order: the grid reads them in key order.
    for (int r = 1; r < grid->RowCount(); ++r)
        EXPECT_LT(grid->RowTexts(r - 1).value(0), grid->RowTexts(r).value(0));
}

TEST_F(Widgets, GridShowsEditsOfTheCurrentRowAndNewRowsAfterPost)
{
    auto *grid = Add<dataset::TDBGrid>(nullptr);
    grid->SetColumns({{QStringLiteral("A_NOM1"), QStringLiteral("Nom"), 30}});
    Show();
    m_table->Edit();
    m_table->FieldByName(QStringLiteral("A_NOM1"))->SetAsString(QStringLiteral("Gagnon"));
    EXPECT_EQ(grid->RowTexts(grid->CurrentRow()).value(0), QStringLiteral("Gagnon"));
    m_table->Post();
    EXPECT_EQ(grid->RowTexts(grid->CurrentRow()).value(0), QStringLiteral("Gagnon"));

    const int rows = grid->RowCount();
    m_table->Append();
    m_table->FieldByName(QStringLiteral("BAILAHCOOP"))->SetAsString(QStringLiteral("ZZ99999999"));
    m_table->Post();
    EXPECT_EQ(grid->RowCount(), rows + 1);
    EXPECT_EQ(grid->CurrentRow(), rows); // last in key order
}

TEST_F(Widgets, GridReadsOnlyTheRowsItShows)
{
    auto big = std::make_unique<TDemoFolder>(1500, 4);
    auto table = big->Table(db::kBailStd, QStringLiteral("BAILAHCOOP"));
    table->Open();
    TDataSource source;
    source.SetDataSet(table.get());
    dataset::TDBGrid grid;
    grid.resize(400, 300);
    grid.SetDataSource(&source);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    grid.grab();
    EXPECT_EQ(grid.RowCount(), 1500);
    EXPECT_LT(grid.RowsRead(), 60);
    // Scrolling to the end reads the last page, not the rows in between.
    table->Last();
    grid.grab();
    EXPECT_EQ(grid.CurrentRow(), 1499);
    EXPECT_LT(grid.RowsRead(), 120);
}

TEST_F(Widgets, GridFollowsARangeAndAClosedTable)
{
    auto *grid = Add<dataset::TDBGrid>(nullptr);
    Show();
    EXPECT_EQ(grid->RowCount(), 40);
    m_table->SetRange(QStringLiteral("ON"), QStringLiteral("ON\xff"));
    const int inRange = grid->RowCount();
    EXPECT_GT(inRange, 0);
    EXPECT_LT(inRange, 40);
    for (int r = 0; r < inRange; ++r)
        EXPECT_TRUE(grid->RowTexts(r).join(QString()).contains(QLatin1String("ON")));
    m_table->Close();
    EXPECT_EQ(grid->RowCount(), 0);
    EXPECT_EQ(grid->CurrentRow(), -1);
}

TEST_F(Widgets, ComboStoresTheChosenText)
{
    auto *combo = Add<dataset::TDBComboBox>("B_MUNIC");
    combo->SetStyle(dataset::TComboStyle::DropDownList);
    combo->SetItems({QStringLiteral("Laval"), QStringLiteral("Montréal"), QStringLiteral("Québec")});
    Show();
    m_table->Edit();
    m_table->FieldByName(QStringLiteral("B_MUNIC"))->SetAsString(QStringLiteral("Laval"));
    m_table->Post();
    EXPECT_EQ(combo->currentIndex(), 0);

    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(m_table->State(), TDataSetState::Edit);
    EXPECT_EQ(m_table->FieldByName(QStringLiteral("B_MUNIC"))->AsString(), QStringLiteral("Montréal"));
    m_table->Post();
    EXPECT_EQ(Stored("B_MUNIC"), QStringLiteral("Montréal"));

    // A value outside the list shows no choice.
    m_table->Edit();
    m_table->FieldByName(QStringLiteral("B_MUNIC"))->SetAsString(QStringLiteral("Gatineau"));
    EXPECT_EQ(combo->currentIndex(), -1);
    m_table->Cancel();
    EXPECT_EQ(combo->currentIndex(), 1);
}

TEST_F(Widgets, EditableComboStoresTypedTextWithinTheFieldSize)
{
    auto *combo = Add<dataset::TDBComboBox>("B_APP");
    combo->SetItems({QStringLiteral("101"), QStringLiteral("202")});
    Show();
    const int size = m_table->FieldByName(QStringLiteral("B_APP"))->Size();
    combo->setFocus();
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo, QStringLiteral("A-1234567"));
    EXPECT_EQ(m_table->State(), TDataSetState::Edit);
    EXPECT_EQ(combo->currentText(), QStringLiteral("A-1234567").left(size));
    m_table->Post();
    EXPECT_EQ(Stored("B_APP"), QStringLiteral("A-1234567").left(size));
    EXPECT_EQ(combo->count(), 2); // typing adds no item
}

TEST_F(Widgets, CheckBoxTicksTheFieldAndFollowsRows)
{
    auto *box = Add<dataset::TDBCheckBox>("B_MEUBLE");
    Show();
    dataset::TField *f = m_table->FieldByName(QStringLiteral("B_MEUBLE"));
    const bool before = f->AsBoolean();
    EXPECT_EQ(box->isChecked(), before);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(m_table->State(), TDataSetState::Edit);
    EXPECT_EQ(f->AsBoolean(), !before);
    EXPECT_EQ(box->isChecked(), !before);
    m_table->Cancel();
    EXPECT_EQ(box->isChecked(), before);
}

TEST(MonthList, NamesInBothLanguagesWithABlankFirst)
{
    dataset::TMonthComboBox combo;
    combo.Fill(QLatin1Char('F'));
    ASSERT_EQ(combo.count(), 13);
    EXPECT_EQ(combo.itemText(0), QStringLiteral("       "));
    EXPECT_EQ(combo.itemText(2), QStringLiteral("février"));
    EXPECT_EQ(combo.itemText(8), QStringLiteral("août"));
    EXPECT_EQ(combo.itemText(12), QStringLiteral("décembre"));
    EXPECT_FALSE(combo.isEditable());
    combo.SetMonth(8);
    combo.Fill(QLatin1Char('E'));
    EXPECT_EQ(combo.Month(), 0); // refilling loses the choice
    EXPECT_EQ(combo.itemText(1), QStringLiteral("January"));
    EXPECT_EQ(combo.itemText(12), QStringLiteral("December"));
    combo.SetMonth(13);
    EXPECT_EQ(combo.Month(), 0);
}

TEST(MonthList, SplitAndJoinDateParts)
{
    const dataset::TDateParts p = dataset::SplitDateText(QStringLiteral("2024/03/05"));
    EXPECT_EQ(p.day, QStringLiteral("05"));
    EXPECT_EQ(p.month, 3);
    EXPECT_EQ(p.year, QStringLiteral("2024"));
    EXPECT_EQ(dataset::JoinDateParts(p), QStringLiteral("2024/3/05"));
    EXPECT_EQ(dataset::DateTextOfParts(p), QStringLiteral("2024/03/05"));

    const dataset::TDateParts none = dataset::SplitDateText(QString());
    EXPECT_TRUE(dataset::PartsEmpty(none));
    EXPECT_TRUE(dataset::PartsEmpty(dataset::SplitDateText(QStringLiteral("2024/13/01"))));

    EXPECT_EQ(dataset::DateTextOfParts({QStringLiteral("29"), 2, QStringLiteral("2024")}), QStringLiteral("2024/02/29"));
    EXPECT_EQ(dataset::DateTextOfParts({QStringLiteral("29"), 2, QStringLiteral("2023")}), QString());
    EXPECT_EQ(dataset::DateTextOfParts({QStringLiteral("31"), 4, QStringLiteral("2024")}), QString());
    EXPECT_EQ(dataset::DateTextOfParts({QStringLiteral("1"), 0, QStringLiteral("2024")}), QString());
    EXPECT_EQ(dataset::DateTextOfParts({QStringLiteral("1"), 5, QStringLiteral("24")}), QString());
    EXPECT_FALSE(dataset::PartsEmpty({QString(), 4, QString()}));
}

TEST_F(Widgets, ChoosingAMonthEditsTheRow)
{
    auto *combo = new dataset::TMonthComboBox(m_window.get());
    combo->SetDataSource(m_source.get());
    int chosen = -1;
    QObject::connect(combo, &dataset::TMonthComboBox::MonthChosen, [&](int m) { chosen = m; });
    Show();
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(m_table->State(), TDataSetState::Edit);
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(combo->Month(), 1);
}

TEST_F(Widgets, BoundEditFollowsItsFieldsAlignmentAndRefusesTypingWhenReadOnly)
{
    m_table->FieldByName(QStringLiteral("A_TELDOM1"))->SetAlignment(Qt::AlignRight);
    auto *right = Add<dataset::TDBEdit>("A_TELDOM1");
    auto *name = Add<dataset::TDBEdit>("A_NOM1");
    Show();
    EXPECT_TRUE(right->alignment() & Qt::AlignRight);
    EXPECT_FALSE(name->alignment() & Qt::AlignRight);
    const QString before = name->text();
    const QColor writable = name->palette().color(QPalette::Base);

    // A read-only edit keeps its text and leaves the row in browse state; it does not look
    // like a field to type in.
    name->SetReadOnly(true);
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("xyz"));
    EXPECT_EQ(name->text(), before);
    EXPECT_EQ(m_table->State(), TDataSetState::Browse);
    EXPECT_NE(name->palette().color(QPalette::Base), writable);

    // A table opened read-only makes every bound edit read-only.
    m_table->Close();
    m_table->SetReadOnly(true);
    m_table->Open();
    right->setFocus();
    const QString shown = right->text();
    QTest::keyClicks(right, QStringLiteral("9"));
    EXPECT_EQ(right->text(), shown);
    EXPECT_EQ(m_table->State(), TDataSetState::Browse);
}
