#pragma once
// The rent amount dialog: confirms, as a number, the rent of a lease whose Annex adds its
// services to it. It touches no table: the lease window writes the result into the Annex.

#include "ui/KelButton.h"

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;

namespace entry {

class TInputMntDlg : public QDialog {
    Q_OBJECT
public:
    explicit TInputMntDlg(QWidget *owner = nullptr);
    ~TInputMntDlg() override;

    // In: the Annex's current amount (0 when none); out, after the dialog closed: the
    // confirmed amount (the amount it opened with after Cancel).
    double Amount() const { return m_amount; }
    void SetAmount(double amount);

    // Runs the dialog modally: the confirmed amount, or nullopt when cancelled.
    static std::optional<double> Ask(QWidget *owner, double amount);

    QLineEdit *AmountEdit() const { return E_Montant; }
    ui::TKelButton *OkButton() const { return Pb_Ok; }
    ui::TKelButton *CancelButton() const { return Pb_Annuler; }

    // Closing converts the text; a text that is no number keeps the dialog open.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Escape is the Cancel button, so a text that is no number closes without a message.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void ShowAmount(double amount);
    void E_MontantExit();
    void Pb_AnnulerClick();

    double m_amount = 0;      // the amount in and out
    double m_savedAmount = 0; // taken when shown, restored by Cancel
    QString m_lastText;       // the field before the last edit, for the length limit
    QLabel *L_E_Montant = nullptr;
    QLineEdit *E_Montant = nullptr;
    ui::TKelButton *Pb_Ok = nullptr;
    ui::TKelButton *Pb_Annuler = nullptr;
};

} // namespace entry
