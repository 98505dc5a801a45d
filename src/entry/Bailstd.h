#pragma once
// The standard lease window, regular ("NN") or for elderly or handicapped persons ("ON"):
// one lease at a time laid out like the paper form on four tabbed pages, browsed and
// saved with the main window's navigator, numbered on its first save, with its Annex row
// kept in step for the elderly kind.

#include "dataset/DataSource.h"
#include "dataset/MonthList.h"
#include "dataset/Table.h"
#include "db/BailKey.h"
#include "ui/ToolbarHost.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QScrollArea;
class QTabWidget;
class QVBoxLayout;
class QHBoxLayout;

namespace dataset {
class TDBCheckBox;
class TDBEdit;
class TDBRadioGroup;
enum class TNavigateBtn;
}

namespace ui {
class TFocusFrame;
class TKelButton;
class TKelSpeedButton;
class TMultiLang;
}

namespace entry {

struct TFormItem;
struct TFormSection;
struct TLeaseFormLayout;
struct TWording;
class TAnnexeForm;

// Help topics opened from the entry windows' small help buttons go through this hook,
// which the application sets to its help viewer.
using THelpTopicHook = std::function<void(int topic)>;
void SetHelpTopicHook(THelpTopicHook hook);
void ShowHelpTopic(int topic);

class TBailStdForm : public QWidget, public ui::TMdiChild, public ui::TLeaseChild {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 6;
    static constexpr int kFormHelpTopic = 15;
    // Marks the help buttons among the speed buttons of the form.
    static constexpr char kHelpButton[] = "leaseHelpButton";
    static constexpr int kPageCount = 4;
    static constexpr int kSplitDateCount = 8;

    // Opens its cursors on DbBailData and shows the last lease of its kind; engine errors
    // propagate. elderly: the "ON" kind with its Annex, otherwise "NN".
    TBailStdForm(QWidget *parent, bool elderly);
    ~TBailStdForm() override;

    void ChildActivated(ui::TToolbarHost &host) override;
    int HelpContext() const override { return kHelpContext; }
    QWidget &ChildWidget() override { return *this; }

    bool IsElderly() const override { return m_elderly; }
    bool IsCooperative() const override;
    db::TLeaseKind Kind() const;
    // Moves to the lease with that BAILAHCOOP key; stays where it is when there is none.
    void GoToLease(const QString &key) override;
    bool LeaveQuery() override;
    // Shows the saved data of the lease's lessor.
    void RelocateLessor();
    // Loads the eight split dates from their fields (typed, unsaved parts are lost).
    void AjusteDates() override;
    // Copies the current lease (and its Annex row) into a new saved lease and shows it;
    // nothing unless the lease is in browse state.
    void CopyCurrentLease();

    // Printing of the current lease, set by the printing module; without it the print and
    // preview commands of the toolbar do nothing for this window.
    using TPrintHook = std::function<void(TBailStdForm &form, bool preview)>;
    static void SetPrintHook(TPrintHook hook);
    void PrintCurrentLease(bool preview);

    // Split dates: saved parts copied from and back into the 24 controls; month lists
    // refilled in the working language (choices lost); the eight dates and the conditional
    // dates written and checked (throws EConvertError or EAbort on failure).
    void StoreDates();
    void RestoreDates();
    // A new row's default dates shown in the split dates nothing was typed into yet.
    void ShowNewRowDates();
    void CbMoisFill();
    void ValidAllDateCustom();
    // Page 1 in front, every page scrolled to the top.
    void ResetPages();
    void ResetMainHint();
    void EnableNobail();

    // The Annex row of the current lease: found (the Annex cursor on it) or not (unmoved).
    bool SeekAnnexe();
    // Saves an Annex row being edited, with the lease's number.
    void AnnexePost();
    // Every check-box field of the Annex row false (and the boxes of annexWindow unticked).
    void ResetAnnexFields(QWidget *annexWindow = nullptr);
    // The Annex button's edit steps before the Annex window is shown; true for a new row.
    bool PrepareAnnexEdit();

