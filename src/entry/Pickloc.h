#pragma once
// The lessor picker: a modal list of the lessors in name order from which the lease
// windows choose a lease's lessor and the configuration dialog the default lessor.

#include "dataset/DataSource.h"
#include "dataset/Table.h"
#include "ui/KelButton.h"

#include <QDialog>

#include <optional>

namespace dataset {
class TDBGrid;
class TDBNavigator;
}

namespace entry {

class TPickLocDlg : public QDialog {
    Q_OBJECT
public:
    // Who asks: captions differ for the default lessor of the configuration.
    enum class TOwnerKind { Lease, Configuration };

    // currentNumber is the owner's lessor number (the lease's NOLOCATEUR, or NOLOCDEF);
    // that lessor is current when it exists, the first by name otherwise.
    TPickLocDlg(QWidget *owner, TOwnerKind ownerKind, long long currentNumber);
    ~TPickLocDlg() override;

    // The NOLOCATEUR of the current row (0 when the table is empty).
    int SelectedNumber() const;

    dataset::TDBGrid *Grid() const { return DBGrid1; }
    ui::TKelButton *SelectButton() const { return PB_Selectionner; }
    ui::TKelButton *CancelButton() const { return PB_Annuler; }
    dataset::TTable &LocateurTable() { return Locateur; }

    // Runs the picker modally; the picked number, or nullopt when cancelled.
    static std::optional<int> Pick(QWidget *owner, TOwnerKind ownerKind, long long currentNumber);

private:
    void SetCaptions(TOwnerKind ownerKind);
    void DBGrid1DblClick();

    dataset::TTable Locateur;
    dataset::TDataSource DsLocateur;
    dataset::TDBNavigator *DBNavigator1 = nullptr;
    dataset::TDBGrid *DBGrid1 = nullptr;
    ui::TKelButton *PB_Selectionner = nullptr;
    ui::TKelButton *PB_Annuler = nullptr;
};

} // namespace entry
