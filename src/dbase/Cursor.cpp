#include "Cursor.h"

#include "EngineError.h"

namespace dbase {

Cursor::Cursor(Table &table)
    : m_table(table)
    , m_record(table.NewRecord())
    , m_scratch(table.NewRecord())
{
}

void Cursor::SetOrder(const QString &tagOrField)
{
    if (tagOrField.isEmpty()) {
        m_tag = -1;
    } else {
        const int tag = m_table.FindTag(tagOrField);
        if (tag < 0)
            throw EDBEngineError(kTagNotFound, QStringLiteral("Index tag %1 not found: %2")
                                                   .arg(tagOrField, m_table.Path()));
        m_tag = tag;
    }
    m_low.reset();
    m_high.reset();
    if (m_recno && m_tag >= 0)
        m_key = m_table.KeyFor(m_tag, m_record);
}

bool Cursor::InRange(const KeyBytes &key) const
{
    if (m_tag < 0 || !m_low)
        return true;
    const KeyType type = m_table.Tag(m_tag).type;
    return CompareKeys(type, key, *m_low) >= 0 && CompareKeys(type, key, *m_high) <= 0;
}

void Cursor::SetRange(const KeyBytes &low, const KeyBytes &high)
{
    if (m_tag < 0)
        throw EDBEngineError(kInvalidOperation, QStringLiteral("A range needs an index order: %1").arg(m_table.Path()));
    m_low = low;
    m_high = high;
    First();
}

void Cursor::CancelRange()
{
    m_low.reset();
    m_high.reset();
}

void Cursor::SetCurrent(uint32_t recno, const KeyBytes &key)
{
    m_recno = recno;
    m_key = key;
    std::swap(m_record, m_scratch);
}

bool Cursor::LoadPhysical(uint32_t recno)
{
    return m_table.ReadRecord(recno, m_scratch) && !m_scratch.Deleted();
}

bool Cursor::ScanPhysical(uint32_t from, int step)
{
    for (int64_t r = from; r >= 1; r += step) {
        if (uint32_t(r) > m_table.KnownRecordCount() && uint32_t(r) > m_table.RecordCount())
            return false;
        if (LoadPhysical(uint32_t(r))) {
            SetCurrent(uint32_t(r), {});
            return true;
        }
    }
    return false;
}

bool Cursor::Accept(const IndexEntry &e)
{
    return m_table.ReadRecord(e.recno, m_scratch) && !m_scratch.Deleted();
}

bool Cursor::ScanIndex(IndexEntry at, bool includeStart, int step)
{
    const KeyType type = m_table.Tag(m_tag).type;
    IndexEntry e = at;
    bool have = includeStart;
    for (;;) {
        if (!have) {
            IndexEntry next;
            const bool ok = step > 0 ? m_table.IndexNext(m_tag, e, next) : m_table.IndexPrior(m_tag, e, next);
            if (!ok)
                return false;
            e = std::move(next);
        }
        have = false;
        if (m_low) {
            if (step > 0 && CompareKeys(type, e.key, *m_high) > 0)
                return false;
            if (step < 0 && CompareKeys(type, e.key, *m_low) < 0)
                return false;
            if (!InRange(e.key))
                continue;
        }
        if (Accept(e)) {
            SetCurrent(e.recno, e.key);
            return true;
        }
    }
}

bool Cursor::First()
{
    bool ok;
    if (m_tag < 0) {
        ok = ScanPhysical(1, +1);
    } else {
        IndexEntry e;
        ok = m_low ? m_table.IndexSeekGE(m_tag, *m_low, e) : m_table.IndexFirst(m_tag, e);
        ok = ok && ScanIndex(e, true, +1);
    }
    if (!ok)
        m_recno = 0;
    m_bof = true;
    m_eof = !ok;
    return ok;
}

bool Cursor::Last()
{
    bool ok = false;
    if (m_tag < 0) {
        const uint32_t count = m_table.RecordCount();
        ok = count > 0 && ScanPhysical(count, -1);
    } else if (m_low) {
        // The last row of the range: step back from the first key above it.
        const KeyType type = m_table.Tag(m_tag).type;
        IndexEntry e;
        if (m_table.IndexSeekGE(m_tag, *m_high, e)) {
            while (CompareKeys(type, e.key, *m_high) <= 0) {
                IndexEntry n;
                if (!m_table.IndexNext(m_tag, e, n)) {
                    ok = ScanIndex(e, true, -1);
                    goto done;
                }
                e = std::move(n);
            }
            ok = ScanIndex(e, false, -1);
        } else if (m_table.IndexLast(m_tag, e)) {
            ok = ScanIndex(e, true, -1);
        }
    } else {
        IndexEntry e;
        ok = m_table.IndexLast(m_tag, e) && ScanIndex(e, true, -1);
    }
done:
    if (!ok)
        m_recno = 0;
    m_eof = true;
    m_bof = !ok;
    return ok;
}

bool Cursor::Next()
{
    if (m_recno == 0) {
        m_eof = true;
        return false;
    }
    const bool ok = m_tag < 0 ? ScanPhysical(m_recno + 1, +1) : ScanIndex({m_key, m_recno}, false, +1);
    m_eof = !ok;
    m_bof = false;
    return ok;
}

bool Cursor::Prior()
{
    if (m_recno == 0) {
        m_bof = true;
        return false;
    }
    const bool ok = m_tag < 0 ? (m_recno > 1 && ScanPhysical(m_recno - 1, -1))
                              : ScanIndex({m_key, m_recno}, false, -1);
    m_bof = !ok;
    m_eof = false;
    return ok;
}

bool Cursor::GoTo(uint32_t recno)
{
    if (!LoadPhysical(recno))
        return false;
    KeyBytes key;
    if (m_tag >= 0) {
        key = m_table.KeyFor(m_tag, m_scratch);
        if (!InRange(key))
            return false;
    }
    SetCurrent(recno, key);
    m_eof = m_bof = false;
    return true;
}

bool Cursor::FindKey(const KeyBytes &key)
{
    if (m_tag < 0)
        throw EDBEngineError(kInvalidOperation, QStringLiteral("Finding a key needs an index order: %1").arg(m_table.Path()));
    const KeyType type = m_table.Tag(m_tag).type;
    if (!InRange(key))
        return false;
    IndexEntry e;
    if (!m_table.IndexSeekGE(m_tag, key, e))
        return false;
    for (;;) {
        if (CompareKeys(type, e.key, key) != 0)
            return false;
        if (Accept(e)) {
            SetCurrent(e.recno, e.key);
            m_eof = m_bof = false;
            return true;
        }
        IndexEntry n;
        if (!m_table.IndexNext(m_tag, e, n))
            return false;
        e = std::move(n);
    }
}

bool Cursor::FindNearest(const KeyBytes &key)
{
    if (m_tag < 0)
        throw EDBEngineError(kInvalidOperation, QStringLiteral("Finding a key needs an index order: %1").arg(m_table.Path()));
    const KeyType type = m_table.Tag(m_tag).type;
    KeyBytes start = key;
    if (m_low && CompareKeys(type, start, *m_low) < 0)
        start = *m_low;
    IndexEntry e;
    if (!m_table.IndexSeekGE(m_tag, start, e))
        return false;
    if (!ScanIndex(e, true, +1))
        return false;
    m_eof = m_bof = false;
    return true;
}

bool Cursor::Refresh()
{
    if (m_recno == 0)
        return First();
    if (LoadPhysical(m_recno)) {
        KeyBytes key = m_tag >= 0 ? m_table.KeyFor(m_tag, m_scratch) : KeyBytes();
        if (InRange(key)) {
            SetCurrent(m_recno, key);
            return true;
        }
    }
    // The row is gone (deleted or moved out of the range): go on with its neighbour.
    if (!Next() && !Prior()) {
        m_recno = 0;
        m_eof = m_bof = true;
    }
    return false;
}

} // namespace dbase
