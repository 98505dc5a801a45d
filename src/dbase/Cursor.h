#pragma once
// A position in a table: physical order or the order of one tag, optionally within
// a key range. Deleted rows are never shown.

#include "dbase/Table.h"

#include <optional>

namespace dbase {

class Cursor {
public:
    explicit Cursor(Table &table);

    Table &GetTable() { return m_table; }
    // Order by a tag name or the field a tag keys on; empty for physical order.
    // The current row stays current.
    void SetOrder(const QString &tagOrField);
    int OrderTag() const { return m_tag; }
    // Restricts the rows to keys between low and high (inclusive, full key length);
    // the cursor moves to the first row of the range.
    void SetRange(const KeyBytes &low, const KeyBytes &high);
    void CancelRange();
    bool HasRange() const { return m_low.has_value(); }

    bool First();
    bool Last();
    bool Next();  // false at the end: Eof() and the position stays on the last row
    bool Prior(); // false at the start: Bof()
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    bool Empty() const { return m_recno == 0; }
    // Moves to a record number; false (position unchanged) when deleted or outside the range.
    bool GoTo(uint32_t recno);
    // Exact key on the current order; on failure the position is unchanged.
    bool FindKey(const KeyBytes &key);
    // First row whose key is >= key; false (position unchanged) when none.
    bool FindNearest(const KeyBytes &key);
    // Re-reads the current row; false when it was deleted meanwhile (the position then
    // moves to the next row, or the prior one at the end).
    bool Refresh();

    uint32_t Recno() const { return m_recno; }
    const Record &Current() const { return m_record; }

private:
    bool InRange(const KeyBytes &key) const;
    bool Accept(const IndexEntry &e);
    bool LoadPhysical(uint32_t recno);
    bool ScanPhysical(uint32_t from, int step);
    bool ScanIndex(IndexEntry start, bool includeStart, int step);
    void SetCurrent(uint32_t recno, const KeyBytes &key);

    Table &m_table;
    int m_tag = -1;                 // order tag, -1 for physical order
    std::optional<KeyBytes> m_low;  // range start when set
    std::optional<KeyBytes> m_high; // range end when set
    uint32_t m_recno = 0;           // current row, 0 when none
    KeyBytes m_key;                 // key of the current row on m_tag
    Record m_record;                // current row as last read
    Record m_scratch;               // row being examined
    bool m_eof = true;
    bool m_bof = true;
};

} // namespace dbase
