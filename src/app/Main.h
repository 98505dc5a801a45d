#pragma once
// The main window: an MDI frame that prepares the data folder at start, hosts the entry
// windows, lends its toolbar to the active one, and opens every other window.

#include "ui/ToolbarHost.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>

class QAction;
class QImage;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace dataset {
class TDBNavigator;
}
namespace printout {
class TPrinterSetupDialog;
}
namespace ui {
class TKelSpeedButton;
class TMultiLang;
}

namespace app {

class TReindexForm;
struct TMenuTable;

// One row of the main window's word list: a component name and its French and English
// texts. "\"" continues the list of the component above, "\".Hint" gives its hint.
struct TWord {
    const char *name;
    const char *french;
    const char *english;
};
// The main window's word list, flattened for the translation component.
QStringList MainFormWords();

// Windows and dialogs built by other parts of the program. A command whose function is
// empty keeps its menu item disabled.
struct TWindowCommands {
    // A lease window of a kind, moved to the lease key when one is given.
    std::function<ui::TMdiChild *(QWidget *parent, bool elderly, bool coop, const QString &key)> leaseWindow;
    std::function<ui::TMdiChild *(QWidget *parent)> lessorWindow;
    // Modal dialogs, created, run and destroyed by the function.
    std::function<void(QWidget *parent)> batchPrint;
    std::function<void(QWidget *parent)> configuration;
};
// The commands of the windows that exist in this build.
TWindowCommands DefaultWindowCommands();

class TMainForm : public QMainWindow, public ui::TToolbarHost {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 1;

    explicit TMainForm(TWindowCommands commands = DefaultWindowCommands(), QWidget *parent = nullptr);
    ~TMainForm() override;

    // The start-up steps over the process's data folder: database name, seeding, upgrade,
    // configuration row, working language, index check. Engine errors propagate after the
    // steps before them took effect.
    void Start();
    const QString &DataDir() const { return m_dataDir; }

    // Re-applies the working language: every translation component, Qt's own texts, the help set.
    void SetLanguage();

    // Opens a lease window of a kind and moves it to key (may be empty).
    ui::TMdiChild *OpenLeaseWindow(bool elderly, bool coop, const QString &key = QString());
    // Puts a child window into the MDI area and shows it; the window is owned from now on.
    QMdiSubWindow *AddChild(ui::TMdiChild &child);
    // The reindex window while it exists.
    TReindexForm *ReindexForm() const;
    // The active child window, or null.
    ui::TMdiChild *ActiveChild() const;
    QMdiArea *MdiArea() const { return m_mdi; }
    // A menu item or toolbar button by its name (IDM_Fermer, SBPrint ...), or null.
    QAction *Item(const QString &name) const;
    ui::TKelSpeedButton *Button(const QString &name) const;
    ui::TMultiLang *MultiLang() const { return m_multiLang; }
    // Help context that F1 shows now.
    int ActiveHelpContext() const;
    // When set, the printer set-up command hands its dialog to the hook instead of showing
    // it (tests answer it there); an empty hook removes it.
    static void SetPrinterSetupHook(std::function<void(printout::TPrinterSetupDialog &)> hook);

    // TToolbarHost
    dataset::TDBNavigator &Navigator() override;
    void SetPrintAction(std::function<void()> action) override;
    void SetPreviewAction(std::function<void()> action) override;
    void SetCopyAction(std::function<void()> action) override;
    void SetPrintCommandsEnabled(bool enabled) override;
    void SetStatusText(int panel, const QString &text) override;
    void ResetToolbar() override;

public slots:
    // Enables the commands that depend on the open child windows.
    void MenuMaj();
    void IDM_ReIndexerClick();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void IDM_BailLogementlStdClick();
    void IDM_BailLogementPahClick();
    void IDM_BailCoopStdClick();
    void IDM_BailCoopPahClick();
    void IDM_FermerClick();
    void Configurationdelimpression1Click();
    void IDM_BailCourantClick();
    void IDM_ImpLotClick();
    void IDM_QuitterClick();
    void IDM_ProprietaireClick();
    void IDM_ConfigurationClick();
    void IDM_MosaiqueClick();
    void IDM_CascadeClick();
    void IDM_ArrangeAllClick();
    void IDM_ToutfermerClick();
    void IDM_IndexClick();
    void IDM_HelpOnHelpClick();
    void IDM_AboutClick();
    void SpB_FindBailClick();
    void SBPreviewClick();
    void SBCopyClick();
    void SubWindowActivated();
    void FillWindowMenu();

private:
    friend struct TMenuTable;
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    ui::TKelSpeedButton *AddSpeedButton(const char *name, int x, const QImage &glyph);
    void ConnectMenuMaj(bool on);

    TWindowCommands m_commands;
    QString m_dataDir;
    QMdiArea *m_mdi = nullptr;
    QWidget *ToolBar = nullptr;
    dataset::TDBNavigator *Navig = nullptr;
    ui::TKelSpeedButton *SBPreview = nullptr;
    ui::TKelSpeedButton *SBPrint = nullptr;
    ui::TKelSpeedButton *SpB_FindBail = nullptr;
    ui::TKelSpeedButton *SBCopy = nullptr;
    QLabel *m_panels[3] = {};
    QMenu *m_windowMenu = nullptr;
    QList<QAction *> m_windowItems; // the child-window entries of IDM_Fenetre
    ui::TMultiLang *m_multiLang = nullptr;
    QPointer<TReindexForm> m_reindexForm;
    QPointer<QMdiSubWindow> m_lentTo; // child holding the toolbar
    std::function<void()> m_printAction, m_previewAction, m_copyAction;
    QMetaObject::Connection m_menuMajConnection;
};

} // namespace app
