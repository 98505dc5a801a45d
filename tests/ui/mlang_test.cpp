// The translation component on real windows: word-list rows written into labels, buttons,
// lists, groups, grids, navigators, menus and status bars; fallback to the default
// language; rows naming nothing; the language range; the process-wide switch.

#include "UiTestUtil.h"
#include "dataset/DBGrid.h"
#include "dataset/DBNavigator.h"
#include "dataset/DBRadioGroup.h"
#include "dataset/Table.h"
#include "db/Demo.h"
#include "db/Schema.h"
#include "TestSupport.h"
#include "ui/MLang.h"
#include "ui/MessageBoxes.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QTreeWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

using ui::TMultiLang;

namespace {

// A window of named controls carrying a two-language component, French active.
struct TWindow {
    std::unique_ptr<QMainWindow> form = std::make_unique<QMainWindow>();
    TMultiLang *ml = nullptr;

    explicit TWindow(const QStringList &words)
    {
        uitest::App();
        form->setCentralWidget(new QWidget);
        ml = new TMultiLang(form.get());
        ml->SetDefaultEnabled(true);
        ml->SetWords(words);
    }

    template <typename W>
    W *Add(const char *name, const QString &text = QString())
    {
        auto *w = new W(form->centralWidget());
        w->setObjectName(QLatin1String(name));
        if constexpr (requires { w->setText(text); })
            w->setText(text);
        return w;
    }
};

// Message boxes are answered, not shown; the texts they would have shown are kept.
class MultiLang : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::App();
        ui::SetMessageBoxHook([this](QMessageBox &box) {
            m_boxes << box.text();
            m_icons.push_back(box.icon());
            m_buttons.push_back(box.standardButtons());
            return QMessageBox::Cancel;
        });
    }
    void TearDown() override
    {
        ui::SetMessageBoxHook({});
        TMultiLang::SetAllLanguages(0);
    }
    QStringList m_boxes;
    std::vector<QMessageBox::Icon> m_icons;
    std::vector<QMessageBox::StandardButtons> m_buttons;
};

} // namespace

TEST_F(MultiLang, EmptyEnglishTextsFallBackToFrench)
{
    TWindow w({"%Form%", "Bail", "Lease",
               "LblNom", "Nom du locataire", "",
               "pbok", "&Accepter", "&Accept",
               "ToolBar", "", ""});
    auto *name = w.Add<QLabel>("LblNom", QStringLiteral("?"));
    auto *ok = w.Add<QPushButton>("PbOk", QStringLiteral("?"));
    auto *bar = w.Add<QLabel>("ToolBar", QStringLiteral("design caption"));

    w.ml->SetActiveLanguage(1);
    EXPECT_EQ(w.ml->ActiveLanguage(), 1);
    EXPECT_EQ(w.form->windowTitle(), QStringLiteral("Lease"));
    EXPECT_EQ(name->text(), QStringLiteral("Nom du locataire"));
    EXPECT_EQ(ok->text(), QStringLiteral("&Accept")); // names match without regard to case
    EXPECT_EQ(bar->text(), QString());                // both empty: still written

    // Without the fallback the empty English text is written as it stands.
    w.ml->SetDefaultEnabled(false);
    EXPECT_EQ(name->text(), QString());
    w.ml->SetActiveLanguage(0);
    EXPECT_EQ(name->text(), QStringLiteral("Nom du locataire"));
    EXPECT_EQ(ok->text(), QStringLiteral("&Accepter"));
    EXPECT_EQ(w.form->windowTitle(), QStringLiteral("Bail"));
    EXPECT_TRUE(m_boxes.isEmpty());
}

