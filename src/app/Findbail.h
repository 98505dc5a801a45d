#pragma once
// The lease search: every lease of every kind in the order of the first lessee's name,
// with a search text that moves the list as it is typed.

#include "dataset/DataSource.h"
#include "dataset/Table.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace dataset {
class TDBGrid;
}

namespace app {

class TFindBailDlg : public QDialog {
    Q_OBJECT
public:
    explicit TFindBailDlg(QWidget *owner = nullptr);
    ~TFindBailDlg() override;

    // The lease key (BAILAHCOOP) of the current row; empty when there is none.
    QString SelectedKey() const;

    QLineEdit *FindText() const { return eFindText; }
    dataset::TDBGrid *Grid() const { return FindGrid; }
    dataset::TTable &LeaseTable() { return BailStd; }

    // Runs the search modally: the chosen lease key, or an empty text when cancelled.
    static QString Run(QObject *owner);

private:
    void eFindTextChange(const QString &text);

    dataset::TTable BailStd; // read-only, NOMLOC order, every kind
    dataset::TDataSource DsBailStd;
    QLabel *L_Find = nullptr;
    QLineEdit *eFindText = nullptr;
    dataset::TDBGrid *FindGrid = nullptr;
    QPushButton *Pb_Select = nullptr;
    QPushButton *Pb_Cancel = nullptr;
};

// Makes Run the system's lease search (db::RunLeaseSearch).
void InstallLeaseSearch();

} // namespace app
