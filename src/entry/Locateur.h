#pragma once
// The lessor window: lessors typed in, browsed in name order with the main window's
// navigator, numbered when first saved, deleted only when no lease refers to them.

#include "dataset/DataSource.h"
#include "dataset/Table.h"
#include "ui/ToolbarHost.h"

#include <QObject>
#include <QWidget>

class QGroupBox;
class QLabel;

namespace dataset {
class TDBEdit;
enum class TNavigateBtn;
}

namespace entry {

// Lease windows listen here to re-locate their lessor after any lessor is saved.
class TLessorEvents : public QObject {
    Q_OBJECT
public:
    static TLessorEvents &Instance();
signals:
    void LessorSaved(int lessorNumber);
};

// Gives the just-saved lessor row under locateur its number when it has none (NOLOCATEUR
// reads 0): the lessor counter of the configuration row is taken and increased under the
// row's lock (wrapping from 9999, skipping numbers in use), then the lessor row is saved
// with it. Returns the number given, 0 when the row already had one.
int NumberNewLessor(dataset::TTable &locateur, dataset::TTable &bailConf);

// When the configuration row names no default lessor, the first lessor in name order
// becomes it (nothing when there are no lessors). Returns the default lessor afterwards.
int EnsureDefaultLessor(dataset::TTable &bailConf, dataset::TTable &locateurByName);

class TLocateurForm : public QWidget, public ui::TMdiChild {
    Q_OBJECT
public:
    // Opens its cursors on the database name DbBailData; engine errors propagate.
    explicit TLocateurForm(QWidget *parent = nullptr);
    ~TLocateurForm() override;

    void ChildActivated(ui::TToolbarHost &host) override;
    int HelpContext() const override { return 7; }
    QWidget &ChildWidget() override { return *this; }

    dataset::TTable &LocateurTable() { return Locateur; }
    dataset::TTable &BailConfTable() { return BailConf; }
    dataset::TDataSource &LocateurSource() { return DsLocateur; }
    dataset::TDBEdit *NameEdit() const { return E_Nom; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void CreateControls();
    void SetCaptions();
    void LocateurAfterPost();
    void LocateurBeforeDelete();
    void NavigClick(dataset::TNavigateBtn button);
    bool FormCloseQuery();
    void FormClose();

    dataset::TTable Locateur;  // the lessors, NOM order
    dataset::TTable BailConf;  // the configuration row
    dataset::TTable BailStd;   // leases, read-only, NOLOCATEUR order: the delete check
    dataset::TDataSource DsLocateur;
    ui::TToolbarHost *m_host = nullptr; // set while the window is the active child
    bool m_numbering = false;           // inside the second save of a new lessor

    QGroupBox *Gb_Adresse = nullptr;
    QGroupBox *Gb_Telephone = nullptr;
    QGroupBox *Gb_Rep = nullptr;
    QLabel *L_Nom = nullptr, *L_No = nullptr, *L_Rue = nullptr, *L_App = nullptr, *L_Munic = nullptr,
           *L_Cp = nullptr, *L_TelDom = nullptr, *L_TelAut = nullptr, *L_NomRep = nullptr, *L_Fonction = nullptr;
    dataset::TDBEdit *E_Nom = nullptr, *E_No = nullptr, *E_Rue = nullptr, *E_App = nullptr, *E_Munic = nullptr,
                     *E_Cp = nullptr, *E_TelDom = nullptr, *E_TelAut = nullptr, *E_NomRep = nullptr,
                     *E_Fonction = nullptr;
};

} // namespace entry
