#include "db/Restruct.h"

#include "db/FileOps.h"
#include "dbase/EngineError.h"
#include "dbase/File.h"
#include "dbase/Table.h"

#include <QFileInfo>

namespace db {

namespace {

const TWidenField kBailStdWidths[] = {
    {"A_NOM1", 50}, {"A_NOM2", 50}, {"D_LOYER", 50}, {"D_TOTAL1", 50}, {"D_TOTAL2", 50},
    {"D_MNTPART1", 50}, {"D_MNTPART2", 50}, {"D_LIEU", 80}, {"E_PRECISIO", 100},
    {"B_FINMIXTE", 50}, {"B_PRECISIO", 50}, {"B_AUTRE", 100},
    {"B_AUTRE1", 25}, {"B_AUTRE2", 25}, {"B_AUTRE3", 25}, {"B_AUTRE4", 25}, {"B_AUTRE5", 25},
    {"E_AVANT1", 100}, {"E_AVANT2", 100}, {"E_COURS1", 100}, {"E_COURS2", 100},
    {"E_PRECIS1", 100}, {"E_PRECIS2", 100}, {"E_SERVICE1", 100}, {"E_SERVICE2", 100}, {"E_SERVICE3", 100},
    {"G_CHANG1", 100}, {"G_CHANG2", 100},
};

const TWidenField kLocateurWidths[] = {
    {"NOM", 50}, {"NOMREP", 50},
};

const TWidening kWidenings[] = {
    {"BailStd", "A_NOM1", 30, kBailStdWidths},
    {"Locateur", "NOM", 30, kLocateurWidths},
};

} // namespace

TRestruct::TRestruct(const QString &tablePath, int fieldsToAdd)
    : m_path(tablePath)
{
    const dbase::DbfHeader header = ReadTableHeader(tablePath);
    m_fieldCount = int(header.fields.size()) + fieldsToAdd;
    m_fields.reserve(header.fields.size());
    for (size_t i = 0; i < header.fields.size(); ++i)
        m_fields.push_back({int(i) + 1, header.fields[i], false});
}

bool TRestruct::ChangeField(const QString &name, dbase::FieldType type, int decimals, int width)
{
    bool any = false;
    for (TFieldOp &op : m_fields)
        if (op.field.name.compare(name, Qt::CaseInsensitive) == 0) {
            op.field.type = type;
            op.field.width = width;
            op.field.decimals = decimals;
            op.modify = true;
            any = true;
        }
    return any;
}

void TRestruct::Restructure()
{
    std::vector<dbase::FieldChange> changes;
    for (const TFieldOp &op : m_fields)
        if (op.modify)
            changes.push_back({op.field.name, op.field.type, op.field.width, op.field.decimals});
    try {
        dbase::Table table(m_path, dbase::Table::Mode::Exclusive);
        table.Restructure(changes);
    } catch (dbase::EDBEngineError &e) {
        // The cause keeps its code: start-up shows the engine's own refusals (10009) as a
        // warning and everything else, a table in use or a failed write, as an error.
        e.Add(e.Code(), QStringLiteral("The table %1 could not be restructured.").arg(m_path));
        throw;
    }
}

std::span<const TWidening> Widenings()
{
    return kWidenings;
}

bool NeedsWidening(const QString &tablePath, const TWidening &widening)
{
    const dbase::DbfHeader header = ReadTableHeader(tablePath);
    for (const dbase::FieldDef &f : header.fields)
        if (f.name.compare(QLatin1String(widening.triggerField), Qt::CaseInsensitive) == 0)
            return f.type == dbase::FieldType::Character && f.width == widening.triggerWidth;
    return false;
}

std::vector<TUpgradeStep> UpgradeDataFolder(const QString &dir)
{
    std::vector<TUpgradeStep> steps;
    for (const TWidening &w : kWidenings) {
        TUpgradeStep step;
        step.table = QLatin1String(w.table);
        const QString path = dbase::FindFileNoCase(dir, step.table + QStringLiteral(".dbf"));
        if (!QFileInfo::exists(path))
            continue;
        try {
            step.triggered = NeedsWidening(path, w);
            if (step.triggered) {
                TRestruct restruct(path);
                for (const TWidenField &f : w.fields)
                    restruct.ChangeField(QLatin1String(f.name), dbase::FieldType::Character, 0, f.width);
                restruct.Restructure();
                step.widened = true;
            }
        } catch (const dbase::EDBEngineError &e) {
            step.errorCode = e.Code();
            step.error = e.Message();
        }
        steps.push_back(std::move(step));
    }
    return steps;
}

} // namespace db
