#pragma once
// Database names: an alias, a driver and the directory its tables live in.

#include "dbase/Table.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace dbase {

class Session {
public:
    // The process-wide set of database names.
    static Session &Instance();

    // Defines or repoints a name. driver must be "DBASE"; params is one line "PATH=<dir>".
    void DefineDatabase(const QString &name, const QString &driver, const QStringList &params);
    QStringList DatabaseNames() const;
    bool IsDefined(const QString &name) const;
    // Directory of a defined name (compared without regard to case); throws when undefined.
    QString DirectoryOf(const QString &name) const;
    // Path of a table file inside a database, matched without regard to case.
    QString TablePath(const QString &database, const QString &tableFile) const;
    // Opens a table of a database by its file name.
    std::unique_ptr<Table> OpenTable(const QString &database, const QString &tableFile,
                                     Table::Mode mode = Table::Mode::Shared) const;

private:
    struct Alias {
        QString name;
        QString driver;
        QString path;
    };
    const Alias *Find(const QString &name) const;

    std::vector<Alias> m_aliases; // in the order they were defined
};

} // namespace dbase
