#include "db/Reindex.h"

#include "db/FileOps.h"
#include "db/Schema.h"
#include "dbase/EngineError.h"
#include "dbase/Table.h"

#include <QFileInfo>

#include <memory>

namespace db {

namespace {

const TTableDesc *const kIndexed[] = {&kBailStd, &kLocateur, &kAnnexe};

bool MdxExists(const QString &dir, const TTableDesc &t)
{
    return QFileInfo::exists(TableFile(dir, t, "mdx"));
}

// Adds a tag unless the pack already regenerated one of that name on the same field.
void EnsureTag(dbase::Table &table, const TTagDesc &desc)
{
    const int existing = table.Index() ? table.Index()->FindTag(QLatin1String(desc.tag)) : -1;
    if (existing >= 0) {
        if (table.Tag(existing).expression.trimmed().compare(QLatin1String(desc.field), Qt::CaseInsensitive) == 0)
            return;
        table.DropTag(QLatin1String(desc.tag));
    }
    table.AddTag(QLatin1String(desc.tag), QLatin1String(desc.field));
}

} // namespace

bool IndexMissing(const QString &dir)
{
    for (const TTableDesc *t : kIndexed)
        if (!MdxExists(dir, *t))
            return true;
    return false;
}

std::vector<TReindexStep> ReindexDataFolder(const QString &dir, const std::function<void(const QString &)> &progress,
                                            const std::function<void(const TReindexStep &)> &stepDone)
{
    bool hadIndex[std::size(kIndexed)];
    for (size_t i = 0; i < std::size(kIndexed); ++i) {
        hadIndex[i] = MdxExists(dir, *kIndexed[i]);
        const QString dbf = TableFile(dir, *kIndexed[i], "dbf");
        // A missing table is left for the open below to report.
        if (!hadIndex[i] && QFileInfo::exists(dbf))
            ClearProductionIndexFlag(dbf);
    }

    std::unique_ptr<dbase::Table> tables[std::size(kIndexed)];
    for (size_t i = 0; i < std::size(kIndexed); ++i)
        tables[i] = std::make_unique<dbase::Table>(TableFile(dir, *kIndexed[i], "dbf"), dbase::Table::Mode::Exclusive);

    for (size_t i = 0; i < std::size(kIndexed); ++i) {
        if (!hadIndex[i] || !tables[i]->Index())
            continue;
        for (const TTagDesc &tag : TagsOf(QLatin1String(kIndexed[i]->name))) {
            try {
                tables[i]->DropTag(QLatin1String(tag.tag));
            } catch (const dbase::EDBEngineError &) {
                break; // the remaining tags stay; the pack regenerates them
            }
        }
    }

    std::vector<TReindexStep> steps;
    for (size_t i = 0; i < std::size(kIndexed); ++i) {
        TReindexStep step;
        step.table = QLatin1String(kIndexed[i]->name);
        if (progress)
            progress(step.table);
        try {
            tables[i]->Pack();
            for (const TTagDesc &tag : TagsOf(step.table))
                EnsureTag(*tables[i], tag);
            step.ok = true;
        } catch (const dbase::EDBEngineError &e) {
            step.errorCode = e.Code();
            step.error = e.Message();
        }
        if (stepDone)
            stepDone(step);
        steps.push_back(std::move(step));
    }
    return steps;
}

} // namespace db
