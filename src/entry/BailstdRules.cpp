// The rules between the fields of the standard lease window: dates typed in parts, full
// date fields, the lease number, the rent amount of the Annex, the rent term pairs, the
// by-laws answers and the notice to a new lessee.

#include "entry/Bailstd.h"

#include "dataset/Common.h"
#include "dataset/DBCheckBox.h"
#include "dataset/DBEdit.h"
#include "dataset/DBRadioGroup.h"
#include "dataset/Field.h"
#include "db/LeaseRules.h"
#include "db/Settings.h"
#include "entry/Inputmnt.h"
#include "ui/EditHelpers.h"
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>

namespace entry {

using dataset::TDataSetState;

namespace {

QString WorkLanguage()
{
    return QString(dataset::WorkingLanguage());
}

bool French()
{
    return dataset::WorkingLanguage() == QLatin1Char('F');
}

bool TypesCharacter(const QKeyEvent *e)
{
    const QString t = e->text();
    return !t.isEmpty() && (t.at(0).isPrint() || e->key() == Qt::Key_Backspace)
           && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

} // namespace

QString TBailStdForm::EditValue(dataset::TDBEdit *edit) const
{
    return edit->Value().trimmed();
}

void TBailStdForm::SetField(const char *name, const QVariant &value)
{
    dataset::TField *f = BailStd.FieldByName(QLatin1String(name));
    if (!value.isValid())
        f->Clear();
    else
        f->SetValue(value);
}

void TBailStdForm::ShowPageOf(QWidget *control)
{
    for (size_t i = 0; i < m_pageAreas.size(); ++i)
        if (m_pageAreas[i]->isAncestorOf(control)) {
            PC_Pages->setCurrentIndex(int(i));
            m_pageAreas[i]->ensureWidgetVisible(control);
            return;
        }
}

// ---- Exit steps -------------------------------------------------------------------

void TBailStdForm::RunFocusedExitStep()
{
    QWidget *focused = QApplication::focusWidget();
    if (!focused || !isAncestorOf(focused))
        return;
    for (QWidget *w : m_exitControls)
        if (w == focused) {
            RunExitStep(w);
            return;
        }
}

void TBailStdForm::RunExitStep(QWidget *control)
{
    if (m_inExitStep)
        return;
    m_inExitStep = true;
    try {
        if (control == E_BailStdNobail)
            E_BailStdNobailExit();
        else if (control == E_D_Loyer)
            E_D_LoyerExit();
        else if (control == E_E_Date || control == E_G_Date)
            FullDateExit(static_cast<dataset::TDBEdit *>(control));
        else if (control == E_G_Loyer)
            E_G_LoyerChange();
        else if (control == E_G_Autre)
            E_G_AutreExit();
    } catch (...) {
        m_inExitStep = false;
        throw;
    }
    m_inExitStep = false;
}

bool TBailStdForm::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (m_destroying)
        return false;
    switch (event->type()) {
    case QEvent::FocusOut: {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        // Another window taking the activation (a message box, a menu) is not leaving the field.
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            break;
        for (const TSplitDate &d : m_dates)
            if (widget == d.day || widget == d.month || widget == d.year)
                StoreDates();
        if (!widget || m_inExitStep || std::find(m_exitControls.begin(), m_exitControls.end(), widget) == m_exitControls.end())
            break;
        m_focusBack = nullptr;
        try {
            RunExitStep(widget);
        } catch (const dataset::EAbort &) {
            FocusBackLater(m_focusBack);
        } catch (...) {
            FocusBackLater(widget);
            dataset::HandleEventException(std::current_exception());
        }
        break;
    }
    case QEvent::FocusIn:
        if (widget == E_E_Date || widget == E_G_Date) {
            try {
                FullDateEnter(static_cast<dataset::TDBEdit *>(widget));
            } catch (...) {
                dataset::HandleEventException(std::current_exception());
            }
        }
        break;
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        try {
            if (widget == E_B_NbPiece)
                return ui::AmountKeyFilter(watched, key);
            if (widget == E_E_Date && TypesCharacter(key))
                E_E_DateKeyPress();
            else if (widget == E_G_Loyer && TypesCharacter(key))
                E_G_LoyerKeyPress(key->key());
        } catch (...) {
            dataset::HandleEventException(std::current_exception());
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TBailStdForm::FocusBackLater(QWidget *control)
{
    // Not while the focus is changing: once the change is over, with the page in front.
    QPointer<QWidget> back = control;
    QTimer::singleShot(0, this, [this, back] {
        if (!back || m_destroying)
            return;
        ShowPageOf(back);
        back->setFocus();
    });
}

void TBailStdForm::E_BailStdNobailExit()
{
    if (!E_BailStdNobail->isEnabled())
        return;
    const db::TLeaseNumberCheck check = db::CheckManualLeaseNumber(EditValue(E_BailStdNobail), BailStdVerif);
    if (check == db::TLeaseNumberCheck::Ok)
        return;
    ui::ShowMessageBox(QMessageBox::Warning, QStringLiteral("Attention"), db::LeaseNumberMessage(check),
                       QMessageBox::Ok, QMessageBox::Ok, this);
    FocusBackAndAbort(E_BailStdNobail);
}

void TBailStdForm::E_D_LoyerExit()
{
    if (!m_elderly || !m_rentEdited)
        return;
    m_rentEdited = false;
    dataset::TField *amountField = Annexe.FieldByName(QStringLiteral("MNTBAIL"));
    double amount = 0;
    if (AnnexEditing() || SeekAnnexe())
        amount = amountField->AsFloat();
    const std::optional<double> confirmed = TInputMntDlg::Ask(this, amount);
    if (!confirmed)
        return;
    EnsureLeaseEditing();
    if (!AnnexEditing()) {
        if (SeekAnnexe()) {
            Annexe.Edit();
        } else {
            Annexe.Insert();
            ResetAnnexFields();
        }
    }
    Annexe.FieldByName(QStringLiteral("NOBAIL"))->SetAsString(BailStd.FieldByName(QStringLiteral("NOBAIL"))->AsString());
    amountField->SetAsFloat(*confirmed);
}

void TBailStdForm::FullDateEnter(dataset::TDBEdit *edit)
{
    m_dateHint = true;
    if (HostBound())
        m_host->SetStatusText(0, French() ? QStringLiteral("Format de date: aaaa/mm/jj") : QStringLiteral("Date format: yyyy/mm/dd"));
    if (edit == E_E_Date && FillsByLawsDateOnEnter() && Rg_E_Remis->ItemIndex() == 0 && BailStd.FieldByName(QStringLiteral("E_DATE"))->IsNull()) {
        EnsureLeaseEditing();
        BailStd.FieldByName(QStringLiteral("E_DATE"))->SetAsDate(QDate::currentDate());
    }
}

void TBailStdForm::FullDateExit(dataset::TDBEdit *edit)
{
    m_dateHint = false;
    ResetMainHint();
    const QString text = db::CheckFullDateText(EditValue(edit));
    if (text.isEmpty() && Editing() && !edit->Field()->IsNull())
        edit->Field()->Clear();
}

void TBailStdForm::E_E_DateKeyPress()
{
    EnsureLeaseEditing();
    SetField("E_REMIS", true);
}

// ---- Split dates ----------------------------------------------------------------------

void TBailStdForm::AjusteDates()
{
    for (TSplitDate &d : m_dates) {
        const dataset::TDateParts parts = dataset::SplitDateText(BailStd.FieldByName(QLatin1String(d.field))->AsString());
        d.day->setText(parts.day);
        d.month->SetMonth(parts.month);
        d.year->setText(parts.year);
    }
    StoreDates();
}

void TBailStdForm::StoreDates()
{
    for (TSplitDate &d : m_dates)
        d.saved = {EditValue(d.day), d.month->Month(), EditValue(d.year)};
}

void TBailStdForm::ShowNewRowDates()
{
    for (TSplitDate &d : m_dates) {
        if (!EditValue(d.day).isEmpty() || d.month->Month() != 0 || !EditValue(d.year).isEmpty())
            continue; // typed before the row began: the save takes it
        const dataset::TDateParts parts = dataset::SplitDateText(BailStd.FieldByName(QLatin1String(d.field))->AsString());
        d.day->setText(parts.day);
        d.month->SetMonth(parts.month);
        d.year->setText(parts.year);
    }
    StoreDates();
}

void TBailStdForm::RestoreDates()
{
    for (TSplitDate &d : m_dates) {
        d.day->setText(d.saved.day);
        d.month->SetMonth(d.saved.month);
        d.year->setText(d.saved.year);
    }
}

void TBailStdForm::CbMoisFill()
{
    for (TSplitDate &d : m_dates)
        d.month->Fill(dataset::WorkingLanguage());
}

bool TBailStdForm::BailDateValide(TSplitDate &d)
{
    const dataset::TDateParts parts{EditValue(d.day), d.month->Month(), EditValue(d.year)};
    const db::TSplitDateCheck check = db::CheckSplitDate(parts);
    dataset::TField *field = BailStd.FieldByName(QLatin1String(d.field));
    switch (check.outcome) {
    case db::TSplitDateOutcome::Empty:
        if (!field->IsNull())
            field->Clear();
        return true;
    case db::TSplitDateOutcome::Valid:
        if (field->AsString() != check.date)
            field->SetAsDate(*db::ParseDateText(check.date));
        return true;
    case db::TSplitDateOutcome::Invalid:
        break;
    }
    ShowPageOf(d.day);
    d.day->setFocus();
    throw db::EConvertError(db::SplitDateErrorText(parts.day, d.month->currentText(), parts.year, WorkLanguage()));
}

void TBailStdForm::ValidAllDateCustom()
{
    for (TSplitDate &d : m_dates)
        BailDateValide(d);
    const db::TConditionalDateIssue issue = db::CheckConditionalDates(BailStd, WorkLanguage());
    if (issue.target == db::TDateTarget::None)
        return;
    QWidget *target = issue.target == db::TDateTarget::ByLawsDate ? static_cast<QWidget *>(E_E_Date)
                      : issue.target == db::TDateTarget::ReadyDate1 ? static_cast<QWidget *>(m_dates[6].day)
                                                                     : static_cast<QWidget *>(m_dates[7].day);
    ui::ShowMessageBox(QMessageBox::Information, issue.caption, issue.text, QMessageBox::Ok, QMessageBox::Ok, this);
    ShowPageOf(target);
    target->setFocus();
    dataset::Abort();
}

// ---- Rent term pairs, by-laws, notice to a new lessee --------------------------------

void TBailStdForm::TermPairClick(dataset::TDBCheckBox *clicked)
{
    if (!Editing())
        return;
    struct TPair {
        dataset::TDBCheckBox *month, *week;
        const char *other;
        dataset::TDBEdit *otherEdit;
    };
    const TPair pairs[] = {{ChB_D_Mois1, ChB_D_Semaine1, "D_AUTRE1", E_D_Autre1},
                           {ChB_D_Mois2, ChB_D_Semaine2, "D_AUTRE2", E_D_Autre2},
                           {ChB_G_Mois, ChB_G_Semaine, "G_AUTRE", E_G_Autre}};
    for (const TPair &p : pairs) {
        if (clicked != p.month && clicked != p.week)
            continue;
        const bool sectionG = p.month == ChB_G_Mois;
        if (p.otherEdit->hasFocus() || (sectionG && E_G_Loyer->hasFocus()))
            return;
        dataset::TDBCheckBox *other = clicked == p.month ? p.week : p.month;
        other->Field()->SetAsBoolean(!clicked->Field()->AsBoolean());
        SetField(p.other, QVariant());
        if (sectionG)
            Ajuste_G_Meme();
        return;
    }
}

void TBailStdForm::Rg_E_ReglemenClick(int index)
{
    if (!Editing())
        return;
    if (index == 1) {
        SetField("E_REMIS", QVariant());
        SetField("E_DATE", QVariant());
    } else if (Rg_E_Remis->ItemIndex() < 0) {
        SetField("E_REMIS", false);
    }
}

void TBailStdForm::Rg_E_RemisClick(int index)
{
    if (!Editing())
        return;
    if (index == 1)
        SetField("E_DATE", QVariant());
    SetField("E_REGLEMEN", true);
}

void TBailStdForm::Ajuste_G_Meme()
{
    const bool term = BailStd.FieldByName(QStringLiteral("G_MOIS"))->AsBoolean()
                      || BailStd.FieldByName(QStringLiteral("G_SEMAINE"))->AsBoolean() || !EditValue(E_G_Autre).isEmpty();
    if (term && BailStd.FieldByName(QStringLiteral("G_MEME"))->IsNull())
        SetField("G_MEME", true);
}

void TBailStdForm::E_G_LoyerKeyPress(int key)
{
    if (key != Qt::Key_Backspace && !BailStd.FieldByName(QStringLiteral("G_MOIS"))->AsBoolean()
        && !BailStd.FieldByName(QStringLiteral("G_SEMAINE"))->AsBoolean() && EditValue(E_G_Autre).isEmpty()) {
        EnsureLeaseEditing();
        SetField("G_MOIS", true);
    }
    if (Editing())
        Ajuste_G_Meme();
}

void TBailStdForm::E_G_LoyerChange()
{
    if (!Editing())
        return;
    if (!EditValue(E_G_Loyer).isEmpty()) {
        if (!BailStd.FieldByName(QStringLiteral("G_MOIS"))->AsBoolean()
            && !BailStd.FieldByName(QStringLiteral("G_SEMAINE"))->AsBoolean() && EditValue(E_G_Autre).isEmpty()) {
            SetField("G_MOIS", true);
            Ajuste_G_Meme();
        }
        return;
    }
    // No lowest rent: the notice does not apply, nothing of it stays.
    BailStd.DisableControls();
    try {
        for (const char *name : {"G_LOYER", "G_AUTRE", "G_MEME", "G_CHANG1", "G_CHANG2"})
            SetField(name, QVariant());
        SetField("G_MOIS", false);
        SetField("G_SEMAINE", false);
    } catch (...) {
        BailStd.EnableControls();
        throw;
    }
    BailStd.EnableControls();
}

void TBailStdForm::E_G_AutreChange()
{
    if (!Editing() || !E_G_Autre->hasFocus())
        return;
    if (EditValue(E_G_Autre).isEmpty() && EditValue(E_G_Loyer).isEmpty())
        SetField("G_MEME", QVariant());
    Ajuste_G_Meme();
}

void TBailStdForm::E_G_AutreExit()
{
    if (!Editing())
        return;
    if (BailStd.FieldByName(QStringLiteral("G_MOIS"))->AsBoolean() || BailStd.FieldByName(QStringLiteral("G_SEMAINE"))->AsBoolean()
        || !EditValue(E_G_Autre).isEmpty() || !EditValue(E_G_Loyer).isEmpty())
        return;
    SetField("G_MEME", QVariant());
    // The focus does not stop on the emptied same-conditions answer.
    QTimer::singleShot(0, this, [this] {
        QWidget *focused = QApplication::focusWidget();
        if (focused && RG_G_Meme->isAncestorOf(focused))
            focusNextChild();
    });
}

void TBailStdForm::E_G_ChangChange()
{
    if (!Editing())
        return;
    if (!EditValue(E_G_Chang1).isEmpty() || !EditValue(E_G_Chang2).isEmpty())
        SetField("G_MEME", false);
}

void TBailStdForm::RG_G_MemeOuiClick()
{
    if (!Editing())
        return;
    SetField("G_CHANG1", QVariant());
    SetField("G_CHANG2", QVariant());
}

} // namespace entry
