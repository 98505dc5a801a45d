#include "entry/Inputmnt.h"

#include "dataset/Common.h"
#include "dataset/Field.h"
#include "ui/KelButton.h"
#include "ui/MessageBoxes.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScreen>
#include <QValidator>
#include <QVBoxLayout>

#include <algorithm>

namespace entry {

namespace {

constexpr int kMaxChars = 9;
constexpr QSize kButtonSize(100, 30);

bool French()
{
    return dataset::WorkingLanguage() == QLatin1Char('F');
}

QChar DecimalSeparator()
{
    return QLocale::system().decimalPoint().at(0);
}

// Refuses an edit that makes the text longer than max characters, or longer still when it
// already was (last: the text before the edit; the line edit's own is already changed here).
class TLengthLimit : public QValidator {
public:
    TLengthLimit(int max, const QString &last, QObject *parent) : QValidator(parent), m_max(max), m_last(last) {}
    State validate(QString &input, int &) const override
    {
        return input.size() <= m_max || input.size() <= m_last.size() ? Acceptable : Invalid;
    }

private:
    int m_max;
    const QString &m_last;
};

} // namespace

TInputMntDlg::TInputMntDlg(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("InputMntDlg"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

    L_E_Montant = new QLabel(this);
    L_E_Montant->setObjectName(QStringLiteral("L_E_Montant"));
    E_Montant = new QLineEdit(this);
    E_Montant->setObjectName(QStringLiteral("E_Montant"));
    E_Montant->setAlignment(Qt::AlignRight);
    E_Montant->installEventFilter(this);
    L_E_Montant->setBuddy(E_Montant);
    // Stock OK and Cancel: their results close the dialog through done(), which checks the
    // amount; Cancel puts the opening amount back first, so it always closes.
    Pb_Ok = new ui::TKelButton(this);
    Pb_Ok->setObjectName(QStringLiteral("Pb_Ok"));
    ui::UseDialogLook(*Pb_Ok);
    Pb_Ok->SetKind(ui::bkOK);
    Pb_Ok->setText(QStringLiteral("&Ok"));
    Pb_Ok->SetDefault(true);
    Pb_Ok->setFixedSize(kButtonSize);
    Pb_Annuler = new ui::TKelButton(this);
    Pb_Annuler->setObjectName(QStringLiteral("Pb_Annuler"));
    ui::UseDialogLook(*Pb_Annuler);
    Pb_Annuler->SetKind(ui::bkCancel);
    Pb_Annuler->SetCancel(true);
    Pb_Annuler->setFixedSize(kButtonSize);
    Pb_Annuler->OnClick = [this](ui::TKelButtonFace &) { Pb_AnnulerClick(); };

    const bool french = French();
    setWindowTitle(french ? QStringLiteral("Confirmation du montant de loyer") : QStringLiteral("Rent amount confirmation"));
    L_E_Montant->setText(french ? QStringLiteral("Montant ") : QStringLiteral("Amount"));
    Pb_Annuler->setText(french ? QStringLiteral("&Annuler") : QStringLiteral("&Cancel"));

    auto *layout = new QVBoxLayout(this);
    auto *row = new QHBoxLayout;
    row->addWidget(L_E_Montant);
    row->addWidget(E_Montant, 1);
    layout->addLayout(row);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Pb_Ok);
    buttons->addWidget(Pb_Annuler);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // At most nine characters typed or pasted; a longer amount the dialog opened with stays
    // as it is until the user shortens it. The limit judges every edit before it is made, so
    // no key gets past it.
    E_Montant->setValidator(new TLengthLimit(kMaxChars, m_lastText, E_Montant));
    connect(E_Montant, &QLineEdit::textChanged, this, [this](const QString &text) { m_lastText = text; });
}

TInputMntDlg::~TInputMntDlg() = default;

void TInputMntDlg::SetAmount(double amount)
{
    m_amount = amount;
    ShowAmount(amount);
}

void TInputMntDlg::ShowAmount(double amount)
{
    // Known to the length limit first, so that a longer amount opened with is valid as it stands.
    m_lastText = dataset::FormatFloat(QStringLiteral("#####0.00"), amount);
    E_Montant->setText(m_lastText);
}

void TInputMntDlg::showEvent(QShowEvent *event)
{
    ShowAmount(m_amount);
    m_savedAmount = m_amount;
    QDialog::showEvent(event);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    E_Montant->setFocus();
    E_Montant->selectAll();
}

bool TInputMntDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == E_Montant) {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            const QString text = key->text();
            if (text == QLatin1String(".") || text == QLatin1String(",")) {
                // Either separator types the system's own, once.
                const QChar separator = DecimalSeparator();
                QString current = E_Montant->text();
                if (E_Montant->hasSelectedText())
                    current.remove(E_Montant->selectionStart(), E_Montant->selectedText().size());
                if (!current.contains(separator))
                    E_Montant->insert(QString(separator));
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            E_MontantExit();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TInputMntDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Pb_Annuler->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TInputMntDlg::E_MontantExit()
{
    if (E_Montant->text().size() <= kMaxChars)
        return;
    const bool french = French();
    ui::ShowMessageBox(QMessageBox::Warning, french ? QStringLiteral("Attention") : QStringLiteral("Warning"),
                       french ? QStringLiteral("Le maximum autorisé est 999999.99")
                              : QStringLiteral("The authorized maximum is 999999.99"),
                       QMessageBox::Ok, QMessageBox::Ok, this);
    E_Montant->setFocus();
}

void TInputMntDlg::Pb_AnnulerClick()
{
    m_amount = m_savedAmount;
    ShowAmount(m_savedAmount);
}

void TInputMntDlg::done(int result)
{
    bool ok = false;
    const double value = QLocale::system().toDouble(E_Montant->text().trimmed(), &ok);
    if (!ok) {
        const bool french = French();
        ui::ShowMessageBox(QMessageBox::Warning, french ? QStringLiteral("Attention") : QStringLiteral("Warning"),
                           french ? QStringLiteral("Valeur invalide, veuillez entrer\rune valeur numérique")
                                  : QStringLiteral("Invalid value, please enter a\rnumeric value"),
                           QMessageBox::Ok, QMessageBox::Ok, this);
        E_Montant->setFocus();
        return;
    }
    m_amount = value;
    QDialog::done(result);
}

std::optional<double> TInputMntDlg::Ask(QWidget *owner, double amount)
{
    TInputMntDlg dialog(owner);
    dialog.SetAmount(amount);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Amount();
}

} // namespace entry
