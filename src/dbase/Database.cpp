#include "Database.h"

#include "EngineError.h"

#include <QDir>

namespace dbase {

Session &Session::Instance()
{
    static Session session;
    return session;
}

const Session::Alias *Session::Find(const QString &name) const
{
    for (const auto &a : m_aliases)
        if (a.name.compare(name, Qt::CaseInsensitive) == 0)
            return &a;
    return nullptr;
}

void Session::DefineDatabase(const QString &name, const QString &driver, const QStringList &params)
{
    if (driver.compare(QLatin1String("DBASE"), Qt::CaseInsensitive) != 0)
        throw EDBEngineError(kInvalidOperation, QStringLiteral("Unknown database driver '%1'.").arg(driver));
    QString path;
    for (const QString &p : params)
        if (p.startsWith(QLatin1String("PATH="), Qt::CaseInsensitive))
            path = p.mid(5);
    if (path.isEmpty())
        throw EDBEngineError(kInvalidOperation, QStringLiteral("Database '%1' needs a PATH= parameter.").arg(name));
    for (auto &a : m_aliases)
        if (a.name.compare(name, Qt::CaseInsensitive) == 0) {
            a.driver = driver.toUpper();
            a.path = path;
            return;
        }
    m_aliases.push_back({name, driver.toUpper(), path});
}

QStringList Session::DatabaseNames() const
{
    QStringList names;
    for (const auto &a : m_aliases)
        names << a.name;
    return names;
}

bool Session::IsDefined(const QString &name) const
{
    return Find(name) != nullptr;
}

QString Session::DirectoryOf(const QString &name) const
{
    const Alias *a = Find(name);
    if (!a)
        throw EDBEngineError(kInvalidOperation, QStringLiteral("Unknown database '%1'.").arg(name));
    return a->path;
}

QString Session::TablePath(const QString &database, const QString &tableFile) const
{
    return FindFileNoCase(DirectoryOf(database), tableFile);
}

std::unique_ptr<Table> Session::OpenTable(const QString &database, const QString &tableFile, Table::Mode mode) const
{
    return std::make_unique<Table>(TablePath(database, tableFile), mode);
}

} // namespace dbase
