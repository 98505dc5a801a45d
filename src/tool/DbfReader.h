#pragma once
// Sequential, read-only access to the rows of any .dbf, without its index.

#include "dbase/Table.h"

#include <QString>
#include <functional>
#include <memory>

namespace tool {

class TDbfReader {
public:
    // Opens the table read-only without its index, sharing it with other readers and
    // writers; fails with kFileInUse while someone holds it exclusively, kCorruptFile for
    // a damaged header.
    explicit TDbfReader(const QString &path);

    const QString &Path() const { return m_table.Path(); }
    const dbase::DbfHeader &Header() const { return m_table.Header(); }
    const dbase::CodePage &CodePage() const { return *m_table.SharedLayout()->codePage; }
    std::shared_ptr<const dbase::Layout> SharedLayout() const { return m_table.SharedLayout(); }

    // Re-reads the record count (rows committed by others since the open) and returns it;
    // Header() and ForEachBlock follow it.
    uint32_t RefreshCount() { return m_table.RecordCount(); }

    // Calls visit with blocks of consecutive rows as stored (deletion flag first), in
    // physical order, up to the record count last read. Throws kCorruptFile when the
    // rows are cut short.
    void ForEachBlock(const std::function<void(uint32_t firstRecno, const char *rows, uint32_t count)> &visit);

    // The memo a stored row's memo field points to (empty when blank); the errors of
    // Table::ReadMemo for a missing memo file or a damaged block number.
    QByteArray ReadMemo(const char *row, int field);

private:
    dbase::Table m_table;   // opened without its production index
    dbase::Record m_row;    // a row being read for its memos
};

} // namespace tool
