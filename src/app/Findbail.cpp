#include "app/Findbail.h"

#include "dataset/Common.h"
#include "dataset/DBGrid.h"
#include "dataset/Field.h"
#include "db/FieldProps.h"
#include "db/Schema.h"
#include "db/Settings.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace app {

namespace {

struct TFindColumn {
    const char *field;
    const char *fr;
    const char *en;
    int width; // characters
};

const TFindColumn kColumns[] = {
    {"NOBAIL", "N° de bail", "Lease No.", 6},
    {"A_NOM1", "Nom", "Name", 30},
    {"A_APP1", "App.", "Apt.", 6},
    {"A_NO1", "N°", "No.", 6},
    {"A_RUE1", "Rue", "Street", 30},
    {"A_MUNIC1", "Municipalité", "Municipality", 30},
    {"A_CP1", "Code postal", "Postal code", 7},
    {"A_TELDOM1", "Tél. domicile", "Telephone (domicile)", 10},
    {"A_TELAUT1", "Tél. autre", "Telephone (other)", 10},
    {"A_NOM2", "Colocataire", "Joint tenant", 50},
};

} // namespace

TFindBailDlg::TFindBailDlg(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("FindBailDlg"));
    resize(545, 270);
    const bool french = dataset::WorkingLanguage() == QLatin1Char('F');
    setWindowTitle(french ? QStringLiteral("Recherche") : QStringLiteral("Lease search"));

    BailStd.setObjectName(QStringLiteral("BailStd"));
    BailStd.SetDatabaseName(QLatin1String(db::kDatabaseName));
    BailStd.SetTableName(QStringLiteral("BAILSTD.DBF"));
    BailStd.SetIndexName(QStringLiteral("NOMLOC"));
    BailStd.SetReadOnly(true);
    BailStd.Open();
    db::ApplyFieldProperties(BailStd);
    DsBailStd.SetDataSet(&BailStd);

    L_Find = new QLabel(french ? QStringLiteral("Chercher :") : QStringLiteral("Find :"), this);
    L_Find->setObjectName(QStringLiteral("L_Find"));
    eFindText = new QLineEdit(this);
    eFindText->setObjectName(QStringLiteral("eFindText"));
    L_Find->setBuddy(eFindText);

    FindGrid = new dataset::TDBGrid(this);
    FindGrid->setObjectName(QStringLiteral("FindGrid"));
    std::vector<dataset::TColumn> columns;
    for (const TFindColumn &c : kColumns)
        columns.push_back({QLatin1String(c.field), QString::fromUtf8(french ? c.fr : c.en), c.width});
    FindGrid->SetColumns(columns);
    FindGrid->SetDataSource(&DsBailStd);
    // A column narrower than its title is widened to it, so that no title is cut.
    const int charWidth = std::max(1, FindGrid->fontMetrics().averageCharWidth());
    for (int i = 0; i < FindGrid->ColumnCount(); ++i) {
        const int needed = FindGrid->horizontalHeader()->sectionSizeHint(i);
        const int chars = (needed + charWidth - 1) / charWidth;
        if (chars > FindGrid->Column(i).width)
            FindGrid->SetColumnWidth(i, chars);
    }
    FindGrid->OnDblClick = [this](dataset::TDBGrid &) { accept(); };

    Pb_Select = new QPushButton(french ? QStringLiteral("Sélectionner") : QStringLiteral("Select"), this);
    Pb_Select->setObjectName(QStringLiteral("Pb_Select"));
    Pb_Select->setDefault(true);
    Pb_Cancel = new QPushButton(french ? QStringLiteral("Annuler") : QStringLiteral("Cancel"), this);
    Pb_Cancel->setObjectName(QStringLiteral("Pb_Cancel"));
    connect(Pb_Select, &QPushButton::clicked, this, &QDialog::accept);
    connect(Pb_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(eFindText, &QLineEdit::textChanged, this, [this](const QString &text) {
        try {
            eFindTextChange(text);
        } catch (...) {
            dataset::HandleEventException(std::current_exception());
        }
    });

    auto *layout = new QVBoxLayout(this);
    auto *find = new QHBoxLayout;
    // In English the text starts 5 pixels after the label; French keeps the layout's spacing.
    find->setSpacing(french ? find->spacing() : 5);
    find->addWidget(L_Find);
    find->addWidget(eFindText, 1);
    layout->addLayout(find);
    layout->addWidget(FindGrid, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Pb_Select);
    buttons->addWidget(Pb_Cancel);
    layout->addLayout(buttons);

    eFindText->setFocus();
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TFindBailDlg::~TFindBailDlg() = default;

void TFindBailDlg::eFindTextChange(const QString &text)
{
    if (text.isEmpty())
        BailStd.First();
    else
        BailStd.FindNearest(text);
}

QString TFindBailDlg::SelectedKey() const
{
    if (BailStd.IsEmpty())
        return QString();
    return BailStd.FieldByName(QStringLiteral("BAILAHCOOP"))->AsString();
}

QString TFindBailDlg::Run(QObject *owner)
{
    TFindBailDlg dialog(qobject_cast<QWidget *>(owner));
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.SelectedKey();
}

void InstallLeaseSearch()
{
    db::SetLeaseSearchHook([](QObject *owner) { return TFindBailDlg::Run(owner); });
}

} // namespace app
