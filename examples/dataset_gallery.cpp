// One of each bound control on a demo lease table, saved as a picture:
//   dataset_gallery [output.png]   (default: dataset_gallery.png beside the program)

#include "ExampleSupport.h"

#include "dataset/DBCheckBox.h"
#include "dataset/DBComboBox.h"
#include "dataset/DBEdit.h"
#include "dataset/DBGrid.h"
#include "dataset/DBNavigator.h"
#include "dataset/DBRadioGroup.h"
#include "dataset/DataSource.h"
#include "dataset/Field.h"
#include "dataset/MonthList.h"
#include "dataset/Table.h"
#include "ui/EditHelpers.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

int main(int argc, char **argv)
{
    examples::ChoosePlatform();
    QApplication app(argc, argv);
    const QString out = examples::ArgumentOr(argc, argv, examples::BesideProgram(QStringLiteral("dataset_gallery.png")));
    examples::TDemoData demo;
    if (!demo.Make(60, 6))
        return 1;

    QWidget window;
    window.setWindowTitle(QStringLiteral("Contrôles liés"));
    auto *table = new dataset::TTable(&window);
    table->setObjectName(QStringLiteral("BailStd"));
    table->SetTableName(db::TableFile(demo.Path(), db::kBailStd, "dbf"));
    table->SetIndexName(QStringLiteral("BAILAHCOOP"));
    table->Open();
    table->FieldByName(QStringLiteral("A_CP1"))->SetEditMask(QStringLiteral(">l9l\\ 9l9;1; "));
    table->FieldByName(QStringLiteral("A_TELDOM1"))->SetEditMask(QStringLiteral("!\\(999\\)\\ 999-9999;0; "));
    table->FieldByName(QStringLiteral("A_TELDOM1"))->SetAlignment(Qt::AlignRight);
    ui::ApplyDottedEditMasks(*table);
    auto *source = new dataset::TDataSource(&window);
    source->SetDataSet(table);

    auto *layout = new QVBoxLayout(&window);
    auto *nav = new dataset::TDBNavigator(&window);
    nav->SetDataSource(source);
    layout->addWidget(nav, 0, Qt::AlignLeft);

    auto *form = new QFormLayout;
    layout->addLayout(form);
    auto edit = [&](const char *field, int chars) {
        auto *e = new dataset::TDBEdit(&window);
        e->SetDataSource(source);
        e->SetDataField(QLatin1String(field));
        e->setFixedWidth(e->fontMetrics().averageCharWidth() * chars + 16);
        return e;
    };
    form->addRow(QStringLiteral("Nom (TDBEdit, pointillé)"), edit("A_NOM1", 40));
    form->addRow(QStringLiteral("Code postal (masque)"), edit("A_CP1", 9));
    form->addRow(QStringLiteral("Téléphone (masque)"), edit("A_TELDOM1", 16));
    form->addRow(QStringLiteral("Appartement (6 points)"), edit("A_APP1", 9));

    auto *check = new dataset::TDBCheckBox(&window);
    check->SetDataSource(source);
    check->SetDataField(QStringLiteral("B_MEUBLE"));
    form->addRow(QStringLiteral("Meublé (TDBCheckBox)"), check);

    auto *group = new dataset::TDBRadioGroup(&window);
    group->SetDataSource(source);
    group->SetDataField(QStringLiteral("B_FINRESID"));
    form->addRow(QStringLiteral("Résidentiel (Oui/Non)"), group);

    auto *combo = new dataset::TDBComboBox(&window);
    combo->SetItems({QStringLiteral("Laval"), QStringLiteral("Longueuil"), QStringLiteral("Montréal"),
                     QStringLiteral("Québec"), QStringLiteral("Sherbrooke")});
    combo->SetDataSource(source);
    combo->SetDataField(QStringLiteral("B_MUNIC"));
    combo->setMinimumContentsLength(24);
    form->addRow(QStringLiteral("Municipalité (TDBComboBox)"), combo);

    // A split date: day, month list and year, loaded from the field as the lease windows do.
    auto *date = new QHBoxLayout;
    auto *day = new dataset::TDBEdit(&window);
    day->SetEditMask(QStringLiteral("99;0;."));
    day->setFixedWidth(day->fontMetrics().averageCharWidth() * 3 + 16);
    auto *month = new dataset::TMonthComboBox(&window);
    month->SetDataSource(source);
    auto *year = new dataset::TDBEdit(&window);
    year->SetEditMask(QStringLiteral("9999;0;."));
    year->setFixedWidth(year->fontMetrics().averageCharWidth() * 5 + 16);
    const dataset::TDateParts parts = dataset::SplitDateText(table->FieldByName(QStringLiteral("C_DEBUT"))->AsString());
    day->setText(parts.day);
    month->SetMonth(parts.month);
    year->setText(parts.year);
    date->addWidget(day);
    date->addWidget(month);
    date->addWidget(year);
    date->addStretch(1);
    form->addRow(QStringLiteral("Début (date en trois parties)"), date);

    auto *grid = new dataset::TDBGrid(&window);
    grid->SetColumns({{QStringLiteral("BAILAHCOOP"), QStringLiteral("Bail"), 11},
                      {QStringLiteral("A_NOM1"), QStringLiteral("Locataire"), 26},
                      {QStringLiteral("B_MUNIC"), QStringLiteral("Municipalité"), 16},
                      {QStringLiteral("D_LOYER"), QStringLiteral("Loyer"), 10}});
    grid->SetDataSource(source);
    grid->setMinimumHeight(220);
    layout->addWidget(new QLabel(QStringLiteral("Baux (TDBGrid)"), &window));
    layout->addWidget(grid);

    table->MoveBy(3);
    window.resize(720, 720);
    window.show();
    app.processEvents();
    if (!examples::SavePicture(window.grab().toImage(), out))
        return 1;
    std::printf("%s\n", qPrintable(out));
    // The table goes before the controls it feeds: its last data event must find them whole.
    delete table;
    return 0;
}
