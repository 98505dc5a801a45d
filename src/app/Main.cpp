#include "app/Main.h"

#include "app/About.h"
#include "app/AppException.h"
#include "app/Help.h"
#include "app/Reindex.h"
#include "app/Splash.h"
#include "app/Startup.h"
#include "dataset/DBNavigator.h"
#include "dataset/DataSource.h"
#include "dataset/Table.h"
#include "db/BailKey.h"
#include "db/Settings.h"
#include "dbase/File.h"
#include "printout/PaperCheck.h"
#include "printout/Printer.h"
#include "printout/PrinterSetup.h"
#include "ui/KelSpeedButton.h"
#include "ui/MLang.h"
#include "ui/QtCatalogue.h"
#include "ui/WaitCursor.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace app {

namespace {

std::function<void(printout::TPrinterSetupDialog &)> &PrinterSetupHook()
{
    static std::function<void(printout::TPrinterSetupDialog &)> hook;
    return hook;
}

} // namespace

namespace {

const TWord kWords[] = {
    {"%Form%", "Formulaire obligatoire de la Ostrevane", "Mandatory form of the Ostrevane"},
    {"IDM_Bail", "&Bail", "&Lease"},
    {"IDM_BailLogementlStd", "&Régulier...", "&Standard..."},
    {"IDM_BailLogementPah", "&Personnes âgées ou handicapées...", "&Elderly or handicapped persons..."},
    {"IDM_BailLogement", "Bail de &logement", "Lease of a &dwelling"},
    {"IDM_BailCoop", "Bail de logement dans une &coopérative", "Lease of a dwelling in a c&ooperative"},
    {"IDM_BailCoopStd", "&Régulier...", "&Standard..."},
    {"IDM_BailCoopPah", "&Personnes âgées ou handicapées...", "&Elderly or handicapped persons..."},
    {"IDM_Fermer", "&Fermer", "&Close"},
    {"Configurationdelimpression1", "Configuration de l'impression", "Printer setup"},
    {"IDM_Imprimer", "&Imprimer", "&Print"},
    {"IDM_BailCourant", "Bail &courant...", "&Current lease..."},
    {"IDM_ImpLot", "&Impression en lot...", "&Batch printing..."},
    {"IDM_Quitter", "&Quitter", "E&xit"},
    {"IDM_Proprietaire", "&Propriétaire (Locateur)", "La&ndlord (Lessor)"},
    {"IDM_Utilitaires", "&Utilitaires", "&Utilities"},
    {"IDM_Configuration", "&Configuration", "&Configuration"},
    {"IDM_ReIndexer", "&Réindexer les fichiers", "&Reindex files"},
    {"IDM_Fenetre", "&Fenêtre", "&Window"},
    {"IDM_Mosaique", "&Mosaïque", "&Tile"},
    {"IDM_Cascade", "&Cascade", "&Cascade"},
    {"IDM_ArrangeAll", "&Aligner les icônes", "&Arrange all"},
    {"IDM_Toutfermer", "&Tout fermer", "&Close all"},
    {"IDM_Aide", "&Aide", "&Help"},
    {"IDM_Index", "&Index", "&Index"},
    {"IDM_HelpOnHelp", "&Comment utiliser l'aide", "&How to use Help"},
    {"IDM_About", "&A propos...", "&About..."},
    {"ToolBar", "", ""},
    {"Navig", "Premier", "First record"},
    {"\"", "Précédent", "Previous record"},
    {"\"", "Suivant", "Next record"},
    {"\"", "Dernier", "Last record"},
    {"\"", "Ajouter", "Add"},
    {"\"", "Détruire", "Delete"},
    {"\"", "Modifier", "Modify"},
    {"\"", "Accepter les modifications", "Accept modifications"},
    {"\"", "Abandonner les modifications", "Cancel modifications"},
    {"\"", "Rafraîchir les données", "Refresh data"},
    {"SBPrint", "", ""},
    {"\".Hint", "Imprimer", "Print"},
    {"SBPreview", "", ""},
    {"\".Hint", "Aperçu avant impression", "Preview"},
    {"SpB_FindBail", "", ""},
    {"\".Hint", "Rechercher un bail", "Find a lease"},
    {"SBCopy", "", ""},
    {"\".Hint", "Copier un bail", ""}, // the same text in both languages
};

enum class TMenuKind { Submenu, Item, Separator };

// One entry of the menu bar, in menu order; parent names the submenu holding it.
struct TMenuRow {
    const char *name;
    const char *parent; // nullptr: on the menu bar
    TMenuKind kind;
    const char *shortcut;
    int helpContext;
    bool visible;
    void (TMainForm::*click)();
};

QString French(const char *name)
{
    for (const TWord &w : kWords)
        if (qstrcmp(w.name, name) == 0)
            return QString::fromUtf8(w.french);
    return QString();
}

// Toolbar glyphs: drawn on a 64-unit grid, shown at 32 pixels inside the 40-pixel buttons.
QImage Glyph(void (*draw)(QPainter &))
{
    constexpr int kSize = 32;
    QImage image(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(kSize / 64.0, kSize / 64.0);
    draw(p);
    p.end();
    return image;
}

void DrawSheet(QPainter &p, QRectF r)
{
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 2.5));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setPen(QPen(QColor(0x70, 0x80, 0xa0), 2.5));
    for (qreal y = r.top() + 9; y < r.bottom() - 5; y += 7)
        p.drawLine(QPointF(r.left() + 6, y), QPointF(r.right() - 6, y));
}

