#pragma once
// The configuration dialog: working language, automatic lease numbering and its counter,
// default lessor and the save-toner option, all of the one row of BailConf.

#include "dataset/DataSource.h"
#include "dataset/Table.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;
class QToolButton;

namespace dataset {
class TDBCheckBox;
class TDBEdit;
class TDBRadioGroup;
}

namespace app {

class TConfigForm : public QDialog {
    Q_OBJECT
public:
    // Opens the configuration table, asking whether to retry while another user or program
    // holds it; Opened() tells whether it could (the dialog is shown only then).
    explicit TConfigForm(QWidget *owner = nullptr);
    ~TConfigForm() override;

    bool Opened() const { return m_opened; }
    int HelpContext() const { return 8; }

    dataset::TTable &BailConfTable() { return BailConf; }
    dataset::TDBEdit *NoBailEdit() const { return E_NoBail; }
    dataset::TDBCheckBox *GenAutoBox() const { return ChB_GenAuto; }
    dataset::TDBEdit *LessorNameEdit() const { return E_Locateur_Nom; }
    QPushButton *OkButton() const { return Pb_Ok; }

    // The buttons' handlers, callable as clicks.
    void Pb_OkClick();
    void Pb_AnnulerClick();
    void Pb_SelLocateurClick();

    // Closing asks whether to keep pending changes; refused on Cancel.
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Escape is the Cancel button: the row's changes go without a question.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void OpenConfiguration();
    void CreateControls();
    void SetEnglishTexts();
    void UpdateNoBailLook();
    bool FormCloseQuery();
    void FormClose();

    dataset::TTable BailConf;
    dataset::TTable Locateur; // read-only, follows BailConf.NOLOCDEF
    dataset::TDataSource DsBailConf;
    dataset::TDataSource DsLocateur;
    bool m_opened = false;
    bool m_closed = false; // the closing copy of the settings was made

    dataset::TDBRadioGroup *RG_LangueTrav = nullptr;
    QGroupBox *Gb_NumeroBail = nullptr;
    QLabel *L_Nobail = nullptr;
    dataset::TDBEdit *E_NoBail = nullptr;
    QLabel *L_Genauto = nullptr;
    dataset::TDBCheckBox *ChB_GenAuto = nullptr;
    QLabel *HelpLabel = nullptr;
    QGroupBox *Gb_NoLocDef = nullptr;
    dataset::TDBEdit *E_Locateur_Nom = nullptr;
    QToolButton *Pb_SelLocateur = nullptr;
    QGroupBox *GB_Impression = nullptr;
    dataset::TDBCheckBox *Chb_SaveToner = nullptr;
    QLabel *L_SaveToner = nullptr;
    QPushButton *Pb_Ok = nullptr;
    QPushButton *Pb_Annuler = nullptr;
};

} // namespace app
