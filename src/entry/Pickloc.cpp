#include "entry/Pickloc.h"

#include "dataset/Common.h"
#include "dataset/DBGrid.h"
#include "dataset/DBNavigator.h"
#include "dataset/Field.h"
#include "db/FieldProps.h"
#include "db/Schema.h"
#include "ui/KelButton.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>

namespace entry {

namespace {

struct TPickColumn {
    const char *field;
    const char *fr;
    const char *en;
    int width; // characters
};

const TPickColumn kColumns[] = {
    {"NOM", "Nom", "Name", 25},
    {"NO", "N°", "No.", 6},
    {"RUE", "Rue", "Street", 18},
    {"APP", "App.", "Apt.", 6},
    {"MUNIC", "Municipalité", "Municipality", 19},
    {"CP", "Code Postal", "Postal code", 10},
    {"NOMREP", "Représentant", "Representative's Name", 30},
    {"FONCTION", "Fonction", "Representative's Position", 30},
    {"TELDOM", "Téléphone domicile", "Telephone (domicile)", 16},
    {"TELAUT", "Téléphone autre", "Telephone (other)", 13},
};

constexpr QSize kButtonSize(120, 30);

bool French()
{
    return dataset::WorkingLanguage() == QLatin1Char('F');
}

} // namespace

TPickLocDlg::TPickLocDlg(QWidget *owner, TOwnerKind ownerKind, long long currentNumber)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("PickLocDlg"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    resize(527, 268);

    Locateur.setObjectName(QStringLiteral("Locateur"));
    Locateur.SetDatabaseName(QLatin1String(db::kDatabaseName));
    Locateur.SetTableName(QStringLiteral("LOCATEUR.dbf"));
    Locateur.SetIndexFieldNames(QStringLiteral("NOM"));
    Locateur.SetReadOnly(true);
    Locateur.Open();
    db::ApplyFieldProperties(Locateur);
    DsLocateur.SetDataSet(&Locateur);

    DBNavigator1 = new dataset::TDBNavigator(this, &ui::NewToolbarButton);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->SetVisibleButtons({dataset::TNavigateBtn::First, dataset::TNavigateBtn::Prior,
                                     dataset::TNavigateBtn::Next, dataset::TNavigateBtn::Last});
    DBNavigator1->SetLanguage(dataset::WorkingLanguage());
    DBNavigator1->SetDataSource(&DsLocateur);

    DBGrid1 = new dataset::TDBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    std::vector<dataset::TColumn> columns;
    for (const TPickColumn &c : kColumns)
        columns.push_back({QLatin1String(c.field), QString::fromUtf8(French() ? c.fr : c.en), c.width});
    DBGrid1->SetColumns(columns);
    DBGrid1->SetDataSource(&DsLocateur);
    DBGrid1->OnDblClick = [this](dataset::TDBGrid &) { DBGrid1DblClick(); };

    // Stock OK and Cancel buttons: their results close the dialog, Enter and Escape click them.
    PB_Selectionner = new ui::TKelButton(this);
    PB_Selectionner->setObjectName(QStringLiteral("PB_Selectionner"));
    ui::UseDialogLook(*PB_Selectionner);
    PB_Selectionner->SetKind(ui::bkOK);
    PB_Selectionner->SetDefault(true);
    PB_Selectionner->setFixedSize(kButtonSize);
    PB_Annuler = new ui::TKelButton(this);
    PB_Annuler->setObjectName(QStringLiteral("PB_Annuler"));
    ui::UseDialogLook(*PB_Annuler);
    PB_Annuler->SetKind(ui::bkCancel);
    PB_Annuler->SetCancel(true);
    PB_Annuler->setFixedSize(kButtonSize);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(DBNavigator1, 0, Qt::AlignLeft);
    layout->addWidget(DBGrid1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(PB_Selectionner);
    buttons->addWidget(PB_Annuler);
    layout->addLayout(buttons);

    SetCaptions(ownerKind);
    PB_Selectionner->setEnabled(!Locateur.IsEmpty());

    // Found by number, then shown by name with the found row still current.
    Locateur.SetIndexFieldNames(QStringLiteral("NOLOCATEUR"));
    const bool found = Locateur.FindKey(QString::number(currentNumber));
    Locateur.SetIndexFieldNames(QStringLiteral("NOM"));
    if (!found)
        Locateur.First();

    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TPickLocDlg::~TPickLocDlg() = default;

void TPickLocDlg::SetCaptions(TOwnerKind ownerKind)
{
    const bool config = ownerKind == TOwnerKind::Configuration;
    if (French()) {
        setWindowTitle(config ? QStringLiteral("Sélection du locateur par défaut") : QStringLiteral("Sélection du locateur"));
        PB_Selectionner->setText(QStringLiteral("Sélectionner"));
        PB_Annuler->setText(QStringLiteral("Annuler"));
    } else {
        setWindowTitle(config ? QStringLiteral("Default Lessor selection") : QStringLiteral("Lessor selection"));
        PB_Selectionner->setText(QStringLiteral("&Select"));
        PB_Annuler->setText(QStringLiteral("&Cancel"));
    }
}

void TPickLocDlg::DBGrid1DblClick()
{
    if (!Locateur.IsEmpty())
        accept();
}

int TPickLocDlg::SelectedNumber() const
{
    if (Locateur.IsEmpty())
        return 0;
    return int(Locateur.FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger());
}

std::optional<int> TPickLocDlg::Pick(QWidget *owner, TOwnerKind ownerKind, long long currentNumber)
{
    TPickLocDlg dialog(owner, ownerKind, currentNumber);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.SelectedNumber();
}

} // namespace entry
