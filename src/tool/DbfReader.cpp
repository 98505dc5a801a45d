#include "tool/DbfReader.h"

#include "dbase/EngineError.h"

#include <algorithm>
#include <vector>

namespace tool {

TDbfReader::TDbfReader(const QString &path)
    : m_table(path, dbase::Table::Mode::ReadOnly, dbase::Table::IndexUse::Ignore)
{
}

void TDbfReader::ForEachBlock(const std::function<void(uint32_t, const char *, uint32_t)> &visit)
{
    const uint32_t length = m_table.Header().recordLength;
    const uint32_t total = m_table.KnownRecordCount();
    const uint32_t perBlock = std::max<uint32_t>(1, (4u << 20) / length);
    std::vector<char> block(size_t(perBlock) * length);
    for (uint32_t first = 1; first <= total;) {
        const uint32_t want = std::min(perBlock, total - first + 1);
        const uint32_t got = m_table.ReadRecords(first, want, block.data());
        if (got != want)
            dbase::ThrowCorrupt(m_table.Path(), QStringLiteral("record %1 is cut short").arg(first + got));
        visit(first, block.data(), got);
        if (total - first + 1 <= got)
            break;
        first += got;
    }
}

QByteArray TDbfReader::ReadMemo(const char *row, int field)
{
    if (!m_row.SharedLayout())
        m_row = dbase::Record(m_table.SharedLayout());
    m_row.MutableBytes().assign(row, m_table.Header().recordLength);
    return m_table.ReadMemo(m_row, field);
}

} // namespace tool