TEST_F(MultiLang, RowsNamingNoComponentAreSkippedWithTheirHints)
{
    TWindow w({"SpeedButton1", "Ouvrir", "Open",
               "\".Hint", "Ouvrir un bail", "Open a lease",
               "\"", "perdu", "lost",
               "SBPrint", "", "",
               "\".hint", "Imprimer", "Print",
               "nothing at all", "x", "y",
               "LblFin", "Fin", "End"});
    auto *print = w.Add<QToolButton>("SBPrint", QStringLiteral("design"));
    auto *end = w.Add<QLabel>("LblFin", QStringLiteral("?"));
    auto *other = w.Add<QLabel>("LblAutre", QStringLiteral("untouched"));
    other->setToolTip(QStringLiteral("tip"));

    w.ml->SetActiveLanguage(1);
    EXPECT_EQ(print->text(), QString());
    EXPECT_EQ(print->toolTip(), QStringLiteral("Print"));
    EXPECT_EQ(end->text(), QStringLiteral("End"));
    EXPECT_EQ(other->text(), QStringLiteral("untouched"));
    EXPECT_EQ(other->toolTip(), QStringLiteral("tip"));
}

TEST_F(MultiLang, EmptyHintKeepsTheHintAndAComponentWithoutTextsStillTakesItsHint)
{
    TWindow w({"PbAide", "Aide", "Help",
               "\".Hint", "", "",
               "EdNom", "Nom", "Name",
               "\".Hint", "Le nom", "The name"});
    auto *help = w.Add<QPushButton>("PbAide");
    help->setToolTip(QStringLiteral("design hint"));
    // An editable edit is not translated by default, but its hint is.
    auto *edit = w.Add<QLineEdit>("EdNom", QStringLiteral("typed"));
    w.ml->SetActiveLanguage(1);
    EXPECT_EQ(help->text(), QStringLiteral("Help"));
    EXPECT_EQ(help->toolTip(), QStringLiteral("design hint"));
    EXPECT_EQ(edit->text(), QStringLiteral("typed"));
    EXPECT_EQ(edit->toolTip(), QStringLiteral("The name"));
}

TEST_F(MultiLang, EditsFollowTheTranslateEditsSetting)
{
    TWindow w({"EdLibre", "libre", "free", "EdFixe", "fixe", "fixed"});
    auto *free = w.Add<QLineEdit>("EdLibre", QStringLiteral("?"));
    auto *fixed = w.Add<QLineEdit>("EdFixe", QStringLiteral("?"));
    fixed->setReadOnly(true);
    w.ml->SetActiveLanguage(1);
    EXPECT_EQ(free->text(), QStringLiteral("?"));
    EXPECT_EQ(fixed->text(), QStringLiteral("fixed"));
    w.ml->SetTranslateEdits(ui::TTranslateEdits::teNever);
    w.ml->SetActiveLanguage(0);
    EXPECT_EQ(fixed->text(), QStringLiteral("fixed"));
    w.ml->SetTranslateEdits(ui::TTranslateEdits::teAlways);
    w.ml->SetActiveLanguage(0);
    EXPECT_EQ(free->text(), QStringLiteral("libre"));
    EXPECT_EQ(fixed->text(), QStringLiteral("fixe"));
}