    bool NewLease() const { return m_newLease; }
    // The text the window last gave status panel 0.
    const QString &MainHint() const { return m_mainHint; }
    bool AutomaticNumbering() const { return m_autoNumber; }

    dataset::TTable &BailStdTable() { return BailStd; }
    dataset::TTable &VerifTable() { return BailStdVerif; }
    dataset::TTable &LocateurTable() { return Locateur; }
    dataset::TTable &BailConfTable() { return BailConf; }
    dataset::TTable &AnnexeTable() { return Annexe; }
    dataset::TTable &AnnexePrintTable() { return AnnexePrint; }
    dataset::TDataSource &BailStdSource() { return DsBailStd; }
    QTabWidget *Pages() const { return PC_Pages; }
    QScrollArea *PageArea(int index) const { return m_pageAreas.at(size_t(index)); }
    ui::TMultiLang *Translation() const { return m_lang; }
    // The word list the translation component carries: name, French, English per row.
    const QStringList &WordList() const { return m_words; }

    // The print command positions the lessor and Annex print cursors again once the print
    // dialog is closed.
    virtual bool RepositionsAfterPrintDialog() const { return false; }

protected:
    // The window of one layout's kind: the standard or the cooperative form.
    TBailStdForm(QWidget *parent, bool elderly, const TLeaseFormLayout &layout);

    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    // Rules some kinds add. The user typed into an "other" text (rent terms, method of
    // payment, section G) while it has the focus; the by-laws date is filled in with today
    // on entering it; the Annex window is captioned with the lease and the names refreshed
    // after it.
    virtual void OtherTextTyped(dataset::TDBEdit *) {}
    virtual bool FillsByLawsDateOnEnter() const { return true; }
    virtual bool AnnexWindowNamesLease() const { return true; }

    bool Editing() const;
    void SetField(const char *name, const QVariant &value);
    QString EditValue(dataset::TDBEdit *edit) const;

    // Controls the field rules refer to; every control is also found by its name.
    dataset::TDBEdit *E_D_Loyer = nullptr, *E_E_Date = nullptr, *E_G_Date = nullptr, *E_G_Loyer = nullptr,
                     *E_G_Autre = nullptr, *E_G_Chang1 = nullptr, *E_G_Chang2 = nullptr, *E_B_NbPiece = nullptr,
                     *E_D_Autre1 = nullptr, *E_D_Autre2 = nullptr, *E_D_Mode_Aut = nullptr;
    dataset::TDBCheckBox *ChB_D_Mois1 = nullptr, *ChB_D_Semaine1 = nullptr, *ChB_D_Mois2 = nullptr,
                         *ChB_D_Semaine2 = nullptr, *ChB_G_Mois = nullptr, *ChB_G_Semaine = nullptr,
                         *ChB_D_Mode_Chq = nullptr, *ChB_D_Mode_Arg = nullptr;

private:
    // One date typed as three parts.
    struct TSplitDate {
        const char *field = nullptr;
        int page = 0;
        dataset::TDBEdit *day = nullptr;
        dataset::TMonthComboBox *month = nullptr;
        dataset::TDBEdit *year = nullptr;
        dataset::TDateParts saved;
    };

    // Building (the section tables and their walk live in BailstdSections.cpp).
    void OpenCursors();
    void CreateTopPanel(QVBoxLayout *layout);
    void CreatePages(QVBoxLayout *layout);
    QWidget *BuildSection(const TFormSection &section, QWidget *page);
    void BuildItems(const TFormSection &section, QVBoxLayout *body, QWidget *parent);
    QWidget *MakeItem(const TFormSection &section, const TFormItem *&item, QWidget *parent, bool &stretches);
    QLabel *MakeLabel(const TFormSection &section, const TFormItem &item, QWidget *parent);
    QWidget *MakeSplitDate(const TFormItem &item, int page, QWidget *parent);
    QString NextLabelName(const TFormSection &section);
    const TWording *Wording(const char *standardFr) const;
    const char *ControlName(const char *standardName) const;
    bool NotOnThisForm(const TFormItem &item) const;
    void WireControls();
    void SetEnglishCaptions();
    void SetCaption();