void DrawPrinter(QPainter &p)
{
    DrawSheet(p, QRectF(18, 6, 28, 26));
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 2.5));
    p.setBrush(QColor(0x8a, 0x96, 0xa8));
    p.drawRoundedRect(QRectF(6, 28, 52, 22), 4, 4);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(16, 44, 32, 14));
    p.setBrush(QColor(0x3c, 0xb0, 0x4a));
    p.drawEllipse(QRectF(48, 33, 5, 5));
}

void DrawPreview(QPainter &p)
{
    DrawSheet(p, QRectF(8, 4, 36, 48));
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(44, 44), QPointF(58, 58));
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 3.5));
    p.setBrush(QColor(0xcf, 0xe6, 0xff, 200));
    p.drawEllipse(QRectF(24, 22, 24, 24));
}

void DrawFind(QPainter &p)
{
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 3));
    p.setBrush(QColor(0xf3, 0xd2, 0x6b));
    p.drawRect(QRectF(6, 14, 40, 30));
    p.setBrush(QColor(0xe0, 0xb8, 0x48));
    p.drawRect(QRectF(6, 14, 18, 8));
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(46, 46), QPointF(58, 58));
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 3.5));
    p.setBrush(QColor(0xcf, 0xe6, 0xff, 220));
    p.drawEllipse(QRectF(26, 26, 22, 22));
}

void DrawCopy(QPainter &p)
{
    DrawSheet(p, QRectF(6, 6, 32, 40));
    DrawSheet(p, QRectF(24, 18, 32, 40));
}

} // namespace

QStringList MainFormWords()
{
    QStringList words;
    for (const TWord &w : kWords)
        words << QString::fromUtf8(w.name) << QString::fromUtf8(w.french) << QString::fromUtf8(w.english);
    return words;
}

