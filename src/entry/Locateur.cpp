#include "entry/Locateur.h"

#include "dataset/Common.h"
#include "dataset/DBEdit.h"
#include "dataset/DBNavigator.h"
#include "dataset/Field.h"
#include "db/FieldProps.h"
#include "db/Numbering.h"
#include "db/Schema.h"
#include "ui/MessageBoxes.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVBoxLayout>

#include <cmath>

namespace entry {

using dataset::Pick;
using dataset::TDataSetState;
using dataset::TTable;

namespace {

constexpr int kWidth = 522;
constexpr int kHeight = 373;

bool Editing(const TTable &t)
{
    return t.State() == TDataSetState::Edit || t.State() == TDataSetState::Insert;
}

void OpenOn(TTable &t, const char *file, const char *index, bool readOnly = false)
{
    t.SetDatabaseName(QLatin1String(db::kDatabaseName));
    t.SetTableName(QLatin1String(file));
    if (index)
        t.SetIndexFieldNames(QLatin1String(index));
    t.SetReadOnly(readOnly);
    t.Open();
    db::ApplyFieldProperties(t);
}

// One labelled edit of the window: its label texts and its field.
struct TEditRow {
    dataset::TDBEdit *TLocateurForm::*edit;
    QLabel *TLocateurForm::*label;
    const char *name;
    const char *field;
    const char *fr;
    const char *en;
};

} // namespace

TLessorEvents &TLessorEvents::Instance()
{
    static TLessorEvents events;
    return events;
}

int NumberNewLessor(TTable &locateur, TTable &bailConf)
{
    dataset::TField *number = locateur.FieldByName(QStringLiteral("NOLOCATEUR"));
    if (number->AsInteger() != 0)
        return 0;
    // The configuration row's lock serialises every window and user numbering lessors; the
    // existence test runs on a cursor of its own, so the window's rows do not move.
    const int n = db::AssignLessorNumber(*bailConf.EngineTable(), *locateur.EngineTable());
    bailConf.Refresh();
    locateur.Edit();
    number->SetAsInteger(n);
    locateur.Post();
    return n;
}

int EnsureDefaultLessor(TTable &bailConf, TTable &locateurByName)
{
    bailConf.Refresh();
    dataset::TField *def = bailConf.FieldByName(QStringLiteral("NOLOCDEF"));
    if (!bailConf.IsEmpty() && def->AsInteger() != 0)
        return int(def->AsInteger());
    locateurByName.First();
    if (locateurByName.IsEmpty())
        return 0;
    const long long first = locateurByName.FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger();
    bailConf.Edit();
    try {
        def->SetAsInteger(first);
        bailConf.Post();
    } catch (...) {
        bailConf.Cancel();
        throw;
    }
    return int(first);
}

TLocateurForm::TLocateurForm(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("LocateurForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(kWidth, kHeight + 1);

    Locateur.setObjectName(QStringLiteral("Locateur"));
    BailConf.setObjectName(QStringLiteral("BailConf"));
    BailStd.setObjectName(QStringLiteral("BailStd"));
    OpenOn(Locateur, "LOCATEUR.dbf", "NOM");
    OpenOn(BailConf, "Bailconf.dbf", nullptr);
    OpenOn(BailStd, "BAILSTD.DBF", "NOLOCATEUR", true);
    DsLocateur.SetDataSet(&Locateur);

    Locateur.AfterPost = [this](TTable &) { LocateurAfterPost(); };
    Locateur.BeforeDelete = [this](TTable &) { LocateurBeforeDelete(); };

    CreateControls();
    SetCaptions();
    E_Nom->setFocus();
}

TLocateurForm::~TLocateurForm() = default;

void TLocateurForm::CreateControls()
{
    static const TEditRow kAddress[] = {
        {&TLocateurForm::E_No, &TLocateurForm::L_No, "E_No", "NO", "N°", "No."},
        {&TLocateurForm::E_Rue, &TLocateurForm::L_Rue, "E_Rue", "RUE", "Rue", "Street"},
        {&TLocateurForm::E_App, &TLocateurForm::L_App, "E_App", "APP", "App.", "Apt."},
        {&TLocateurForm::E_Munic, &TLocateurForm::L_Munic, "E_Munic", "MUNIC", "Municipalité", "Municipality"},
        {&TLocateurForm::E_Cp, &TLocateurForm::L_Cp, "E_Cp", "CP", "Code postal", "Postal code"},
    };
    static const TEditRow kPhones[] = {
        {&TLocateurForm::E_TelDom, &TLocateurForm::L_TelDom, "E_TelDom", "TELDOM", "Domicile", "Domicile"},
        {&TLocateurForm::E_TelAut, &TLocateurForm::L_TelAut, "E_TelAut", "TELAUT", "Autre", "Other"},
    };
    static const TEditRow kRep[] = {
        {&TLocateurForm::E_NomRep, &TLocateurForm::L_NomRep, "E_NomRep", "NOMREP", "Nom", "Name"},
        {&TLocateurForm::E_Fonction, &TLocateurForm::L_Fonction, "E_Fonction", "FONCTION", "Fonction", "Position"},
    };

    auto makeEdit = [this](QWidget *parent, const TEditRow &row) {
        auto *edit = new dataset::TDBEdit(parent);
        edit->setObjectName(QLatin1String(row.name));
        edit->SetDataSource(&DsLocateur);
        edit->SetDataField(QLatin1String(row.field));
        this->*row.edit = edit;
        auto *label = new QLabel(QString::fromUtf8(dataset::WorkingLanguage() == QLatin1Char('F') ? row.fr : row.en), parent);
        label->setBuddy(edit);
        this->*row.label = label;
        return edit;
    };
    auto makeGroup = [&](QGroupBox *&box, const char *name, const TEditRow *rows, size_t count) {
        box = new QGroupBox(this);
        box->setObjectName(QLatin1String(name));
        auto *grid = new QGridLayout(box);
        for (size_t i = 0; i < count; ++i) {
            dataset::TDBEdit *edit = makeEdit(box, rows[i]);
            grid->addWidget(this->*rows[i].label, int(i), 0);
            grid->addWidget(edit, int(i), 1);
        }
        grid->setColumnStretch(1, 1);
        return box;
    };

    auto *layout = new QVBoxLayout(this);
    auto *top = new QGridLayout;
    static const TEditRow kName{&TLocateurForm::E_Nom, &TLocateurForm::L_Nom, "E_Nom", "NOM", "&Nom", "&Name"};
    makeEdit(this, kName);
    top->addWidget(L_Nom, 0, 0);
    top->addWidget(E_Nom, 0, 1);
    layout->addLayout(top);
    layout->addWidget(makeGroup(Gb_Adresse, "Gb_Adresse", kAddress, std::size(kAddress)));
    auto *middle = new QHBoxLayout;
    middle->addWidget(makeGroup(Gb_Telephone, "Gb_Telephone", kPhones, std::size(kPhones)));
    middle->addWidget(makeGroup(Gb_Rep, "Gb_Rep", kRep, std::size(kRep)), 1);
    layout->addLayout(middle);
    layout->addStretch(1);
}

void TLocateurForm::SetCaptions()
{
    const bool french = dataset::WorkingLanguage() == QLatin1Char('F');
    setWindowTitle(french ? QStringLiteral("Propriétaire") : QStringLiteral("Landlord"));
    Gb_Adresse->setTitle(french ? QStringLiteral("&Adresse") : QStringLiteral("&Address"));
    Gb_Telephone->setTitle(french ? QStringLiteral("&Téléphones") : QStringLiteral("&Telephones"));
    Gb_Rep->setTitle(french ? QStringLiteral("&Représentant") : QStringLiteral("&Representative"));
}

void TLocateurForm::ChildActivated(ui::TToolbarHost &host)
{
    m_host = &host;
    dataset::TDBNavigator &navigator = host.Navigator();
    navigator.setEnabled(true);
    navigator.SetDataSource(&DsLocateur);
    navigator.BeforeAction = nullptr;
    navigator.OnClick = [this](dataset::TNavigateBtn button) { NavigClick(button); };
    host.SetStatusText(0, QString());
}

void TLocateurForm::NavigClick(dataset::TNavigateBtn button)
{
    if (button == dataset::TNavigateBtn::Insert)
        E_Nom->setFocus();
}

void TLocateurForm::LocateurAfterPost()
{
    if (!m_numbering) {
        m_numbering = true;
        try {
            NumberNewLessor(Locateur, BailConf);
        } catch (...) {
            m_numbering = false;
            throw;
        }
        m_numbering = false;
    }
    if (!m_numbering)
        emit TLessorEvents::Instance().LessorSaved(int(Locateur.FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger()));
}

void TLocateurForm::LocateurBeforeDelete()
{
    if (ui::AskDeleteRecord(this) != QMessageBox::Yes)
        dataset::Abort();
    Locateur.Edit(); // holds the row while the leases are looked through
    try {
        const long long number = Locateur.FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger();
        if (number != 0 && BailStd.FindKey(number)) {
            ui::ShowMessageBox(QMessageBox::Information, Pick("Attention", "Warning"),
                               Pick("Vous ne pouvez détruire un locateur\rauquel des baux sont associés.",
                                    "You can't delete a landlord which\rhas been associated to leases."),
                               QMessageBox::Ok, QMessageBox::Ok, this);
            Locateur.Cancel();
            dataset::Abort();
        }
        BailConf.Refresh();
        dataset::TField *def = BailConf.FieldByName(QStringLiteral("NOLOCDEF"));
        if (number != 0 && !BailConf.IsEmpty() && def->AsInteger() == number) {
            BailConf.Edit();
            try {
                def->Clear();
                BailConf.Post();
            } catch (...) {
                BailConf.Cancel();
                throw;
            }
        }
    } catch (const dataset::EAbort &) {
        throw;
    } catch (...) {
        if (Editing(Locateur))
            Locateur.Cancel();
        throw;
    }
}

void TLocateurForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Centred across the top of the main window's client area, at a fixed size.
    auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget());
    if (!sub || !sub->mdiArea())
        return;
    const int areaWidth = sub->mdiArea()->viewport()->width();
    const int left = int(std::lround((areaWidth - kWidth) / 2.0));
    sub->setGeometry(left, 2, kWidth, kHeight);
}

bool TLocateurForm::FormCloseQuery()
{
    if (!Editing(Locateur))
        return true;
    switch (ui::AskKeepChanges(this)) {
    case QMessageBox::Yes:
        Locateur.Post();
        return true;
    case QMessageBox::No:
        Locateur.Cancel();
        return true;
    default:
        return false;
    }
}

void TLocateurForm::FormClose()
{
    EnsureDefaultLessor(BailConf, Locateur);
    if (m_host) {
        m_host->ResetToolbar();
        m_host = nullptr;
    }
}

void TLocateurForm::closeEvent(QCloseEvent *event)
{
    try {
        if (!FormCloseQuery()) {
            event->ignore();
            return;
        }
        FormClose();
    } catch (...) {
        // A save that failed keeps the window open with what was typed.
        event->ignore();
        dataset::HandleEventException(std::current_exception());
        return;
    }
    event->accept();
}

} // namespace entry
