// The main window: its menus, the commands that follow the child windows, the toolbar lent
// to the active child, help and language.

#include "AppTestUtil.h"

#include "app/Help.h"
#include "app/Main.h"
#include "app/Startup.h"
#include "db/Demo.h"
#include "dataset/DBNavigator.h"
#include "dataset/DataSource.h"
#include "dataset/Table.h"
#include "dataset/DBEdit.h"
#include "entry/Locateur.h"
#include "printout/PaperCheck.h"
#include "printout/Printer.h"
#include "printout/PrinterSetup.h"
#include "printout/Printout.h"
#include "ui/Accessibility.h"
#include "ui/KelSpeedButton.h"
#include "ui/MLang.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QComboBox>
#include <QLineEdit>
#include <QDialogButtonBox>
#include <QEnterEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QPrinter>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace apptest;

namespace {

// A child window as the entry windows of the program are: a lease window installs a print
// action, the lessor window binds only the navigator.
class TFakeChild : public QWidget, public ui::TMdiChild {
public:
    TFakeChild(bool lease, int context, std::vector<QString> *closed = nullptr)
        : m_lease(lease), m_context(context), m_closed(closed)
    {
        setWindowTitle(lease ? QStringLiteral("Bail") : QStringLiteral("Locateur"));
        m_source.SetDataSet(&m_table);
    }
    ~TFakeChild() override
    {
        if (m_closed)
            m_closed->push_back(windowTitle());
    }
    void ChildActivated(ui::TToolbarHost &host) override
    {
        ++activations;
        host.Navigator().setEnabled(true);
        host.Navigator().SetDataSource(&m_source);
        if (m_lease) {
            host.SetPrintAction([this] { ++prints; });
            host.SetPrintCommandsEnabled(true);
        }
        host.SetStatusText(0, windowTitle());
    }
    int HelpContext() const override { return m_context; }
    QWidget &ChildWidget() override { return *this; }

    int activations = 0;
    int prints = 0;
    bool refuseClose = false; // as a window whose edited row the user keeps

protected:
    void closeEvent(QCloseEvent *e) override { refuseClose ? e->ignore() : e->accept(); }

private:
    bool m_lease;
    int m_context;
    std::vector<QString> *m_closed;
    dataset::TTable m_table;
    dataset::TDataSource m_source;
};

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override { db::InitSettings(); }
    void TearDown() override
    {
        m_form.reset();
        Settle();
        db::InitSettings();
    }
    app::TMainForm &Form(app::TWindowCommands commands = {})
    {
        m_form = std::make_unique<app::TMainForm>(std::move(commands));
        m_form->show();
        return *m_form;
    }
    bool Enabled(const char *name) const { return m_form->Item(QLatin1String(name))->isEnabled(); }
    bool ButtonEnabled(const char *name) const { return m_form->Button(QLatin1String(name))->isEnabled(); }

    std::unique_ptr<app::TMainForm> m_form;
};

TEST_F(MainFormTest, MenusCarryTheirCaptionsShortcutsAndHelpContexts)
{
    app::TMainForm &form = Form();
    struct TExpect {
        const char *name, *caption, *shortcut;
        int context;
    };
    const TExpect items[] = {
        {"IDM_Bail", "&Bail", "", 6},           {"IDM_Fermer", "&Fermer", "Ctrl+F4", 140},
        {"IDM_BailCourant", "Bail &courant...", "Ctrl+P", 151}, {"IDM_ImpLot", "&Impression en lot...", "Ctrl+B", 10},
        {"IDM_Quitter", "&Quitter", "Alt+F4", 160},  {"IDM_Proprietaire", "&Propriétaire (Locateur)", "", 7},
        {"IDM_Configuration", "&Configuration", "", 310}, {"IDM_ReIndexer", "&Réindexer les fichiers", "", 320},
        {"IDM_Toutfermer", "&Tout fermer", "", 9},  {"IDM_Index", "&Index", "F1", 1},
        {"IDM_HelpOnHelp", "&Comment utiliser l'aide", "", 520}, {"IDM_About", "&A propos...", "", 1},
    };
    for (const TExpect &e : items) {
        QAction *a = form.Item(QLatin1String(e.name));
        ASSERT_NE(a, nullptr) << e.name;
        EXPECT_EQ(a->text(), QString::fromUtf8(e.caption)) << e.name;
        EXPECT_EQ(a->shortcut().toString(), QLatin1String(e.shortcut)) << e.name;
        EXPECT_EQ(a->property("helpContext").toInt(), e.context) << e.name;
    }
    // Cooperative leases are reached through the lease search only.
    EXPECT_FALSE(form.Item(QStringLiteral("IDM_BailCoop"))->isVisible());
    EXPECT_FALSE(form.Item(QStringLiteral("IDM_BailLogement"))->isVisible());
    EXPECT_NE(form.Item(QStringLiteral("IDM_BailCoopPah")), nullptr);
    // The separators stand before the printer set-up, Exit and About.
    const QList<QAction *> lease = form.findChild<QMenu *>(QStringLiteral("IDM_Bail"))->actions();
    const auto at = [&](const char *name) {
        for (int i = 0; i < lease.size(); ++i)
            if (lease[i]->objectName() == QLatin1String(name))
                return i;
        return -1;
    };
    EXPECT_EQ(at("N1") + 1, at("Configurationdelimpression1"));
    EXPECT_EQ(at("N2") + 1, at("IDM_Quitter"));
    QStringList bar;
    for (QAction *a : form.menuBar()->actions())
        bar << a->text();
    EXPECT_EQ(bar, QStringList({QStringLiteral("&Bail"), QStringLiteral("&Propriétaire (Locateur)"),
                                QStringLiteral("&Utilitaires"), QStringLiteral("&Fenêtre"), QStringLiteral("&Aide")}));
}