TMainForm::TMainForm(TWindowCommands commands, QWidget *parent)
    : QMainWindow(parent)
    , m_commands(std::move(commands))
{
    setObjectName(QStringLiteral("MainForm"));
    // Child windows without an icon of their own show the program's.
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(TSplashScreen::Icon());
    setWindowTitle(French("%Form%"));
    resize(996, 617);
    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("MdiArea"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();

    m_multiLang = new ui::TMultiLang(this);
    m_multiLang->setObjectName(QStringLiteral("MultiLang"));
    m_multiLang->SetLanguages(2);
    m_multiLang->SetDefaultEnabled(true);
    m_multiLang->SetTranslateEdits(ui::TTranslateEdits::teAlways);
    m_multiLang->SetWords(MainFormWords());

    ConnectMenuMaj(true);
    ResetToolbar();
    MenuMaj();
}

TMainForm::~TMainForm()
{
    ConnectMenuMaj(false);
    // The toolbar is taken back first, so that no child holds it while it goes; then the
    // children go while this window still exists, without reaching its slots.
    ResetToolbar();
    for (QMdiSubWindow *sub : m_mdi->subWindowList()) {
        sub->disconnect(this);
        delete sub;
    }
}

// The menu bar as a table; a struct so that it may name the window's private handlers.
struct TMenuTable {
    static constexpr TMenuRow kRows[] = {
        {"IDM_Bail", nullptr, TMenuKind::Submenu, nullptr, 6, true, nullptr},
        {"IDM_BailLogementlStd", "IDM_Bail", TMenuKind::Item, nullptr, 6, true, &TMainForm::IDM_BailLogementlStdClick},
        {"IDM_BailLogementPah", "IDM_Bail", TMenuKind::Item, nullptr, 6, true, &TMainForm::IDM_BailLogementPahClick},
        // Cooperative leases are reached through the lease search only.
        {"IDM_BailLogement", "IDM_Bail", TMenuKind::Item, nullptr, 6, false, nullptr},
        {"IDM_BailCoop", "IDM_Bail", TMenuKind::Submenu, nullptr, 6, false, nullptr},
        {"IDM_BailCoopStd", "IDM_BailCoop", TMenuKind::Item, nullptr, 6, true, &TMainForm::IDM_BailCoopStdClick},
        {"IDM_BailCoopPah", "IDM_BailCoop", TMenuKind::Item, nullptr, 6, true, &TMainForm::IDM_BailCoopPahClick},
        {"IDM_Fermer", "IDM_Bail", TMenuKind::Item, "Ctrl+F4", 140, true, &TMainForm::IDM_FermerClick},
        {"N1", "IDM_Bail", TMenuKind::Separator, nullptr, 0, true, nullptr},
        {"Configurationdelimpression1", "IDM_Bail", TMenuKind::Item, nullptr, 0, true,
         &TMainForm::Configurationdelimpression1Click},
        {"IDM_Imprimer", "IDM_Bail", TMenuKind::Submenu, nullptr, 11, true, nullptr},
        {"IDM_BailCourant", "IDM_Imprimer", TMenuKind::Item, "Ctrl+P", 151, true, &TMainForm::IDM_BailCourantClick},
        {"IDM_ImpLot", "IDM_Imprimer", TMenuKind::Item, "Ctrl+B", 10, true, &TMainForm::IDM_ImpLotClick},
        {"N2", "IDM_Bail", TMenuKind::Separator, nullptr, 0, true, nullptr},
        {"IDM_Quitter", "IDM_Bail", TMenuKind::Item, "Alt+F4", 160, true, &TMainForm::IDM_QuitterClick},
        {"IDM_Proprietaire", nullptr, TMenuKind::Item, nullptr, 7, true, &TMainForm::IDM_ProprietaireClick},
        {"IDM_Utilitaires", nullptr, TMenuKind::Submenu, nullptr, 8, true, nullptr},
        {"IDM_Configuration", "IDM_Utilitaires", TMenuKind::Item, nullptr, 310, true, &TMainForm::IDM_ConfigurationClick},
        {"IDM_ReIndexer", "IDM_Utilitaires", TMenuKind::Item, nullptr, 320, true, &TMainForm::IDM_ReIndexerClick},
        {"IDM_Fenetre", nullptr, TMenuKind::Submenu, nullptr, 9, true, nullptr},
        {"IDM_Mosaique", "IDM_Fenetre", TMenuKind::Item, nullptr, 9, true, &TMainForm::IDM_MosaiqueClick},
        {"IDM_Cascade", "IDM_Fenetre", TMenuKind::Item, nullptr, 9, true, &TMainForm::IDM_CascadeClick},
        {"IDM_ArrangeAll", "IDM_Fenetre", TMenuKind::Item, nullptr, 9, true, &TMainForm::IDM_ArrangeAllClick},
        {"IDM_Toutfermer", "IDM_Fenetre", TMenuKind::Item, nullptr, 9, true, &TMainForm::IDM_ToutfermerClick},
        {"IDM_Aide", nullptr, TMenuKind::Submenu, nullptr, 1, true, nullptr},
        {"IDM_Index", "IDM_Aide", TMenuKind::Item, "F1", 1, true, &TMainForm::IDM_IndexClick},
        {"IDM_HelpOnHelp", "IDM_Aide", TMenuKind::Item, nullptr, 520, true, &TMainForm::IDM_HelpOnHelpClick},
        {"N3", "IDM_Aide", TMenuKind::Separator, nullptr, 0, true, nullptr},
        {"IDM_About", "IDM_Aide", TMenuKind::Item, nullptr, 1, true, &TMainForm::IDM_AboutClick},
    };
};

void TMainForm::CreateMenus()
{
    QHash<QString, QMenu *> submenus;
    for (const TMenuRow &row : TMenuTable::kRows) {
        const QString name = QString::fromLatin1(row.name);
        QMenu *parentMenu = row.parent ? submenus.value(QString::fromLatin1(row.parent)) : nullptr;
        QAction *action = nullptr;
        switch (row.kind) {
        case TMenuKind::Submenu: {
            auto *menu = new QMenu(French(row.name), parentMenu ? static_cast<QWidget *>(parentMenu) : menuBar());
            menu->setObjectName(name);
            menu->installEventFilter(this);
            submenus.insert(name, menu);
            action = menu->menuAction();
            if (parentMenu)
                parentMenu->addMenu(menu);
            else
                menuBar()->addMenu(menu);
            break;
        }
        case TMenuKind::Separator:
            action = parentMenu->addSeparator();
            action->setObjectName(name);
            break;
        case TMenuKind::Item:
            action = new QAction(French(row.name), this);
            action->setObjectName(name);
            if (row.shortcut)
                action->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
            if (row.click)
                connect(action, &QAction::triggered, this, row.click);
            if (parentMenu)
                parentMenu->addAction(action);
            else
                menuBar()->addAction(action);
            // Shortcuts work while the menus are closed.
            addAction(action);
            break;
        }
        action->setProperty("helpContext", row.helpContext);
        action->setVisible(row.visible);
    }
    m_windowMenu = submenus.value(QStringLiteral("IDM_Fenetre"));
    connect(m_windowMenu, &QMenu::aboutToShow, this, &TMainForm::FillWindowMenu);

    // Windows of later parts of the program: nothing to open until they exist.
    Item(QStringLiteral("IDM_BailLogementlStd"))->setEnabled(bool(m_commands.leaseWindow));
    Item(QStringLiteral("IDM_BailLogementPah"))->setEnabled(bool(m_commands.leaseWindow));
    Item(QStringLiteral("IDM_BailCoopStd"))->setEnabled(bool(m_commands.leaseWindow));
    Item(QStringLiteral("IDM_BailCoopPah"))->setEnabled(bool(m_commands.leaseWindow));
    Item(QStringLiteral("IDM_Proprietaire"))->setEnabled(bool(m_commands.lessorWindow));
    Item(QStringLiteral("IDM_ImpLot"))->setEnabled(bool(m_commands.batchPrint));
}

ui::TKelSpeedButton *TMainForm::AddSpeedButton(const char *name, int x, const QImage &glyph)
{
    auto *b = new ui::TKelSpeedButton(ToolBar);
    ui::UseToolbarLook(*b);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(x, 3, 40, 40);
    b->SetPNGObject(glyph);
    return b;
}

void TMainForm::CreateToolBar()
{
    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBarHost"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->toggleViewAction()->setVisible(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    ToolBar = new QWidget;
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setFixedHeight(46);
    ToolBar->setMinimumWidth(610);
    Navig = new dataset::TDBNavigator(ToolBar, &ui::NewToolbarButton);
    Navig->setObjectName(QStringLiteral("Navig"));
    Navig->setGeometry(3, 3, 400, 40);
    SBPreview = AddSpeedButton("SBPreview", 446, Glyph(DrawPreview));
    SBPrint = AddSpeedButton("SBPrint", 485, Glyph(DrawPrinter));
    SpB_FindBail = AddSpeedButton("SpB_FindBail", 525, Glyph(DrawFind));
    SBCopy = AddSpeedButton("SBCopy", 565, Glyph(DrawCopy));
    SBPreview->setToolTip(QStringLiteral("Aperçu avant impression"));
    SBPrint->setToolTip(QStringLiteral("Imprimer"));
    SpB_FindBail->setToolTip(QStringLiteral("Rechercher un bail"));
    SBCopy->setToolTip(QStringLiteral("Copier un bail"));
    connect(SBPrint, &QAbstractButton::clicked, this, &TMainForm::IDM_BailCourantClick);
    connect(SBPreview, &QAbstractButton::clicked, this, &TMainForm::SBPreviewClick);
    connect(SBCopy, &QAbstractButton::clicked, this, &TMainForm::SBCopyClick);
    connect(SpB_FindBail, &QAbstractButton::clicked, this, &TMainForm::SpB_FindBailClick);
    // A found lease opens in a lease window: nothing to find until those exist.
    SpB_FindBail->setEnabled(bool(m_commands.leaseWindow));
    bar->addWidget(ToolBar);
    addToolBar(Qt::TopToolBarArea, bar);
}

void TMainForm::CreateStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    const int widths[3] = {400, 100, 50};
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel;
        m_panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_panels[i]->setFixedWidth(widths[i]);
        m_panels[i]->setFrameShape(QFrame::StyledPanel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        bar->addWidget(m_panels[i]);
    }
}

