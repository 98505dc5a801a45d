#pragma once
// Helpers of the lease-database tests: fresh data folders and raw file access.

#include "db/FileOps.h"
#include "db/Reindex.h"
#include "db/Schema.h"
#include "dbase/EngineError.h"
#include "dbase/Table.h"

#include <QDir>
#include <QFile>

#include <memory>

namespace dbtest {

// A data folder as the first start leaves it: seeds copied, tags built, no rows.
inline void MakeDataFolder(const QString &dir)
{
    db::WriteSeeds(dir);
    for (const db::TTableDesc *t : db::Tables())
        db::CopyFile(db::TableFile(dir, *t, "dat"), QDir(dir).filePath(QLatin1String(t->name) + QStringLiteral(".dbf")));
    for (const db::TReindexStep &s : db::ReindexDataFolder(dir))
        if (!s.ok)
            throw dbase::EDBEngineError(s.errorCode, s.error);
}

inline std::unique_ptr<dbase::Table> Open(const QString &dir, const db::TTableDesc &t,
                                          dbase::Table::Mode mode = dbase::Table::Mode::Shared)
{
    return std::make_unique<dbase::Table>(db::TableFile(dir, t, "dbf"), mode);
}

inline QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file");
}

// Appends a row with the given text fields.
inline uint32_t Append(dbase::Table &t, std::initializer_list<std::pair<const char *, QString>> values)
{
    dbase::Record r = t.NewRecord();
    for (const auto &[name, value] : values)
        r.SetString(QLatin1String(name), value);
    return t.AppendRecord(r);
}

} // namespace dbtest