TEST_F(MultiLang, ListLikeComponentsTakeContinuationRows)
{
    TWindow w({"Navig", "Premier", "First record",
               "\"", "Précédent", "Prior record",
               "\"", "Suivant", "Next record",
               "LbChoix", "un", "one",
               "\"", "deux", "two",
               "RgLangue", "Langue", "Language",
               "whatever", "Français", "French",
               "\"", "Anglais", "English",
               "\"", "trop", "too many",
               "Grille", "Bail", "Lease",
               "\"", "Nom", "Name",
               "CbMois", "aucun", "none",
               "\"", "janvier", "January",
               "Tabs", "Page 1", "Page one",
               "StatusBar1", "", "",
               "\"", "Prêt", "Ready",
               "IDM_Fermer", "&Fermer", "&Close",
               "\".Hint", "Fermer la fenêtre", "Close the window",
               "MnFichier", "&Fichier", "&File",
               "LblApres", "après", "after"});
    auto *nav = w.Add<dataset::TDBNavigator>("Navig");
    const QStringList navBefore = nav->Hints();
    auto *list = w.Add<QListWidget>("LbChoix");
    list->addItems({"a", "b", "c"});
    auto *group = w.Add<dataset::TDBRadioGroup>("RgLangue");
    auto *grid = w.Add<dataset::TDBGrid>("Grille");
    grid->SetColumns({{"BAILAHCOOP", "t0", 10}, {"A_NOM1", "t1", 20}, {"A_NO1", "t2", 6}});
    auto *combo = w.Add<QComboBox>("CbMois");
    combo->addItems({"-", "jan", "fév"});
    combo->setCurrentIndex(2);
    auto *tabs = w.Add<QTabWidget>("Tabs");
    tabs->addTab(new QWidget, "p1");
    tabs->addTab(new QWidget, "p2");
    auto *status = w.form->statusBar();
    status->setObjectName("StatusBar1");
    auto *panel0 = new QLabel("panel 0");
    auto *panel1 = new QLabel("panel 1");
    status->addWidget(panel0);
    status->addWidget(panel1);
    auto *menu = w.form->menuBar()->addMenu("menu");
    menu->setObjectName("MnFichier");
    QAction *close = menu->addAction("close");
    close->setObjectName("IDM_Fermer");
    auto *after = w.Add<QLabel>("LblApres");

    w.ml->SetActiveLanguage(1);
    QStringList hints = navBefore;
    hints[0] = "First record";
    hints[1] = "Prior record";
    hints[2] = "Next record";
    EXPECT_EQ(nav->Hints(), hints); // hints beyond the rows keep theirs
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), "one");
    EXPECT_EQ(list->item(1)->text(), "two");
    EXPECT_EQ(list->item(2)->text(), QString()); // no row: emptied
    EXPECT_EQ(group->title(), "Language");
    EXPECT_EQ(group->Items(), (QStringList{"French", "English"}));
    EXPECT_EQ(grid->Column(0).title, "Lease");
    EXPECT_EQ(grid->Column(1).title, "Name");
    EXPECT_EQ(grid->Column(2).title, "t2");
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), "Name");
    EXPECT_EQ(combo->itemText(0), "none");
    EXPECT_EQ(combo->itemText(1), "January");
    EXPECT_EQ(combo->itemText(2), QString());
    EXPECT_EQ(combo->currentIndex(), 2);
    EXPECT_EQ(tabs->tabText(0), "Page one");
    EXPECT_EQ(tabs->tabText(1), QString());
    EXPECT_EQ(panel0->text(), "Ready");
    EXPECT_EQ(panel1->text(), "panel 1");
    EXPECT_EQ(close->text(), "&Close");
    EXPECT_EQ(close->toolTip(), "Close the window");
    EXPECT_EQ(menu->title(), "&File");
    EXPECT_EQ(after->text(), "after");

    w.ml->SetActiveLanguage(0);
    EXPECT_EQ(group->Items(), (QStringList{"Français", "Anglais"}));
    EXPECT_EQ(close->text(), "&Fermer");
    EXPECT_EQ(nav->Hints().value(0), "Premier");
}

TEST_F(MultiLang, RadioGroupOfPlainButtonsAndAGroupWithNamedButtons)
{
    TWindow w({"GbChoix", "Choix", "Choice",
               "x", "Oui", "Yes",
               "\"", "Non", "No",
               "GbCadre", "Cadre", "Frame",
               "RbSeul", "Seul", "Alone"});
    auto *choice = w.Add<QGroupBox>("GbChoix");
    auto *yes = new QRadioButton("o", choice);
    auto *no = new QRadioButton("n", choice);
    auto *frame = w.Add<QGroupBox>("GbCadre");
    auto *alone = new QRadioButton("s", frame);
    alone->setObjectName("RbSeul");
    w.ml->SetActiveLanguage(1);
    EXPECT_EQ(choice->title(), "Choice");
    EXPECT_EQ(yes->text(), "Yes");
    EXPECT_EQ(no->text(), "No");
    EXPECT_EQ(frame->title(), "Frame");
    EXPECT_EQ(alone->text(), "Alone");
}

TEST_F(MultiLang, FieldsTakeTheirDisplayLabel)
{
    auto dir = testsupport::TempDir();
    db::MakeDemoFolder(dir->path(), 3, 1);
    TWindow w({"BailStd_A_NOM1", "Nom", "Name"});
    auto *table = new dataset::TTable(w.form.get());
    table->setObjectName("BailStd");
    table->SetTableName(db::TableFile(dir->path(), db::kBailStd, "dbf"));
    table->Open();
    w.ml->SetActiveLanguage(1);
    EXPECT_EQ(table->FieldByName("A_NOM1")->DisplayLabel(), "Name");
    table->Close();
}