QAction *TMainForm::Item(const QString &name) const
{
    if (auto *menu = findChild<QMenu *>(name))
        return menu->menuAction();
    return findChild<QAction *>(name);
}

ui::TKelSpeedButton *TMainForm::Button(const QString &name) const
{
    return ToolBar->findChild<ui::TKelSpeedButton *>(name);
}

void TMainForm::Start()
{
    THelp::Instance().SetHelpFile(HelpFileFor(QStringLiteral("F")));
    InstallExceptionHandler();
    SetStatusText(0, QString());
    m_dataDir = DataDirectory();
    DefineDataDatabase(m_dataDir);
    DefineArchiveDatabase();
    SeedDataFolder(m_dataDir);
    UpgradeOldTables(m_dataDir, this);
    ReadConfiguration(m_dataDir);
    SetLanguage();
    if (NeedsReindex(m_dataDir)) {
        IDM_ReIndexerClick();
        if (const QString marker = dbase::FindFileNoCase(m_dataDir, QString::fromLatin1(kReindexMarker)); !marker.isEmpty())
            QFile::remove(marker);
    }
}

void TMainForm::SetLanguage()
{
    const QString language = db::WorkingLanguage();
    ui::TBaseMultiLang::SetAllLanguages(db::IsFrench(language) ? 0 : 1);
    // Without the catalogue Qt's own texts stay in English; nothing else depends on it.
    ui::UseQtCatalogue(db::IsFrench(language) ? QLatin1Char('F') : QLatin1Char('A'));
    // Qt's overflow buttons of the menu and tool bars show only an arrow.
    for (const char *name : {"qt_menubar_ext_button", "qt_toolbar_ext_button"})
        if (auto *more = findChild<QToolButton *>(QLatin1String(name)))
            more->setAccessibleName(db::PickWorkText(QStringLiteral("Autres commandes"), QStringLiteral("More commands")));
    THelp::Instance().SetHelpFile(HelpFileFor(language));
}

