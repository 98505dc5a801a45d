#pragma once
// The batch print dialog: leases ticked in a grid, of every lessor or of one, printed or
// previewed in one printout in the order they were ticked, each with its whole page plan.

#include "dataset/DataSource.h"
#include "dataset/Table.h"

#include <QDialog>
#include <QHash>
#include <QImage>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>

class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QPainter;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace ui {
class TKelDBGrid;
}

namespace forms {

struct TBatchResult;

class TPrintBatch : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 10;

    // Opens its four cursors on the data folder's tables; engine errors propagate.
    explicit TPrintBatch(QWidget *owner = nullptr);
    ~TPrintBatch() override;

    // The lease numbers ticked, in the order they were ticked.
    const QStringList &Selection() const { return m_selection; }
    // What the last print or preview did with each selected lease.
    const TBatchResult *LastResult() const { return m_lastResult.get(); }

    ui::TKelDBGrid *Grid() const { return KelDBGrid1; }
    dataset::TTable &LeaseTable() { return BailStd; }

    // Shows a help topic; the program installs its help viewer here.
    static void SetHelpHook(std::function<void(int topic)> hook);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void done(int result) override;

private:
    void FormCreate();
    void FormClose();
    bool FormCloseQuery() { return true; }
    void TousClick();
    void ParticulierClick();
    void CBLocateurChange();
    void BailStdGridDrawDataCell(QPainter &painter, const QRect &rect, int column, int row);
    bool BailStdGridKeyDown(QKeyEvent *event);
    void KelDBGrid1CLickCell(int column, int row);
    void SelectAllClick(QPushButton *sender);
    void PrintBtnClick(QPushButton *sender);
    void CloseBtnClick();
    void BailStdCalcFields();
    QString BailStdLocateurGetText(long long lessor) const;

    void ApplyEnglishCaptions();
    void ToggleCurrent();
    // Runs a handler, its errors to the application's handler.
    void Guarded(const std::function<void()> &handler);
    QString RowNumber(int gridRow) const;

    dataset::TTable BailStd;    // the grid's leases: NOBAIL, or NOLOCATEUR under one lessor
    dataset::TTable BailStdPrt; // the leases printed, NOBAIL
    dataset::TTable Locateur;   // NOLOCATEUR; the leases' master under one lessor
    dataset::TTable Annexe;     // NOBAIL
    dataset::TDataSource DsBailStd;
    dataset::TDataSource DsLocateur;

    QLabel *Instruction = nullptr;
    QGroupBox *RGLocateur = nullptr;
    QRadioButton *Tous = nullptr;
    QRadioButton *Particulier = nullptr;
    QComboBox *CBLocateur = nullptr; // item data: the lessor's NOLOCATEUR
    QPushButton *SelectAll = nullptr;
    QPushButton *UnSelectAll = nullptr;
    QPushButton *BtnPreview = nullptr;
    QPushButton *PrintBtn = nullptr;
    QPushButton *CloseBtn = nullptr;
    ui::TKelDBGrid *KelDBGrid1 = nullptr;
    QProgressBar *ProgressBar = nullptr;

    QStringList m_selection;             // lease numbers in ticking order
    QSet<QString> m_selected;            // the same, for look-ups while painting
    QHash<long long, QString> m_lessorNames; // Nom of each NOLOCATEUR
    QImage m_check, m_uncheck;           // cbCheck, cbUCheck
    std::unique_ptr<TBatchResult> m_lastResult;
};

} // namespace forms