TEST_F(MultiLang, OutOfRangeLanguageShowsTheMessageAndChangesNothing)
{
    TWindow w({"LblNom", "Nom", "Name"});
    auto *name = w.Add<QLabel>("LblNom", "Nom");
    int before = 0;
    w.ml->BeforeLanguageChange = [&](ui::TBaseMultiLang &, int, bool &) { ++before; };
    w.ml->SetActiveLanguage(2);
    EXPECT_EQ(w.ml->ActiveLanguage(), 0);
    EXPECT_EQ(name->text(), "Nom");
    EXPECT_EQ(before, 0);
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_EQ(m_boxes[0], "Value must not be higher than\nnumber of available languages.");
    EXPECT_EQ(m_icons[0], QMessageBox::Information);
    EXPECT_EQ(m_buttons[0], QMessageBox::StandardButtons(QMessageBox::Cancel));

    w.ml->SetDefaultLanguage(2);
    EXPECT_EQ(w.ml->DefaultLanguage(), 0);
    EXPECT_EQ(m_boxes.size(), 2);
}

TEST_F(MultiLang, BeforeChangeMayRefuseAndAfterChangeIsTold)
{
    TWindow w({"LblNom", "Nom", "Name"});
    auto *name = w.Add<QLabel>("LblNom", "Nom");
    bool allow = false;
    int told = -1;
    w.ml->BeforeLanguageChange = [&](ui::TBaseMultiLang &, int, bool &allowIt) { allowIt = allow; };
    w.ml->AfterLanguageChanged = [&](ui::TBaseMultiLang &, int language) { told = language; };
    w.ml->SetActiveLanguage(1);
    EXPECT_EQ(w.ml->ActiveLanguage(), 0);
    EXPECT_EQ(name->text(), "Nom");
    EXPECT_EQ(told, -1);
    allow = true;
    w.ml->SetActiveLanguage(1);
    EXPECT_EQ(name->text(), "Name");
    EXPECT_EQ(told, 1);
}

TEST_F(MultiLang, FontsSwitchByLanguage)
{
    TWindow w({});
    // The window's own font is the first language's: the switch records it there.
    w.form->setFont(QFont("DejaVu Sans"));
    w.ml->SetCharSets({"Old entry,1", "Liberation Serif,0"});
    w.ml->SetActiveLanguage(1);
    EXPECT_EQ(w.form->font().family(), "Liberation Serif");
    EXPECT_EQ(w.ml->OwnerCharSet(), 0);
    w.ml->SetActiveLanguage(0);
    EXPECT_EQ(w.form->font().family(), "DejaVu Sans");
    EXPECT_EQ(w.ml->CharSets(), (QStringList{"DejaVu Sans,1", "Liberation Serif,0"}));

    // Without entries the current font is recorded for every language.
    TWindow bare({});
    const QString family = bare.form->font().family();
    bare.ml->SetActiveLanguage(1);
    EXPECT_EQ(bare.ml->CharSets(), (QStringList{family + ",1", family + ",1"}));
}

TEST_F(MultiLang, LookupByName)
{
    TWindow w({"Msg1", "Bonjour", "Hello", "Msg2", "Seulement", ""});
    EXPECT_EQ(w.ml->Lookup("msg1"), "Bonjour");
    EXPECT_EQ(w.ml->Lookup("MSG1", 1), "Hello");
    EXPECT_EQ(w.ml->Lookup("Msg2", 1), "Seulement");
    EXPECT_EQ(w.ml->Lookup("Msg1", 7), "Bonjour"); // out of range: the active language
    EXPECT_EQ(w.ml->Lookup("Absent"), "absent");
    QString asked;
    w.ml->IdNotFoundError = [&](ui::TBaseMultiLang &, const QString &id, QString &res) {
        asked = id;
        res = "[" + id + "]";
    };
    EXPECT_EQ(w.ml->Lookup("Absent"), "[absent]");
    EXPECT_EQ(asked, "absent");
}