TReindexForm *TMainForm::ReindexForm() const
{
    return m_reindexForm;
}

ui::TMdiChild *TMainForm::ActiveChild() const
{
    QMdiSubWindow *sub = m_mdi->currentSubWindow();
    return sub ? dynamic_cast<ui::TMdiChild *>(sub->widget()) : nullptr;
}

namespace {

// The focus into w: its widget that last had it, else the first that takes it. Set while the
// main window is inactive (a modal dialog just closed), it is where the focus returns, so the
// window that had it before does not come back to the front.
void FocusInto(QWidget &w)
{
    QWidget *target = w.focusWidget();
    for (QWidget *next = w.nextInFocusChain(); !target && next && next != &w; next = next->nextInFocusChain())
        if (w.isAncestorOf(next) && (next->focusPolicy() & Qt::TabFocus) && next->isEnabled() && next->isVisibleTo(&w))
            target = next;
    (target ? target : &w)->setFocus(Qt::OtherFocusReason);
}

} // namespace

QMdiSubWindow *TMainForm::AddChild(ui::TMdiChild &child)
{
    QMdiSubWindow *sub = m_mdi->addSubWindow(&child.ChildWidget());
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // Once the window is gone the commands that need a child may change state.
    connect(sub, &QObject::destroyed, this, [this] { QMetaObject::invokeMethod(this, &TMainForm::SubWindowActivated, Qt::QueuedConnection); });
    sub->show();
    m_mdi->setActiveSubWindow(sub);
    FocusInto(child.ChildWidget());
    SubWindowActivated();
    return sub;
}

