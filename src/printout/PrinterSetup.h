#pragma once
// The printer set-up dialog: which installed printer the application prints on, with which
// paper, orientation and paper source. OK makes the choice the application printer, that new
// printouts copy; a printer gone meanwhile or a size it refuses keeps the dialog open with a
// message, nothing changed.

#include <QDialog>

class QComboBox;
class QDialogButtonBox;
class QGroupBox;
class QLabel;
class QRadioButton;

namespace printout {

class TPrinterSetupDialog : public QDialog {
    Q_OBJECT
public:
    explicit TPrinterSetupDialog(QWidget *parent = nullptr);

    QComboBox *CB_Imprimante = nullptr; // installed queues, the application printer first chosen
    QComboBox *CB_Papier = nullptr;     // paper size codes (item data), a custom size kept as it is
    QComboBox *CB_Source = nullptr;     // paper source (item data: Qt's PaperSource value)
    QRadioButton *RB_Portrait = nullptr;
    QRadioButton *RB_Paysage = nullptr;

    void accept() override;

private:
    bool Apply();

    QDialogButtonBox *m_buttons = nullptr;
    int m_customWidth = 0, m_customLength = 0; // the custom size the printer had, 0.1 mm
};

} // namespace printout
