#include "db/FieldProps.h"

#include "dataset/Field.h"
#include "dataset/Table.h"

#include <QFileInfo>

namespace db {

namespace {

enum class TAlign { Left, Right };

// One field's properties; a null member leaves that property alone.
struct TFieldProps {
    const char *table;
    const char *field;
    const char *mask;
    const char *format; // display and edit format
    TAlign align;
};

constexpr TAlign AL = TAlign::Left;
constexpr TAlign AR = TAlign::Right;

const TFieldProps kProps[] = {
    {"BailStd", "NOBAIL", nullptr, nullptr, AR},
    {"BailStd", "A_CP1", kPostalCodeMask, nullptr, AL},
    {"BailStd", "A_CP2", kPostalCodeMask, nullptr, AL},
    {"BailStd", "A_TELDOM1", kTelephoneMask, nullptr, AR},
    {"BailStd", "A_TELDOM2", kTelephoneMask, nullptr, AR},
    {"BailStd", "A_TELAUT1", kTelephoneMask, nullptr, AR},
    {"BailStd", "A_TELAUT2", kTelephoneMask, nullptr, AR},
    {"BailStd", "B_CP", kPostalCodeMask, nullptr, AL},
    {"BailStd", "B_NBPIECE", nullptr, "#0.0", AR},
    {"BailStd", "E_TEL", kTelephoneMask, nullptr, AR},
    {"BailStd", "E_DATE", kDateMask, nullptr, AL},
    {"BailStd", "G_DATE", kDateMask, nullptr, AL},
    {"Locateur", "CP", kPostalCodeMask, nullptr, AL},
    {"Locateur", "TELDOM", kTelephoneMask, nullptr, AR},
    {"Locateur", "TELAUT", kTelephoneMask, nullptr, AR},
    {"Annexe", "ALI_DEJ_DE", kHourMask, nullptr, AL},
    {"Annexe", "ALI_DEJ_A", kHourMask, nullptr, AL},
    {"Annexe", "ALI_DIN_DE", kHourMask, nullptr, AL},
    {"Annexe", "ALI_DIN_A", kHourMask, nullptr, AL},
    {"Annexe", "ALI_SOU_DE", kHourMask, nullptr, AL},
    {"Annexe", "ALI_SOU_A", kHourMask, nullptr, AL},
    {"Annexe", "MNTBAIL", nullptr, "#####0.00", AR},
    {"BailConf", "NOBAIL", nullptr, "#######0", AR},
};

// Amounts of the Annex's services: every numeric field of a triple that ends in _2.
constexpr const char *kAnnexAmountFormat = "#####0.00";

QString BaseName(const dataset::TTable &table)
{
    return QFileInfo(table.TableName()).completeBaseName();
}

} // namespace

void ApplyFieldProperties(dataset::TTable &table)
{
    const QString base = BaseName(table);
    for (const TFieldProps &p : kProps) {
        if (base.compare(QLatin1String(p.table), Qt::CaseInsensitive) != 0)
            continue;
        dataset::TField *field = table.FindField(QLatin1String(p.field));
        if (!field)
            continue;
        if (p.mask)
            field->SetEditMask(QLatin1String(p.mask));
        if (p.format) {
            field->SetDisplayFormat(QLatin1String(p.format));
            field->SetEditFormat(QLatin1String(p.format));
        }
        field->SetAlignment((p.align == AR ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    if (base.compare(QLatin1String("Annexe"), Qt::CaseInsensitive) == 0) {
        for (int i = 0; i < table.FieldCount(); ++i) {
            dataset::TField *field = table.Fields(i);
            if (field->DataType() == dataset::TFieldType::Float && field->FieldName().endsWith(QLatin1String("_2"))) {
                field->SetDisplayFormat(QLatin1String(kAnnexAmountFormat));
                field->SetEditFormat(QLatin1String(kAnnexAmountFormat));
                field->SetAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
        }
    }
}

} // namespace db