ui::TMdiChild *TMainForm::OpenLeaseWindow(bool elderly, bool coop, const QString &key)
{
    if (!m_commands.leaseWindow)
        return nullptr;
    ui::TMdiChild *child = nullptr;
    {
        ui::TWaitCursor wait;
        child = m_commands.leaseWindow(this, elderly, coop, key);
    }
    if (child)
        AddChild(*child)->showMaximized(); // lease windows are laid out like the whole form
    return child;
}

void TMainForm::IDM_BailLogementlStdClick() { OpenLeaseWindow(false, false); }
void TMainForm::IDM_BailLogementPahClick() { OpenLeaseWindow(true, false); }
void TMainForm::IDM_BailCoopStdClick() { OpenLeaseWindow(false, true); }
void TMainForm::IDM_BailCoopPahClick() { OpenLeaseWindow(true, true); }

void TMainForm::IDM_ProprietaireClick()
{
    if (!m_commands.lessorWindow)
        return;
    ui::TMdiChild *child = nullptr;
    {
        ui::TWaitCursor wait;
        child = m_commands.lessorWindow(this);
    }
    if (child)
        AddChild(*child);
}

void TMainForm::IDM_FermerClick()
{
    if (QMdiSubWindow *sub = m_mdi->currentSubWindow())
        sub->close();
}

void TMainForm::Configurationdelimpression1Click()
{
    printout::TPrinterSetupDialog dialog(this);
    if (PrinterSetupHook())
        PrinterSetupHook()(dialog);
    else
        dialog.exec();
    printout::EnsureDefaultPaper(printout::ApplicationPrinter(), printout::kPaperLetter, printout::kPortrait, 0, 0);
}

void TMainForm::SetPrinterSetupHook(std::function<void(printout::TPrinterSetupDialog &)> hook)
{
    PrinterSetupHook() = std::move(hook);
}

void TMainForm::IDM_BailCourantClick()
{
    // A copy: the action may reset the toolbar while it runs.
    const std::function<void()> action = m_printAction;
    if (action)
        action();
}

void TMainForm::SBPreviewClick()
{
    const std::function<void()> action = m_previewAction;
    if (action)
        action();
}

void TMainForm::SBCopyClick()
{
    const std::function<void()> action = m_copyAction;
    if (action)
        action();
}

