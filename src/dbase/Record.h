#pragma once
// One record buffer of a table, with typed access to its fields.

#include "dbase/Format.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dbase {

class CodePage;

// The field layout of one table, shared by its records.
struct Layout {
    std::vector<FieldDef> fields;
    QHash<QString, int> byName; // upper-case name -> index of the first field of that name
    int recordLength = 0;
    const CodePage *codePage = nullptr;

    int FieldIndex(const QString &name) const; // -1 when absent
};

class Record {
public:
    Record() = default;
    explicit Record(std::shared_ptr<const Layout> layout); // blank, active

    const Layout &GetLayout() const { return *m_layout; }
    const std::shared_ptr<const Layout> &SharedLayout() const { return m_layout; }
    bool Deleted() const { return !m_bytes.empty() && m_bytes[0] == char(fmt::kDeleted); }
    void SetDeleted(bool deleted);
    int FieldCount() const { return int(m_layout->fields.size()); }
    // Index of a field by name (case-insensitive); throws kInvalidField when absent.
    int Index(const QString &name) const;

    // Reads. A blank field is null; strings of C fields lose their trailing blanks.
    bool IsNull(int field) const;
    QString AsString(int field) const;       // C text; N/F as stored, trimmed; L "T"/"F"/""; D "YYYYMMDD"/""
    std::optional<double> AsDouble(int field) const;
    std::optional<long long> AsInteger(int field) const;
    std::optional<bool> AsBoolean(int field) const;
    QDate AsDate(int field) const;           // invalid when blank
    // Raw stored bytes of a field (code page, blank padded).
    std::string RawField(int field) const;

    // Writes. Throw kInvalidField when a value cannot be stored in the field.
    void Clear(int field);
    void SetString(int field, const QString &text); // empty text clears; C is cut to the width
    void SetDouble(int field, double value);
    void SetInteger(int field, long long value);
    void SetBoolean(int field, bool value);
    void SetDate(int field, const QDate &date);     // invalid date clears
    void SetRawField(int field, const std::string &bytes);

    // Memo fields. The field holds a block number of the table's memo file; the bytes
    // themselves are read with Table::ReadMemo. SetMemo keeps the bytes with the record
    // until the table writes it (AppendRecord, WriteRecord), which stores them as a new
    // memo and puts its block number in the field; empty bytes clear the field at once.
    // Throws kInvalidField for a field that is not a memo.
    void SetMemo(int field, const QByteArray &bytes);
    // Block number the field holds: 0 when blank, nullopt when it is not a number.
    std::optional<uint32_t> MemoBlock(int field) const;
    // Bytes set with SetMemo and not yet written by the table, or nullptr.
    const QByteArray *PendingMemo(int field) const;
    bool HasPendingMemos() const { return !m_pendingMemos.empty(); }
    // Forgets memos set but not written (the table does so when it reads a row into a record).
    void DropPendingMemos() { m_pendingMemos.clear(); }

    const std::string &Bytes() const { return m_bytes; }
    std::string &MutableBytes() { return m_bytes; }

    // By-name shorthands.
    QString AsString(const QString &name) const { return AsString(Index(name)); }
    void SetString(const QString &name, const QString &text) { SetString(Index(name), text); }

private:
    const FieldDef &Def(int field) const;
    const char *Ptr(int field) const { return m_bytes.data() + Def(field).offset; }
    char *Ptr(int field) { return m_bytes.data() + Def(field).offset; }
    QString TrimmedAscii(int field) const;
    void DropPendingMemo(int field);

    std::shared_ptr<const Layout> m_layout; // fields of the table this record belongs to
    std::string m_bytes;                    // deletion flag + fields, as on disk
    std::vector<std::pair<int, QByteArray>> m_pendingMemos; // field, bytes set but not yet stored
};

// Formats value for an N field of that width and decimals; empty when it does not fit.
std::string FormatNumber(double value, int width, int decimals);

} // namespace dbase