TEST_F(MainFormTest, CommandsWithoutTheirWindowsStayDisabled)
{
    Form();
    for (const char *name : {"IDM_BailLogementlStd", "IDM_BailLogementPah", "IDM_Proprietaire", "IDM_ImpLot", "IDM_Configuration"})
        EXPECT_FALSE(Enabled(name)) << name;
    EXPECT_FALSE(ButtonEnabled("SpB_FindBail"));
    EXPECT_TRUE(Enabled("IDM_ReIndexer"));
}

TEST_F(MainFormTest, MenuMajFollowsTheChildWindows)
{
    int configurations = 0;
    std::vector<QString> closed;
    TFakeChild *lessor = nullptr;
    TFakeChild *lease = nullptr;
    app::TWindowCommands commands;
    commands.lessorWindow = [&](QWidget *) { return lessor = new TFakeChild(false, 7, &closed); };
    commands.leaseWindow = [&](QWidget *, bool, bool, const QString &) { return lease = new TFakeChild(true, 6, &closed); };
    commands.configuration = [&](QWidget *) { ++configurations; };
    app::TMainForm &form = Form(commands);

    // No child: arrangement and closing off, configuration and reindexing on.
    for (const char *name : {"IDM_ArrangeAll", "IDM_Cascade", "IDM_Mosaique", "IDM_Fermer", "IDM_Toutfermer", "IDM_BailCourant"})
        EXPECT_FALSE(Enabled(name)) << name;
    EXPECT_TRUE(Enabled("IDM_Configuration"));
    EXPECT_TRUE(Enabled("IDM_ReIndexer"));
    EXPECT_FALSE(ButtonEnabled("SBPrint"));
    EXPECT_EQ(form.ActiveHelpContext(), 1);

    // The lessor window: the navigator is lent, printing stays off.
    form.Item(QStringLiteral("IDM_Proprietaire"))->trigger();
    ASSERT_NE(lessor, nullptr);
    for (const char *name : {"IDM_ArrangeAll", "IDM_Cascade", "IDM_Mosaique", "IDM_Fermer", "IDM_Toutfermer"})
        EXPECT_TRUE(Enabled(name)) << name;
    EXPECT_FALSE(Enabled("IDM_Configuration"));
    EXPECT_FALSE(Enabled("IDM_ReIndexer"));
    EXPECT_TRUE(form.Navigator().isEnabled());
    EXPECT_FALSE(Enabled("IDM_BailCourant"));
    EXPECT_FALSE(ButtonEnabled("SBPrint"));
    EXPECT_FALSE(ButtonEnabled("SBPreview"));
    EXPECT_EQ(form.ActiveHelpContext(), 7);

    // A lease window: its print action runs from the menu and the button.
    EXPECT_FALSE(qobject_cast<QMdiSubWindow *>(lessor->parentWidget())->isMaximized());
    form.Item(QStringLiteral("IDM_BailLogementlStd"))->trigger();
    ASSERT_NE(lease, nullptr);
    EXPECT_TRUE(qobject_cast<QMdiSubWindow *>(lease->parentWidget())->isMaximized()); // like the paper form, whole
    EXPECT_TRUE(Enabled("IDM_BailCourant"));
    EXPECT_TRUE(ButtonEnabled("SBPrint"));
    form.Item(QStringLiteral("IDM_BailCourant"))->trigger();
    form.Button(QStringLiteral("SBPrint"))->click();
    EXPECT_EQ(lease->prints, 2);
    EXPECT_EQ(form.ActiveHelpContext(), 6);

    // Back to the lessor window: the toolbar is taken back and lent again.
    form.MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(lessor->parentWidget()));
    EXPECT_FALSE(Enabled("IDM_BailCourant"));
    EXPECT_EQ(form.Navigator().DataSource() != nullptr, true);
    EXPECT_EQ(lessor->activations, 2);

    // Close all: the last opened first, then everything is back as at start.
    form.Item(QStringLiteral("IDM_Toutfermer"))->trigger();
    Settle();
    EXPECT_EQ(closed, std::vector<QString>({QStringLiteral("Bail"), QStringLiteral("Locateur")}));
    EXPECT_FALSE(Enabled("IDM_Fermer"));
    EXPECT_TRUE(Enabled("IDM_Configuration"));
    EXPECT_FALSE(form.Navigator().isEnabled());
    EXPECT_EQ(form.Navigator().DataSource(), nullptr);
    form.Item(QStringLiteral("IDM_Configuration"))->trigger();
    EXPECT_EQ(configurations, 1);
}