void TMainForm::SpB_FindBailClick()
{
    const QString key = db::RunLeaseSearch(this);
    if (key.isEmpty())
        return;
    const std::optional<db::TLeaseKind> kind = db::KindFromPrefix(key);
    if (!kind)
        return;
    const bool elderly = db::IsElderly(*kind);
    const bool coop = db::IsCooperative(*kind);
    // The active lease window takes the lease when it is of that kind and ready; otherwise
    // a new window of the kind opens on it. Its unsaved edits are never saved unasked.
    auto *active = dynamic_cast<ui::TLeaseChild *>(ActiveChild());
    if (active && !active->LeaveQuery())
        return;
    if (active && active->IsElderly() == elderly && active->IsCooperative() == coop && Navig->isEnabled())
        active->GoToLease(key);
    else
        OpenLeaseWindow(elderly, coop, key);
    // Only a standard lease shown refreshes the dates; the cooperative window loaded them when
    // it went to the lease.
    if (auto *now = dynamic_cast<ui::TLeaseChild *>(ActiveChild()); !coop && now && !now->IsCooperative())
        now->AjusteDates();
    if (dataset::TDataSource *source = Navig->DataSource(); source && source->DataSet()
        && source->DataSet()->State() == dataset::TDataSetState::Browse)
        source->DataSet()->Refresh();
}

void TMainForm::IDM_ImpLotClick()
{
    if (m_commands.batchPrint)
        m_commands.batchPrint(this);
}

void TMainForm::IDM_QuitterClick()
{
    close();
}

void TMainForm::IDM_ConfigurationClick()
{
    if (!m_commands.configuration)
        return;
    m_commands.configuration(this);
    SetLanguage();
}

void TMainForm::IDM_ReIndexerClick()
{
    if (m_reindexForm)
        return;
    m_reindexForm = new TReindexForm(m_dataDir.isEmpty() ? DataDirectory() : m_dataDir, this);
}

void TMainForm::IDM_MosaiqueClick() { m_mdi->tileSubWindows(); }
void TMainForm::IDM_CascadeClick() { m_mdi->cascadeSubWindows(); }

void TMainForm::IDM_ArrangeAllClick()
{
    // Minimised windows in a row along the bottom of the area, left to right.
    int x = 0;
    for (QMdiSubWindow *sub : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized())
            continue;
        const QSize size = sub->size();
        sub->move(x, m_mdi->viewport()->height() - size.height());
        x += size.width();
    }
}

void TMainForm::IDM_ToutfermerClick()
{
    QList<QMdiSubWindow *> subs = m_mdi->subWindowList(QMdiArea::CreationOrder);
    for (auto it = subs.rbegin(); it != subs.rend(); ++it)
        (*it)->close();
}

int TMainForm::ActiveHelpContext() const
{
    const ui::TMdiChild *child = ActiveChild();
    return child ? child->HelpContext() : kHelpContext;
}

void TMainForm::IDM_IndexClick()
{
    THelp &help = THelp::Instance();
    help.Command(kHelpContext, ActiveHelpContext());
    if (THelpViewer *viewer = help.Viewer()) {
        const QRect r = frameGeometry();
        viewer->setUpdatesEnabled(false);
        viewer->setGeometry(r.left() + 20, r.top() + 20, r.width() - 40, r.height() - 40);
        viewer->setUpdatesEnabled(true);
    }
}

void TMainForm::IDM_HelpOnHelpClick()
{
    THelp::Instance().Command(kHelpContext, kHelpOnHelp);
}

void TMainForm::IDM_AboutClick()
{
    TAboutBox box(m_dataDir.isEmpty() ? DataDirectory() : m_dataDir, this);
    box.exec();
}

void TMainForm::FillWindowMenu()
{
    for (QAction *a : m_windowItems)
        delete a;
    m_windowItems.clear();
    const QList<QMdiSubWindow *> subs = m_mdi->subWindowList(QMdiArea::CreationOrder);
    if (subs.isEmpty())
        return;
    m_windowItems << m_windowMenu->addSeparator();
    int n = 0;
    for (QMdiSubWindow *sub : subs) {
        ++n;
        const QString caption = n < 10 ? QStringLiteral("&%1 %2").arg(n).arg(sub->windowTitle())
                                        : QStringLiteral("%1 %2").arg(n).arg(sub->windowTitle());
        QAction *a = m_windowMenu->addAction(caption);
        a->setCheckable(true);
        a->setChecked(sub == m_mdi->currentSubWindow());
        QPointer<QMdiSubWindow> target(sub);
        connect(a, &QAction::triggered, this, [this, target] {
            if (target)
                m_mdi->setActiveSubWindow(target);
        });
        m_windowItems << a;
    }
}