TEST_F(MultiLang, AWindowCreatedAfterTheSwitchComesUpInEnglish)
{
    TWindow first({"%Form%", "Principale", "Main"});
    auto *oneLanguage = new TMultiLang(first.form.get());
    oneLanguage->SetLanguages(1);
    const size_t live = TMultiLang::Instances().size();

    TMultiLang::SetAllLanguages(1);
    EXPECT_EQ(TMultiLang::CurrentLanguage(), 1);
    EXPECT_EQ(first.form->windowTitle(), "Main");
    EXPECT_EQ(oneLanguage->ActiveLanguage(), 0);
    EXPECT_TRUE(m_boxes.isEmpty());

    {
        TWindow later({"%Form%", "Aperçu", "Preview", "PbFermer", "Fermer", "Close"});
        auto *close = later.Add<QPushButton>("PbFermer", "Fermer");
        EXPECT_EQ(TMultiLang::Instances().size(), live + 1);
        later.form->show();
        EXPECT_EQ(later.ml->ActiveLanguage(), 1);
        EXPECT_EQ(later.form->windowTitle(), "Preview");
        EXPECT_EQ(close->text(), "Close");
    }
    EXPECT_EQ(TMultiLang::Instances().size(), live);

    TMultiLang::SetAllLanguages(0);
    EXPECT_EQ(first.form->windowTitle(), "Principale");
}

TEST_F(MultiLang, MemosTreesAndFileDialogs)
{
    TWindow w({"MmNote", "ligne 1", "line 1",
               "\"", "ligne 2", "line 2",
               "TvPlan", "racine", "root",
               "\"", "feuille", "leaf",
               "DlgOuvrir", "Ouvrir un bail", "Open a lease",
               "x", "Baux|*.dat;*.dbf|Tous|*", "Leases|*.dat;*.dbf|All|*"});
    auto *memo = w.Add<QPlainTextEdit>("MmNote");
    memo->setPlainText("a\nb\nc");
    memo->setReadOnly(true);
    auto *tree = w.Add<QTreeWidget>("TvPlan");
    tree->setSortingEnabled(true);
    auto *root = new QTreeWidgetItem(tree, QStringList{"r"});
    auto *leaf = new QTreeWidgetItem(root, QStringList{"l"});
    auto *other = new QTreeWidgetItem(tree, QStringList{"z"});
    tree->sortByColumn(0, Qt::AscendingOrder); // node order is the order shown: r, l, z
    auto *dialog = new QFileDialog(w.form.get());
    dialog->setObjectName("DlgOuvrir");

    w.ml->SetActiveLanguage(1);
    EXPECT_EQ(memo->toPlainText(), "line 1\nline 2\n");
    EXPECT_EQ(root->text(0), "root");
    EXPECT_EQ(leaf->text(0), "leaf");
    EXPECT_EQ(other->text(0), "z"); // nodes beyond the rows keep their text
    EXPECT_TRUE(tree->isSortingEnabled());
    EXPECT_EQ(dialog->windowTitle(), "Open a lease");
    EXPECT_EQ(dialog->nameFilters(), (QStringList{"Leases (*.dat *.dbf)", "All (*)"}));
}

TEST_F(MultiLang, PositionsAreKeptPerLanguageWhenSwitched)
{
    // Only controls the word list names are moved back, as they are the ones translated.
    TWindow w({"LblNom", "Nom", "Name"});
    auto *label = w.Add<QLabel>("LblNom", "Nom");
    label->setGeometry(10, 20, 100, 16);
    w.ml->SetSwitchPositions(ui::TSwitchPositions::spControlsOnly);
    w.ml->SetActiveLanguage(1);
    label->setGeometry(30, 20, 140, 16); // the English layout
    w.ml->SetActiveLanguage(0);
    EXPECT_EQ(label->geometry(), QRect(10, 20, 100, 16));
    w.ml->SetActiveLanguage(1);
    EXPECT_EQ(label->geometry(), QRect(30, 20, 140, 16));
    EXPECT_TRUE(w.ml->Positions().contains("lblnom,10.20.100.16,30.20.140.16"));
}