TEST_F(MainFormTest, ResetToolbarTakesEverythingBack)
{
    app::TMainForm &form = Form();
    int copies = 0;
    form.Navigator().setEnabled(true);
    form.Navigator().SetButtonVisible(dataset::TNavigateBtn::Delete, false);
    form.SetCopyAction([&] { ++copies; });
    form.SetPrintCommandsEnabled(true);
    form.Button(QStringLiteral("SBCopy"))->click();
    EXPECT_EQ(copies, 1);
    form.SetStatusText(0, QStringLiteral("Bail 12"));
    form.ResetToolbar();
    EXPECT_FALSE(form.Navigator().isEnabled());
    EXPECT_TRUE(form.Navigator().IsButtonVisible(dataset::TNavigateBtn::Delete));
    EXPECT_EQ(form.Navigator().width(), 400);
    for (const char *name : {"SBPrint", "SBPreview", "SBCopy"})
        EXPECT_FALSE(ButtonEnabled(name)) << name;
    EXPECT_FALSE(Enabled("IDM_BailCourant"));
    form.Button(QStringLiteral("SBCopy"))->click();
    EXPECT_EQ(copies, 1);
}

// The toolbar's buttons show a glyph and no caption, light up under the mouse and fade back
// after it leaves, and a mouse click on them runs the active child's command.
TEST_F(MainFormTest, ToolbarButtonsLightUpFadeBackAndRunTheirCommands)
{
    app::TMainForm &form = Form();
    const std::pair<const char *, int> buttons[] = {{"SBPreview", 446}, {"SBPrint", 485}, {"SpB_FindBail", 525}, {"SBCopy", 565}};
    for (const auto &[name, x] : buttons) {
        ui::TKelSpeedButton *b = form.Button(QLatin1String(name));
        ASSERT_NE(b, nullptr) << name;
        EXPECT_EQ(b->geometry(), QRect(x, 3, 40, 40)) << name;
        EXPECT_FALSE(b->PNGObject().isNull()) << name;
        EXPECT_TRUE(b->text().isEmpty()) << name;
    }
    // The navigator beside them has the same buttons.
    for (int i = 0; i < dataset::kNavigateButtonCount; ++i)
        EXPECT_NE(qobject_cast<ui::TKelSpeedButton *>(form.Navigator().Button(dataset::TNavigateBtn(i))), nullptr) << i;
    int prints = 0, previews = 0, copies = 0;
    form.SetPrintAction([&] { ++prints; });
    form.SetPreviewAction([&] { ++previews; });
    form.SetCopyAction([&] { ++copies; });
    form.SetPrintCommandsEnabled(true);

    ui::TKelSpeedButton *copy = form.Button(QStringLiteral("SBCopy"));
    QEnterEvent enter(QPointF(20, 20), QPointF(20, 20), copy->mapToGlobal(QPointF(20, 20)));
    QApplication::sendEvent(copy, &enter);
    EXPECT_TRUE(copy->Hot());
    EXPECT_EQ(copy->FadeLevel(), 8);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(copy, &leave);
    EXPECT_FALSE(copy->Hot());
    EXPECT_EQ(copy->FadeLevel(), 8); // the fade runs from the event loop
    EXPECT_TRUE(QTest::qWaitFor([&] { return copy->FadeLevel() == 0; }, 2000));

    for (const char *name : {"SBPrint", "SBPreview", "SBCopy"})
        QTest::mouseClick(form.Button(QLatin1String(name)), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(prints, 1);
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(copies, 1);
}

TEST_F(MainFormTest, LanguageSwitchesTheWholeWindowAndTheHelpSet)
{
    app::TMainForm &form = Form();
    db::SetWorkingLanguage(QStringLiteral("A"));
    form.SetLanguage();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Mandatory form of the Ostrevane"));
    EXPECT_EQ(form.Item(QStringLiteral("IDM_Quitter"))->text(), QStringLiteral("E&xit"));
    EXPECT_EQ(form.Item(QStringLiteral("IDM_Fenetre"))->text(), QStringLiteral("&Window"));
    EXPECT_EQ(form.Button(QStringLiteral("SBPreview"))->toolTip(), QStringLiteral("Preview"));
    EXPECT_EQ(form.Button(QStringLiteral("SBCopy"))->toolTip(), QStringLiteral("Copier un bail"));
    EXPECT_EQ(form.Navigator().Hints().front(), QStringLiteral("First record"));
    EXPECT_EQ(form.Navigator().Hints().back(), QStringLiteral("Refresh data"));
    EXPECT_EQ(QFileInfo(app::THelp::Instance().HelpFile()).fileName(), QStringLiteral("baila"));

    // A second main window made now comes up in English by itself.
    app::TMainForm later;
    later.show();
    EXPECT_EQ(later.Item(QStringLiteral("IDM_Bail"))->text(), QStringLiteral("&Lease"));

    db::SetWorkingLanguage(QStringLiteral("F"));
    form.SetLanguage();
    EXPECT_EQ(form.Item(QStringLiteral("IDM_Quitter"))->text(), QStringLiteral("&Quitter"));
    EXPECT_EQ(form.Navigator().Hints()[5], QStringLiteral("Détruire"));
    EXPECT_EQ(later.windowTitle(), QStringLiteral("Formulaire obligatoire de la Ostrevane"));
}

TEST_F(MainFormTest, QtsOwnButtonTextsFollowTheWorkingLanguage)
{
    app::TMainForm &form = Form();
    const auto yes = [] {
        QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
        return box.button(QMessageBox::Yes)->text();
    };
    // A dialog open across the switch follows it too.
    QDialogButtonBox open(QDialogButtonBox::Cancel);
    form.SetLanguage();
    QApplication::processEvents();
    EXPECT_EQ(yes(), QStringLiteral("&Oui"));
    EXPECT_EQ(open.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Annuler"));
    db::SetWorkingLanguage(QStringLiteral("A"));
    form.SetLanguage();
    QApplication::processEvents();
    EXPECT_EQ(yes(), QStringLiteral("&Yes"));
    EXPECT_EQ(open.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
}

TEST_F(MainFormTest, EveryButtonAndFieldHasAnAccessibleNameInBothLanguages)
{
    auto dir = testsupport::TempDir();
    db::MakeDemoFolder(dir->path(), 3, 2);
    TCurrentDir cwd(dir->path());
    m_form = std::make_unique<app::TMainForm>();
    app::TMainForm &form = *m_form;
    form.Start();
    form.show();
    form.Item(QStringLiteral("IDM_BailLogementlStd"))->trigger();
    form.Item(QStringLiteral("IDM_Proprietaire"))->trigger();
    Settle();
    ASSERT_EQ(form.MdiArea()->subWindowList().size(), 2);
    for (const char *language : {"A", "F"}) {
        db::SetWorkingLanguage(QLatin1String(language));
        form.SetLanguage();
        Settle();
        QStringList nameless;
        for (QWidget *w : form.findChildren<QWidget *>()) {
            const bool control = qobject_cast<QAbstractButton *>(w) || qobject_cast<QComboBox *>(w)
                || (qobject_cast<QLineEdit *>(w) && !qobject_cast<QComboBox *>(w->parentWidget()));
            if (control && ui::AccessibleName(*w).isEmpty())
                nameless << QStringLiteral("%1 (%2)").arg(w->objectName(), QLatin1String(w->metaObject()->className()));
        }
        EXPECT_TRUE(nameless.isEmpty()) << language << ": " << nameless.join(QStringLiteral(", ")).toStdString();
        if (*language == 'A') {
            EXPECT_EQ(ui::AccessibleName(*form.Button(QStringLiteral("SBPreview"))), QStringLiteral("Preview"));
            EXPECT_EQ(ui::AccessibleName(*form.Navigator().Button(dataset::TNavigateBtn::Last)), QStringLiteral("Last record"));
        }
    }
    m_form.reset(); // before the folder goes
    Settle();
}

TEST_F(MainFormTest, F1ShowsTheActiveWindowsTopicOverTheMainWindow)
{
    app::TMainForm &form = Form();
    db::SetWorkingLanguage(QStringLiteral("F"));
    form.SetLanguage();
    form.setGeometry(100, 80, 900, 600);
    form.Item(QStringLiteral("IDM_Index"))->trigger();
    app::THelpViewer *viewer = app::THelp::Instance().Viewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->CurrentContext(), 1);
    const QRect r = form.frameGeometry();
    EXPECT_EQ(viewer->geometry(), QRect(r.left() + 20, r.top() + 20, r.width() - 40, r.height() - 40));
    form.Item(QStringLiteral("IDM_HelpOnHelp"))->trigger();
    EXPECT_EQ(viewer->CurrentContext(), 520);
    // Closing the main window closes the help window too.
    form.close();
    Settle();
    EXPECT_EQ(app::THelp::Instance().Viewer(), nullptr);
}

TEST_F(MainFormTest, WindowMenuListsTheChildrenAndClosingRespectsARefusingChild)
{
    std::vector<TFakeChild *> children;
    app::TWindowCommands commands;
    commands.lessorWindow = [&](QWidget *) {
        children.push_back(new TFakeChild(false, 7));
        children.back()->setWindowTitle(QStringLiteral("Locateur %1").arg(children.size()));
        return children.back();
    };
    app::TMainForm &form = Form(commands);
    form.Item(QStringLiteral("IDM_Proprietaire"))->trigger();
    form.Item(QStringLiteral("IDM_Proprietaire"))->trigger(); // a new window every time
    ASSERT_EQ(children.size(), 2u);
    QMenu *windows = form.findChild<QMenu *>(QStringLiteral("IDM_Fenetre"));
    QMetaObject::invokeMethod(windows, "aboutToShow");
    QStringList entries;
    for (QAction *a : windows->actions())
        if (!a->isSeparator() && a->objectName().isEmpty())
            entries << a->text() + (a->isChecked() ? QStringLiteral(" *") : QString());
    EXPECT_EQ(entries, QStringList({QStringLiteral("&1 Locateur 1"), QStringLiteral("&2 Locateur 2 *")}));

    // The main window does not close over a child that keeps its row; then it does.
    children[0]->refuseClose = true;
    EXPECT_FALSE(form.close());
    Settle();
    EXPECT_EQ(form.MdiArea()->subWindowList().size(), 1);
    EXPECT_TRUE(Enabled("IDM_Fermer"));
    children[0]->refuseClose = false;
    form.Item(QStringLiteral("IDM_Fermer"))->trigger();
    Settle();
    EXPECT_TRUE(form.MdiArea()->subWindowList().isEmpty());
    EXPECT_FALSE(Enabled("IDM_Fermer"));
    EXPECT_TRUE(form.close());
}

TEST_F(MainFormTest, TheLessorWindowBorrowsTheNavigatorButNotPrinting)
{
    auto dir = testsupport::TempDir();
    MakeDataFolder(dir->path());
    TCurrentDir cwd(dir->path());
    m_form = std::make_unique<app::TMainForm>();
    app::TMainForm &form = *m_form;
    form.Start();
    form.show();
    ASSERT_TRUE(Enabled("IDM_Proprietaire"));
    EXPECT_TRUE(Enabled("IDM_Configuration"));
    form.Item(QStringLiteral("IDM_Proprietaire"))->trigger();
    Settle();
    ASSERT_EQ(form.MdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(form.ActiveHelpContext(), 7);
    EXPECT_TRUE(form.Navigator().isEnabled());
    EXPECT_NE(form.Navigator().DataSource(), nullptr);
    EXPECT_FALSE(Enabled("IDM_BailCourant"));
    EXPECT_FALSE(ButtonEnabled("SBPrint"));
    EXPECT_FALSE(ButtonEnabled("SBPreview"));
    EXPECT_FALSE(Enabled("IDM_Configuration"));
    EXPECT_FALSE(Enabled("IDM_ReIndexer"));
    // The borrowed Insert button starts a new lessor with the focus in its name.
    auto *lessor = qobject_cast<entry::TLocateurForm *>(form.MdiArea()->activeSubWindow()->widget());
    ASSERT_NE(lessor, nullptr);
    form.Navigator().Button(dataset::TNavigateBtn::Insert)->click();
    Settle();
    EXPECT_EQ(form.Navigator().DataSource()->DataSet()->State(), dataset::TDataSetState::Insert);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget *>(lessor->NameEdit()));
    form.Navigator().Button(dataset::TNavigateBtn::Cancel)->click();
    form.Item(QStringLiteral("IDM_Fermer"))->trigger();
    Settle();
    EXPECT_TRUE(form.MdiArea()->subWindowList().isEmpty());
    EXPECT_FALSE(form.Navigator().isEnabled());
    EXPECT_TRUE(Enabled("IDM_Configuration"));
    m_form.reset(); // before the folder goes
    Settle();
}

} // namespace

TEST_F(MainFormTest, PrinterSetupChangesTheApplicationPrinterThenOffersTheFormsPaperBack)
{
    app::TMainForm &form = Form();
    printout::SetApplicationPrinter(printout::TPrinter::Virtual());
    printout::DefaultPaperRecord() = {};
    auto choose = [](int code, bool landscape, int source) {
        app::TMainForm::SetPrinterSetupHook([=](printout::TPrinterSetupDialog &dialog) {
            dialog.CB_Papier->setCurrentIndex(dialog.CB_Papier->findData(code));
            (landscape ? dialog.RB_Paysage : dialog.RB_Portrait)->setChecked(true);
            dialog.CB_Source->setCurrentIndex(dialog.CB_Source->findData(source));
            dialog.accept();
        });
    };
    // Legal landscape from the manual feed, kept when the user says No to the form's format:
    // the printouts made next are laid out on it.
    choose(5, true, QPrinter::Manual);
    {
        TBoxRecorder boxes;
        boxes.Answer(QMessageBox::No);
        form.Item(QStringLiteral("Configurationdelimpression1"))->trigger();
        EXPECT_EQ(boxes.Boxes().size(), 1u);
    }
    EXPECT_EQ(printout::ApplicationPrinter().Paper().sizeCode, 5);
    EXPECT_EQ(printout::ApplicationPrinter().Paper().orientation, printout::kLandscape);
    EXPECT_EQ(printout::ApplicationPrinter().PaperSource(), int(QPrinter::Manual));
    EXPECT_EQ(printout::TPrintout(nullptr, false, QStringLiteral("t")).Geometry().sheetSize, QSize(3556, 2159));
    // Yes puts Letter portrait back on the printer and into the default paper record.
    {
        TBoxRecorder boxes;
        boxes.Answer(QMessageBox::Yes);
        form.Item(QStringLiteral("Configurationdelimpression1"))->trigger();
    }
    EXPECT_EQ(printout::ApplicationPrinter().Paper().sizeCode, printout::kPaperLetter);
    EXPECT_EQ(printout::ApplicationPrinter().Paper().orientation, printout::kPortrait);
    // Letter portrait asks nothing; a cancelled dialog changes nothing.
    choose(1, false, 0);
    {
        TBoxRecorder boxes;
        form.Item(QStringLiteral("Configurationdelimpression1"))->trigger();
        EXPECT_TRUE(boxes.Boxes().empty());
    }
    app::TMainForm::SetPrinterSetupHook([](printout::TPrinterSetupDialog &dialog) {
        dialog.CB_Papier->setCurrentIndex(dialog.CB_Papier->findData(9));
        dialog.reject();
    });
    form.Item(QStringLiteral("Configurationdelimpression1"))->trigger();
    EXPECT_EQ(printout::ApplicationPrinter().Paper().sizeCode, printout::kPaperLetter);
    app::TMainForm::SetPrinterSetupHook({});
    printout::SetApplicationPrinter(printout::TPrinter::Default());
}