void TMainForm::ConnectMenuMaj(bool on)
{
    disconnect(m_menuMajConnection);
    if (on)
        m_menuMajConnection = connect(m_mdi, &QMdiArea::subWindowActivated, this, &TMainForm::SubWindowActivated);
}

void TMainForm::SubWindowActivated()
{
    QMdiSubWindow *sub = m_mdi->currentSubWindow();
    // Focus leaving for a dialog keeps the toolbar with the child that has it.
    if (sub != m_lentTo || !sub) {
        ResetToolbar();
        m_lentTo = sub;
        if (ui::TMdiChild *child = ActiveChild())
            child->ChildActivated(*this);
    }
    MenuMaj();
}

void TMainForm::MenuMaj()
{
    const bool anyChild = !m_mdi->subWindowList().isEmpty();
    for (const char *name : {"IDM_ArrangeAll", "IDM_Cascade", "IDM_Mosaique", "IDM_Fermer", "IDM_Toutfermer"})
        Item(QString::fromLatin1(name))->setEnabled(anyChild);
    // A child that installed a print action is a lease window.
    const bool canPrint = ActiveChild() && m_printAction && Navig->isEnabled();
    Item(QStringLiteral("IDM_BailCourant"))->setEnabled(canPrint);
    SBPrint->setEnabled(canPrint);
    SBPreview->setEnabled(canPrint);
    Item(QStringLiteral("IDM_ReIndexer"))->setEnabled(!anyChild);
    Item(QStringLiteral("IDM_Configuration"))->setEnabled(!anyChild && bool(m_commands.configuration));
}

dataset::TDBNavigator &TMainForm::Navigator()
{
    return *Navig;
}

void TMainForm::SetPrintAction(std::function<void()> action)
{
    m_printAction = std::move(action);
}

void TMainForm::SetPreviewAction(std::function<void()> action)
{
    m_previewAction = std::move(action);
}

void TMainForm::SetCopyAction(std::function<void()> action)
{
    m_copyAction = std::move(action);
}

void TMainForm::SetPrintCommandsEnabled(bool enabled)
{
    SBPrint->setEnabled(enabled);
    SBPreview->setEnabled(enabled);
    SBCopy->setEnabled(enabled);
    Item(QStringLiteral("IDM_BailCourant"))->setEnabled(enabled);
}

void TMainForm::SetStatusText(int panel, const QString &text)
{
    if (panel >= 0 && panel < 3)
        m_panels[panel]->setText(text);
}

void TMainForm::ResetToolbar()
{
    Navig->SetDataSource(nullptr);
    Navig->BeforeAction = nullptr;
    Navig->OnClick = nullptr;
    for (int b = 0; b < dataset::kNavigateButtonCount; ++b)
        Navig->SetButtonVisible(dataset::TNavigateBtn(b), true);
    Navig->setGeometry(3, 3, 400, 40);
    Navig->setEnabled(false);
    m_printAction = nullptr;
    m_previewAction = nullptr;
    m_copyAction = nullptr;
    SetPrintCommandsEnabled(false);
    SetStatusText(0, QString());
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    ConnectMenuMaj(false);
    m_mdi->closeAllSubWindows();
    if (!m_mdi->subWindowList().isEmpty()) {
        // A child kept its unsaved row: the program goes on.
        ConnectMenuMaj(true);
        event->ignore();
        SubWindowActivated();
        return;
    }
    THelp::Instance().Command(kHelpQuit);
    event->accept();
}

void TMainForm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_reindexForm && m_reindexForm->isVisible())
        m_reindexForm->activateWindow();
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    // F1 over an open menu shows the help of the highlighted item.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_F1)
        if (auto *menu = qobject_cast<QMenu *>(watched); menu && menu->activeAction()) {
            const int context = menu->activeAction()->property("helpContext").toInt();
            if (context > 0) {
                menu->close();
                THelp::Instance().Command(kHelpContext, context);
                return true;
            }
        }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace app
