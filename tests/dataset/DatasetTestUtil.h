#pragma once
// Helpers of the dataset tests: demo data folders and tables opened on them.

#include "TestSupport.h"
#include "dataset/DataSource.h"
#include "dataset/Table.h"
#include "db/Demo.h"
#include "db/Schema.h"
#include "dbase/EngineError.h"
#include "dbase/Table.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>

namespace dstest {

// A temporary data folder with demo leases and lessors, and a table opener on it.
class TDemoFolder {
public:
    TDemoFolder(int leases, int lessors)
        : m_dir(testsupport::TempDir())
    {
        db::MakeDemoFolder(m_dir->path(), leases, lessors);
    }
    // A folder as the first start leaves it: every table empty, tags built.
    static std::unique_ptr<TDemoFolder> Empty() { return std::make_unique<TDemoFolder>(0, 0); }

    QString Path() const { return m_dir->path(); }
    QString File(const db::TTableDesc &t) const { return db::TableFile(m_dir->path(), t, "dbf"); }

    // A closed table on one of the folder's files.
    std::unique_ptr<dataset::TTable> Table(const db::TTableDesc &t, const QString &index = QString()) const
    {
        auto table = std::make_unique<dataset::TTable>();
        table->SetTableName(File(t));
        if (!index.isEmpty())
            table->SetIndexName(index);
        return table;
    }

    std::unique_ptr<dbase::Table> Engine(const db::TTableDesc &t) const
    {
        return std::make_unique<dbase::Table>(File(t), dbase::Table::Mode::Shared);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

// Runs fn and returns the engine error code it raised, 0 when none.
template <typename Fn>
int ErrorCodeOf(Fn &&fn)
{
    try {
        fn();
    } catch (const dbase::EDBEngineError &e) {
        return e.Code();
    }
    return 0;
}

} // namespace dstest