    // Record life cycle.
    void Filter();
    void GenNobail();
    void BailStdNewRecord();
    void BailStdAfterInsert();
    void BailStdBeforePost();
    void BailStdAfterPost();
    void BailStdBeforeCancel();
    void BailStdAfterCancel();
    void BailStdBeforeDelete();
    bool NavigBeforeAction(dataset::TNavigateBtn button);
    void NavigClick(dataset::TNavigateBtn button);
    void UpdatePrintCommands();
    bool HostBound() const;
    bool FormCloseQuery();
    void FormClose();
    void SpB_SelLocateurClick();
    void PB_AnnexeClick();

    // Field rules.
    void RunFocusedExitStep();
    void RunExitStep(QWidget *control);
    void E_BailStdNobailExit();
    void E_D_LoyerExit();
    void FullDateExit(dataset::TDBEdit *edit);
    void FullDateEnter(dataset::TDBEdit *edit);
    void E_E_DateKeyPress();
    void E_G_LoyerKeyPress(int key);
    void E_G_LoyerChange();
    void E_G_AutreChange();
    void E_G_AutreExit();
    void E_G_ChangChange();
    void RG_G_MemeOuiClick();
    void Rg_E_ReglemenClick(int index);
    void Rg_E_RemisClick(int index);
    void TermPairClick(dataset::TDBCheckBox *clicked);
    void Ajuste_G_Meme();
    bool BailDateValide(TSplitDate &date);
    bool EnsureLeaseEditing();
    void ShowPageOf(QWidget *control);
    [[noreturn]] void FocusBackAndAbort(QWidget *control);
    void FocusBackLater(QWidget *control);
    void RunExitStepHere();
    bool AnnexEditing() const;

    const TLeaseFormLayout *m_layout = nullptr;
    bool m_elderly = false;
    bool m_autoNumber = false;     // BailConf.GENAUTO when the window opened
    bool m_newLease = false;       // between an insertion and its save or abandon
    bool m_exitStepRan = false;    // the focused control's exit step ran for the pending post
    bool m_inExitStep = false;
    bool m_destroying = false;     // the window is going: no field rules run
    bool m_rentEdited = false;     // E_D_Loyer typed into since its last exit step
    bool m_dateHint = false;       // a full date field has the focus: panel 0 shows the format
    ui::TToolbarHost *m_host = nullptr;
    ui::TMultiLang *m_lang = nullptr;
    ui::TFocusFrame *m_focusFrame = nullptr;
    QPointer<QWidget> m_focusBack; // control whose failed exit step wants the focus back
    QString m_mainHint;
    QStringList m_words;           // flattened word list: name, French, English
    int m_labelCount = 0;
    std::array<TSplitDate, kSplitDateCount> m_dates;
    std::vector<QScrollArea *> m_pageAreas;
    std::vector<QWidget *> m_exitControls; // controls with an exit step of their own

    dataset::TTable BailStd;      // the leases of the window's kind, BAILAHCOOP order
    dataset::TTable BailStdVerif; // all leases, NOBAIL order: number checks and copies
    dataset::TTable Locateur;     // the lessor of the current lease (master-detail)
    dataset::TTable BailConf;     // the configuration row
    dataset::TTable Annexe;       // the Annex row of the current lease, NOBAIL order
    dataset::TTable AnnexePrint;  // second Annex cursor: printing and copies
    dataset::TDataSource DsBailStd;
    dataset::TDataSource DsLocateur;

    QWidget *Pn_Top = nullptr;
    QLabel *L_BailStdNobail = nullptr;
    dataset::TDBEdit *E_BailStdNobail = nullptr;
    dataset::TDBRadioGroup *Rg_LangueImp = nullptr;
    ui::TKelButton *PB_Annexe = nullptr;
    QTabWidget *PC_Pages = nullptr;
    ui::TKelSpeedButton *SpB_SelLocateur = nullptr;

    dataset::TDBRadioGroup *Rg_E_Reglemen = nullptr, *Rg_E_Remis = nullptr, *RG_G_Meme = nullptr;
    QLabel *L_Partie1 = nullptr; // closing line whose English text is set in code
};

} // namespace entry
