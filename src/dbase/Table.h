#pragma once
// One open dBase table (.dbf) with its production index (.mdx).
//
// Each Table object is one open file description: its record locks conflict with
// those of every other Table object, in this process or another. Readers see the
// changes other processes committed at their next read: the record count is re-read
// whenever a record number beyond the known count turns up.

#include "dbase/File.h"
#include "dbase/Format.h"
#include "dbase/Mdx.h"
#include "dbase/Memo.h"
#include "dbase/Record.h"

#include <QString>
#include <memory>
#include <set>
#include <vector>

namespace dbase {

// A change of one field's type and width, for Restructure.
struct FieldChange {
    QString name;
    FieldType type = FieldType::Character;
    int width = 0;
    int decimals = 0;
};

class Table {
public:
    enum class Mode { Shared, ReadOnly, Exclusive };
    // Whether the production index is opened with the table. Ignoring it is for reading
    // a table's rows when its index is missing or foreign; such a table takes no writes.
    enum class IndexUse { Production, Ignore };

    // Opens the table file at path (exactly as given) and its production index when the
    // header says it has one. Fails with kTableNotFound when missing, kFileInUse when an
    // exclusive open conflicts, kCorruptFile for a damaged file.
    Table(const QString &path, Mode mode, IndexUse index = IndexUse::Production);
    ~Table();
    Table(const Table &) = delete;
    Table &operator=(const Table &) = delete;

    // Writes a new empty table (header, descriptors, terminator, end-of-file byte) without index.
    // Memo fields (width 10) make it a dBase IV table with memos, and create its empty memo file.
    static void Create(const QString &path, std::vector<FieldDef> fields,
                       uint8_t language = fmt::kLanguageWindowsAnsi);

    const QString &Path() const { return m_path; }
    Mode OpenMode() const { return m_mode; }
    const std::vector<FieldDef> &Fields() const { return m_layout->fields; }
    int FieldIndex(const QString &name) const { return m_layout->FieldIndex(name); }
    std::shared_ptr<const Layout> SharedLayout() const { return m_layout; }
    const DbfHeader &Header() const { return m_header; }
    Record NewRecord() const { return Record(m_layout); }

    // Record count as last known, and re-read from the file.
    uint32_t KnownRecordCount() const { return m_header.recordCount; }
    uint32_t RecordCount();
    // Reads record recno (1-based); false when recno is past the end.
    bool ReadRecord(uint32_t recno, Record &out);
    // Reads up to count consecutive records from first into out (count * record length
    // bytes); returns how many were read (fewer only at the end of the table).
    uint32_t ReadRecords(uint32_t first, uint32_t count, char *out);

    // Record locks. LockRecord throws kLockedHere / kLockedByOther, and kRecordDeleted when
    // the row was deleted by someone else; on success the row is re-read into out if given.
    void LockRecord(uint32_t recno, Record *out = nullptr);
    void UnlockRecord(uint32_t recno);
    bool HoldsLock(uint32_t recno) const { return m_locks.count(recno) != 0; }
    // Writes a record this object has locked, and updates every tag whose key changed.
    void WriteRecord(uint32_t recno, const Record &rec);
    // Marks a locked record deleted (its keys stay in the tags until a pack).
    void DeleteRecord(uint32_t recno);
    // Appends a record, adding its keys to every tag; returns its number.
    // WriteRecord and AppendRecord first store the memos set on rec with Record::SetMemo, each
    // as a new memo (writing the same record twice stores them twice).
    uint32_t AppendRecord(const Record &rec);

    // The bytes of a record's memo field: those set with Record::SetMemo and not yet written,
    // else the memo its block number points to (empty when blank). Throws kInvalidField for
    // another field type, kTableNotFound when the memo file is missing, kCorruptFile when the
    // block number or the memo is damaged.
    QByteArray ReadMemo(const Record &rec, int field);
    // The memo at a block of the memo file (empty for block 0), with the errors of ReadMemo.
    QByteArray ReadMemoBlock(uint32_t block);
    // The memo file's path when the table has memo fields, else empty.
    const QString &MemoPath() const { return m_memoPath; }

    // The production index, or nullptr when the table has none.
    MdxFile *Index() { return m_mdx.get(); }
    // Tag by tag name, or else by the name of its key field (case-insensitive); -1 when absent.
    int FindTag(const QString &nameOrField) const;
    const TagInfo &Tag(int tag) const;
    // The key of a tag computed from a record's fields.
    KeyBytes KeyFor(int tag, const Record &rec) const;
    // The key of a tag for a searched value: C blank padded (cut to the key length),
    // N from a decimal text, D from "yyyy/mm/dd" or "yyyymmdd".
    KeyBytes KeyFromText(int tag, const QString &value) const;

    // Index reads under the index read lock; entries for rows not yet committed are skipped.
    bool IndexFirst(int tag, IndexEntry &out);
    bool IndexLast(int tag, IndexEntry &out);
    bool IndexNext(int tag, const IndexEntry &from, IndexEntry &out);
    bool IndexPrior(int tag, const IndexEntry &from, IndexEntry &out);
    bool IndexSeekGE(int tag, const KeyBytes &key, IndexEntry &out);

    // Structure operations; they need the table opened exclusively.
    void AddTag(const QString &name, const QString &fieldName);
    void DropTag(const QString &name);
    // Removes deleted rows and regenerates every tag.
    void Pack();
    // Changes the type and width of named fields keeping every row; kRestructureFailed on refusal.
    void Restructure(const std::vector<FieldChange> &changes);
    // Rebuilds every tag from the rows (used after a writer died mid-way).
    void RebuildIndex();

private:
    class IndexReadLock;
    class IndexWriteLock;

    void OpenFiles();
    LockResult LockRecordByte(uint32_t recno);
    void CloseFiles();
    void LoadHeader();
    void OpenIndex();
    void OpenMemo();
    // The memo file, opened on first use. For a write, a missing one is made anew when no
    // row points into it (a table copied without it before any memo was written).
    MemoFile &Memo(bool forWrite = false);
    bool AnyMemoReferenced();
    // rec's bytes with its pending memos stored and their block numbers in place.
    std::string StoreMemos(const Record &rec);
    void RequireWritable() const;
    void RequireExclusive(const char *what) const;
    void RequireMaintainableTags() const;
    void TouchHeaderDate();
    std::vector<IndexEntry> EntriesFor(int tag);
    // Field of a tag whose key is exactly one field, -1 otherwise.
    int TagField(int tag) const;
    void RepairIfDirty();
    void ReplaceFiles(const DbfHeader &newHeader, const std::vector<std::string> &records,
                      const std::vector<std::pair<QString, QString>> &tags);
    uint64_t RecordOffset(uint32_t recno) const
    {
        return uint64_t(m_header.headerLength) + uint64_t(recno - 1) * m_header.recordLength;
    }

    QString m_path;                    // table file
    QString m_mdxPath;                 // production index file (when present)
    Mode m_mode;                       // how the table was opened
    IndexUse m_indexUse;               // whether the production index is used
    File m_dbf;                        // the table file, holding the open lock
    File m_mdxFile;                    // the index file, when present
    std::unique_ptr<MdxFile> m_mdx;    // the index, when present
    QString m_memoPath;                // memo file, when the table has memo fields
    std::unique_ptr<MemoFile> m_memo;  // the memo file, once opened
    DbfHeader m_header;                // header as last read
    std::shared_ptr<Layout> m_layout;  // fields, shared with records
    std::set<uint32_t> m_locks;        // records this object has locked
};

} // namespace dbase
