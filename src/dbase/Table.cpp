#include "Table.h"

#include "CodePage.h"
#include "EngineError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

// Write order, so that a process killed at any instant leaves tables that open with
// every row committed before the kill intact:
//  - append: record bytes and end-of-file byte past the counted rows (invisible), then
//    the index dirty mark, the keys, the header count (the commit), and the mark cleared;
//  - post: dirty mark, new keys added, record rewritten in place, old keys removed, mark
//    cleared. Each single index change is crash-consistent by itself (see Mdx.cpp);
//  - pack and restructure: new files written beside the old ones, flushed, then renamed
//    over them, the table file first (the old index is marked dirty before that). Rows keep
//    their memo block numbers, so the memo file stays as it is;
//  - memos: stored in blocks past every used one before the row that points to them is
//    written, so a row never points to a memo not yet complete. Blocks of replaced memos, of
//    rows packed away, or of a write that failed after its memos were stored stay unused:
//    the memo file only grows.
// A dirty mark found while holding the index lock exclusively means its writer died:
// the tags are then rebuilt from the rows.
// A write that fails (full disk) is undone before the error is reported.

namespace dbase {

namespace {

QString BaseName(const QString &path)
{
    return QFileInfo(path).completeBaseName();
}

QString MdxPathFor(const QString &dbfPath)
{
    const QFileInfo fi(dbfPath);
    return FindFileNoCase(fi.absolutePath(), fi.completeBaseName() + QStringLiteral(".mdx"));
}

KeyBytes KeyOf(const Record &rec, int field, const TagInfo &tag)
{
    const FieldDef &f = rec.GetLayout().fields[size_t(field)];
    switch (f.type) {
    case FieldType::Numeric:
    case FieldType::Float: {
        if (!rec.AsDouble(field))
            return EncodeNumericKeyFromText("0"); // blank numbers key as zero
        const std::string raw = rec.RawField(field);
        const auto b = raw.find_first_not_of(' ');
        const auto e = raw.find_last_not_of(' ');
        const std::string text = raw.substr(b, e - b + 1);
        // Exact decimal digits when stored as such; other forms (exponents) by value.
        if (text.find_first_not_of("+-.0123456789") == std::string::npos)
            return EncodeNumericKeyFromText(text);
        return EncodeNumericKey(*rec.AsDouble(field));
    }
    case FieldType::Date: {
        const QDate d = rec.AsDate(field);
        return EncodeDateKey(d.isValid() ? JulianDay(d.year(), d.month(), d.day()) : 0);
    }
    default:
        return EncodeCharKey(rec.RawField(field), tag.keyLength);
    }
}

void RemoveFileQuietly(const QString &path)
{
    QFile::remove(path);
}

} // namespace

// Holds the index lock shared for one read.
class Table::IndexReadLock {
public:
    explicit IndexReadLock(Table &t) : m_t(t) { m_t.m_mdxFile.Lock(fmt::kLockIndex, 1, LockKind::Shared); }
    ~IndexReadLock() { try { m_t.m_mdxFile.Unlock(fmt::kLockIndex, 1); } catch (...) {} }
    IndexReadLock(const IndexReadLock &) = delete;
    IndexReadLock &operator=(const IndexReadLock &) = delete;

private:
    Table &m_t;
};

// Holds the index lock exclusively for one change, repairing what a dead writer left.
class Table::IndexWriteLock {
public:
    explicit IndexWriteLock(Table &t) : m_t(t)
    {
        m_t.m_mdxFile.Lock(fmt::kLockIndex, 1, LockKind::Exclusive);
        try {
            // Tags cannot change while we have the table open (that needs an exclusive
            // open), so only the dirty mark needs a fresh look.
            if (m_t.m_mdx->IsDirty())
                m_t.RebuildIndex();
        } catch (...) {
            Release();
            throw;
        }
    }
    ~IndexWriteLock() { Release(); }
    IndexWriteLock(const IndexWriteLock &) = delete;
    IndexWriteLock &operator=(const IndexWriteLock &) = delete;

private:
    void Release()
    {
        if (m_held) {
            m_held = false;
            try { m_t.m_mdxFile.Unlock(fmt::kLockIndex, 1); } catch (...) {}
        }
    }
    Table &m_t;
    bool m_held = true;
};

Table::Table(const QString &path, Mode mode, IndexUse index)
    : m_path(path)
    , m_mode(mode)
    , m_indexUse(index)
{
    OpenFiles();
}

Table::~Table()
{
    CloseFiles();
}

void Table::OpenFiles()
{
    m_dbf = File(m_path, m_mode == Mode::ReadOnly ? File::Mode::ReadOnly : File::Mode::ReadWrite);
    const LockKind kind = m_mode == Mode::Exclusive ? LockKind::Exclusive : LockKind::Shared;
    // Exclusive: our open byte keeps out our own kind, the whole-table lock the other programs
    // of the dBase IV scheme.
    if (m_dbf.TryLock(fmt::kLockOpen, 1, kind) != LockResult::Granted ||
        (m_mode == Mode::Exclusive &&
         m_dbf.TryLock(fmt::kLockTableFrom, fmt::kLockTableLength, LockKind::Exclusive) != LockResult::Granted)) {
        m_dbf.Close();
        throw EDBEngineError(kFileInUse, m_mode == Mode::Exclusive
                                             ? QStringLiteral("Table is in use by another window or user.")
                                             : QStringLiteral("Table is open exclusively by another window or user."))
            .Add(kFileInUse, QStringLiteral("File: ") + m_path);
    }
    m_dbf.EnableMappedReads();
    LoadHeader();
    OpenMemo();
    OpenIndex();
}

void Table::CloseFiles()
{
    m_memo.reset();
    m_mdx.reset();
    m_mdxFile.Close();
    m_dbf.Close();
    m_locks.clear();
}

void Table::LoadHeader()
{
    uint8_t first[fmt::kHeaderSize];
    m_dbf.ReadExact(0, first, sizeof first, "the table header");
    const int headerLength = HeaderLengthOf(first);
    if (headerLength < fmt::kHeaderSize + 1)
        ThrowCorrupt(m_path, QStringLiteral("invalid header length %1").arg(headerLength));
    std::string bytes(size_t(headerLength), '\0');
    m_dbf.ReadExact(0, bytes.data(), bytes.size(), "the field descriptors");
    m_header = DecodeHeader(m_path, bytes, m_dbf.Size());
    auto layout = std::make_shared<Layout>();
    layout->fields = m_header.fields;
    layout->recordLength = m_header.recordLength;
    layout->codePage = &CodePage::ForLanguageDriver(m_header.language);
    for (size_t i = 0; i < layout->fields.size(); ++i)
        if (!layout->byName.contains(layout->fields[i].name))
            layout->byName.insert(layout->fields[i].name, int(i));
    m_layout = std::move(layout);
}

void Table::OpenIndex()
{
    m_mdx.reset();
    m_mdxFile.Close();
    m_mdxPath.clear();
    if (!m_header.productionIndex || m_indexUse == IndexUse::Ignore)
        return;
    m_mdxPath = MdxPathFor(m_path);
    if (!QFileInfo::exists(m_mdxPath)) {
        const QString missing = m_mdxPath;
        m_dbf.Close();
        throw EDBEngineError(kTableNotFound, QStringLiteral("Index does not exist."))
            .Add(kTableNotFound, QStringLiteral("File: ") + missing);
    }
    m_mdxFile = File(m_mdxPath, m_mode == Mode::ReadOnly ? File::Mode::ReadOnly : File::Mode::ReadWrite);
    m_mdxFile.EnableMappedReads();
    {
        m_mdxFile.Lock(fmt::kLockIndex, 1, LockKind::Shared);
        try {
            m_mdx = std::make_unique<MdxFile>(m_mdxFile);
        } catch (...) {
            m_mdxFile.Unlock(fmt::kLockIndex, 1);
            throw;
        }
        m_mdxFile.Unlock(fmt::kLockIndex, 1);
    }
    RepairIfDirty();
}

void Table::OpenMemo()
{
    m_memo.reset();
    m_memoPath.clear();
    if (std::none_of(m_header.fields.begin(), m_header.fields.end(),
                     [](const FieldDef &f) { return f.type == FieldType::Memo; }))
        return;
    const QFileInfo fi(m_path);
    m_memoPath = FindFileNoCase(fi.absolutePath(), fi.completeBaseName() + QStringLiteral(".dbt"));
    // A missing memo file keeps the other fields readable; reading a memo reports it.
    if (QFileInfo::exists(m_memoPath))
        Memo();
}

bool Table::AnyMemoReferenced()
{
    Record rec;
    for (uint32_t r = 1; ReadRecord(r, rec); ++r)
        for (int f = 0; f < rec.FieldCount(); ++f)
            if (m_layout->fields[size_t(f)].type == FieldType::Memo && rec.MemoBlock(f) != 0u)
                return true;
    return false;
}

MemoFile &Table::Memo(bool forWrite)
{
    if (!m_memo) {
        if (m_memoPath.isEmpty())
            throw EDBEngineError(kInvalidOperation, QStringLiteral("Table %1 has no memo fields.").arg(m_path));
        if (forWrite && m_mode != Mode::ReadOnly && !QFileInfo::exists(m_memoPath) &&
            MemoFile::StyleForVersion(m_header.version) == MemoFile::Style::DbaseIV && !AnyMemoReferenced())
            MemoFile::CreateIfMissing(m_memoPath, QFileInfo(m_path).completeBaseName());
        if (!QFileInfo::exists(m_memoPath))
            throw EDBEngineError(kTableNotFound, QStringLiteral("Memo file does not exist."))
                .Add(kTableNotFound, QStringLiteral("File: ") + m_memoPath);
        m_memo = std::make_unique<MemoFile>(m_memoPath, MemoFile::StyleForVersion(m_header.version),
                                            m_mode != Mode::ReadOnly);
    }
    return *m_memo;
}

QByteArray Table::ReadMemo(const Record &rec, int field)
{
    const std::optional<uint32_t> block = rec.MemoBlock(field); // checks the field is a memo
    if (const QByteArray *pending = rec.PendingMemo(field))
        return *pending;
    if (!block)
        ThrowCorrupt(m_path, QStringLiteral("field %1 holds no memo block number: '%2'")
                                 .arg(rec.GetLayout().fields[size_t(field)].name,
                                      QString::fromLatin1(rec.RawField(field))));
    return ReadMemoBlock(*block);
}

QByteArray Table::ReadMemoBlock(uint32_t block)
{
    if (block == 0)
        return {};
    return Memo().Read(block);
}

std::string Table::StoreMemos(const Record &rec)
{
    std::string bytes = rec.Bytes();
    if (!rec.HasPendingMemos())
        return bytes;
    for (size_t i = 0; i < m_layout->fields.size(); ++i) {
        const QByteArray *pending = rec.PendingMemo(int(i));
        if (!pending)
            continue;
        const FieldDef &f = m_layout->fields[i];
        const std::string number = std::to_string(Memo(true).Append(*pending));
        if (number.size() > size_t(f.width))
            throw EDBEngineError(kInvalidField, QStringLiteral("Memo block %1 does not fit field %2.")
                                                    .arg(QString::fromStdString(number), f.name));
        std::memset(bytes.data() + f.offset, ' ', size_t(f.width));
        std::memcpy(bytes.data() + f.offset + f.width - number.size(), number.data(), number.size());
    }
    return bytes;
}

void Table::RepairIfDirty()
{
    if (!m_mdx || m_mode == Mode::ReadOnly)
        return;
    if (m_mdxFile.TryLock(fmt::kLockIndex, 1, LockKind::Exclusive) != LockResult::Granted)
        return; // a live writer is at work; whoever locks next repairs if needed
    try {
        m_mdx->Reload();
        if (m_mdx->IsDirty())
            RebuildIndex();
    } catch (...) {
        m_mdxFile.Unlock(fmt::kLockIndex, 1);
        throw;
    }
    m_mdxFile.Unlock(fmt::kLockIndex, 1);
}

void Table::Create(const QString &path, std::vector<FieldDef> fields, uint8_t language)
{
    DbfHeader h;
    h.version = fmt::kVersionPlain;
    h.language = language;
    for (auto &f : fields) {
        f.name = f.name.toUpper();
        if (f.type == FieldType::Date)
            f.width = 8;
        if (f.type == FieldType::Logical)
            f.width = 1;
        if (f.type == FieldType::Memo) {
            f.width = 10;
            f.decimals = 0;
            h.version = fmt::kVersionMemo4;
        }
        if (f.name.isEmpty() || f.name.size() > 10 || f.width < 1 || f.width > 254)
            throw EDBEngineError(kInvalidField, QStringLiteral("Invalid field definition %1.").arg(f.name));
    }
    h.fields = std::move(fields);
    std::string bytes = EncodeHeader(h);
    bytes.push_back(char(fmt::kEndOfFile));
    if (h.version == fmt::kVersionMemo4) {
        // The memo file first: a table never exists without the memo file its header announces.
        const QFileInfo fi(path);
        const bool upper = fi.suffix() == fi.suffix().toUpper() && !fi.suffix().isEmpty();
        MemoFile::Create(FindFileNoCase(fi.absolutePath(), fi.completeBaseName() + (upper ? QStringLiteral(".DBT")
                                                                                            : QStringLiteral(".dbt"))),
                         fi.completeBaseName());
    }
    File out(path, File::Mode::CreateTruncate);
    out.WriteAt(0, bytes.data(), bytes.size());
    out.Sync();
}

uint32_t Table::RecordCount()
{
    uint8_t b[4];
    m_dbf.ReadExact(fmt::kOffRecordCount, b, 4, "the record count");
    const uint32_t count = fmt::GetU32(b);
    if (count != m_header.recordCount) {
        const uint64_t need = uint64_t(m_header.headerLength) + uint64_t(count) * m_header.recordLength;
        if (need > m_dbf.Size())
            ThrowCorrupt(m_path, QStringLiteral("record count %1 does not fit the file size").arg(count));
        m_header.recordCount = count;
    }
    return count;
}

bool Table::ReadRecord(uint32_t recno, Record &out)
{
    if (recno == 0)
        return false;
    if (recno > m_header.recordCount && recno > RecordCount())
        return false;
    if (!out.SharedLayout() || out.SharedLayout() != m_layout)
        out = Record(m_layout);
    out.DropPendingMemos();
    std::string &bytes = out.MutableBytes();
    if (m_dbf.ReadAt(RecordOffset(recno), bytes.data(), bytes.size()) != bytes.size())
        ThrowCorrupt(m_path, QStringLiteral("record %1 is cut short").arg(recno));
    return true;
}

uint32_t Table::ReadRecords(uint32_t first, uint32_t count, char *out)
{
    if (first == 0)
        return 0;
    const uint64_t last = uint64_t(first) + count - 1;
    const uint32_t total = last > m_header.recordCount ? RecordCount() : m_header.recordCount;
    if (first > total)
        return 0;
    const uint32_t n = uint32_t(std::min<uint64_t>(count, uint64_t(total) - first + 1));
    const size_t want = size_t(n) * m_header.recordLength;
    if (m_dbf.ReadAt(RecordOffset(first), out, want) != want)
        ThrowCorrupt(m_path, QStringLiteral("record %1 is cut short").arg(first));
    return n;
}

void Table::RequireWritable() const
{
    if (m_mode == Mode::ReadOnly || (m_indexUse == IndexUse::Ignore && m_header.productionIndex))
        throw EDBEngineError(kInvalidOperation, QStringLiteral("Table is read only: %1").arg(m_path));
}

void Table::RequireExclusive(const char *what) const
{
    if (m_mode != Mode::Exclusive || (m_indexUse == IndexUse::Ignore && m_header.productionIndex))
        throw EDBEngineError(kInvalidOperation, QStringLiteral("%1 needs the table opened exclusively with its index: %2")
                                                    .arg(QLatin1String(what), m_path));
}

int Table::TagField(int tag) const
{
    return m_layout->FieldIndex(Tag(tag).expression.trimmed());
}

void Table::RequireMaintainableTags() const
{
    if (!m_mdx)
        return;
    for (size_t i = 0; i < m_mdx->Tags().size(); ++i)
        if (TagField(int(i)) < 0 || !m_mdx->Tags()[i].filter.isEmpty())
            throw EDBEngineError(kInvalidOperation,
                                 QStringLiteral("Index tag %1 (key %2) cannot be maintained: %3")
                                     .arg(m_mdx->Tags()[i].name, m_mdx->Tags()[i].expression, m_mdxPath));
}

const TagInfo &Table::Tag(int tag) const
{
    if (!m_mdx || tag < 0 || size_t(tag) >= m_mdx->Tags().size())
        throw EDBEngineError(kTagNotFound, QStringLiteral("Index tag number %1 not found: %2").arg(tag).arg(m_path));
    return m_mdx->Tags()[size_t(tag)];
}

int Table::FindTag(const QString &nameOrField) const
{
    if (!m_mdx)
        return -1;
    const int byName = m_mdx->FindTag(nameOrField);
    if (byName >= 0)
        return byName;
    for (size_t i = 0; i < m_mdx->Tags().size(); ++i)
        if (m_mdx->Tags()[i].expression.trimmed().compare(nameOrField, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

KeyBytes Table::KeyFor(int tag, const Record &rec) const
{
    const int field = TagField(tag);
    if (field < 0)
        throw EDBEngineError(kInvalidOperation, QStringLiteral("Index tag %1 has an expression key: %2")
                                                    .arg(Tag(tag).name, Tag(tag).expression));
    return KeyOf(rec, field, Tag(tag));
}

KeyBytes Table::KeyFromText(int tag, const QString &value) const
{
    const TagInfo &t = Tag(tag);
    switch (t.type) {
    case KeyType::Numeric: {
        bool ok = false;
        const QString v = value.trimmed();
        const double d = v.toDouble(&ok);
        if (!ok)
            throw EDBEngineError(kInvalidField, QStringLiteral("'%1' is not a number for tag %2.").arg(value, t.name));
        const std::string text = v.toStdString();
        if (text.find_first_not_of("+-.0123456789") == std::string::npos)
            return EncodeNumericKeyFromText(text);
        return EncodeNumericKey(d);
    }
    case KeyType::Date: {
        QString v = value.trimmed();
        v.remove(QLatin1Char('/')).remove(QLatin1Char('-'));
        if (v.isEmpty())
            return EncodeDateKey(0);
        const QDate d = QDate::fromString(v, QStringLiteral("yyyyMMdd"));
        if (!d.isValid())
            throw EDBEngineError(kInvalidField, QStringLiteral("'%1' is not a date for tag %2.").arg(value, t.name));
        return EncodeDateKey(JulianDay(d.year(), d.month(), d.day()));
    }
    default:
        return EncodeCharKey(m_layout->codePage->Encode(value), t.keyLength);
    }
}

void Table::LockRecord(uint32_t recno, Record *out)
{
    RequireWritable();
    if (recno == 0 || (recno > m_header.recordCount && recno > RecordCount()))
        throw EDBEngineError(kRecordDeleted, QStringLiteral("Record/Key deleted."));
    if (m_locks.count(recno)) {
        // A second edit of the same row through this object is the same edit.
    } else if (m_mode == Mode::Exclusive) {
        // The whole-table lock covers the row; a lock of its own byte and the unlock after it
        // would cut a hole in that lock.
        m_locks.insert(recno);
    } else {
        const LockResult r = LockRecordByte(recno);
        if (r == LockResult::HeldHere)
            throw EDBEngineError(kLockedHere, QStringLiteral("Record already locked by this session."));
        if (r == LockResult::HeldElsewhere)
            throw EDBEngineError(kLockedByOther, QStringLiteral("Record locked by another user."));
        m_locks.insert(recno);
    }
    Record rec;
    try {
        ReadRecord(recno, rec);
    } catch (...) {
        UnlockRecord(recno);
        throw;
    }
    if (rec.Deleted()) {
        UnlockRecord(recno);
        throw EDBEngineError(kRecordDeleted, QStringLiteral("Record/Key deleted."));
    }
    if (out)
        *out = std::move(rec);
}

void Table::UnlockRecord(uint32_t recno)
{
    if (!m_locks.erase(recno) || m_mode == Mode::Exclusive)
        return;
    m_dbf.Unlock(fmt::RecordLockOffset(recno), 1);
}

LockResult Table::LockRecordByte(uint32_t recno)
{
    // The gate, held while the row's byte is taken, lets programs that lock whole tables
    // through it see a consistent set of row locks. Others hold it only for an instant; one
    // that keeps it holds the whole table.
    LockResult gate = LockResult::HeldElsewhere;
    for (int attempt = 0; attempt < 50; ++attempt) {
        gate = m_dbf.TryLock(fmt::kLockGate, 1, LockKind::Exclusive);
        if (gate == LockResult::Granted)
            break;
        ::usleep(20000);
    }
    if (gate != LockResult::Granted)
        return gate;
    LockResult r = LockResult::HeldElsewhere;
    try {
        r = m_dbf.TryLock(fmt::RecordLockOffset(recno), 1, LockKind::Exclusive);
    } catch (...) {
        m_dbf.Unlock(fmt::kLockGate, 1);
        throw;
    }
    m_dbf.Unlock(fmt::kLockGate, 1);
    return r;
}

void Table::TouchHeaderDate()
{
    uint8_t today[3];
    PutToday(today);
    uint8_t onDisk[3];
    m_dbf.ReadExact(fmt::kOffDate, onDisk, 3, "the header date");
    if (std::memcmp(today, onDisk, 3) != 0)
        m_dbf.WriteAt(fmt::kOffDate, today, 3);
}

void Table::WriteRecord(uint32_t recno, const Record &rec)
{
    RequireWritable();
    if (!m_locks.count(recno))
        throw EDBEngineError(kInvalidOperation, QStringLiteral("Record %1 is not locked for editing.").arg(recno));
    if (rec.SharedLayout() != m_layout)
        throw EDBEngineError(kInvalidOperation, QStringLiteral("Record does not belong to table %1.").arg(m_path));
    Record old;
    if (!ReadRecord(recno, old))
        throw EDBEngineError(kRecordDeleted, QStringLiteral("Record/Key deleted."));
    std::string bytes = StoreMemos(rec);
    bytes[0] = old.Bytes()[0]; // deletion goes through DeleteRecord only

    std::vector<std::pair<int, std::pair<KeyBytes, KeyBytes>>> changed; // tag, old key, new key
    if (m_mdx) {
        RequireMaintainableTags();
        for (size_t t = 0; t < m_mdx->Tags().size(); ++t) {
            KeyBytes before = KeyFor(int(t), old);
            KeyBytes after = KeyFor(int(t), rec);
            if (before != after)
                changed.push_back({int(t), {std::move(before), std::move(after)}});
        }
    }
    if (changed.empty()) {
        m_dbf.WriteAt(RecordOffset(recno), bytes.data(), bytes.size());
        TouchHeaderDate();
        return;
    }
    IndexWriteLock lock(*this);
    m_mdx->SetDirty(true);
    size_t inserted = 0;
    try {
        for (; inserted < changed.size(); ++inserted)
            m_mdx->Insert(changed[inserted].first, {changed[inserted].second.second, recno});
        m_dbf.WriteAt(RecordOffset(recno), bytes.data(), bytes.size());
    } catch (...) {
        for (size_t i = 0; i < inserted; ++i)
            m_mdx->Remove(changed[i].first, {changed[i].second.second, recno});
        m_mdx->SetDirty(false);
        throw;
    }
    for (const auto &c : changed)
        m_mdx->Remove(c.first, {c.second.first, recno});
    m_mdx->SetDirty(false);
    TouchHeaderDate();
}

void Table::DeleteRecord(uint32_t recno)
{
    RequireWritable();
    if (!m_locks.count(recno))
        throw EDBEngineError(kInvalidOperation, QStringLiteral("Record %1 is not locked for deletion.").arg(recno));
    const char flag = char(fmt::kDeleted);
    m_dbf.WriteAt(RecordOffset(recno), &flag, 1);
    TouchHeaderDate();
}

uint32_t Table::AppendRecord(const Record &rec)
{
    RequireWritable();
    RequireMaintainableTags();
    if (rec.SharedLayout() != m_layout)
        throw EDBEngineError(kInvalidOperation, QStringLiteral("Record does not belong to table %1.").arg(m_path));
    // Memos go in before the row is appended, under the memo file's own lock.
    const std::string row = StoreMemos(rec);
    // An exclusive open holds the append byte within its whole-table lock.
    const bool lockAppend = m_mode != Mode::Exclusive;
    if (lockAppend)
        m_dbf.Lock(fmt::kLockAppend, 1, LockKind::Exclusive);
    struct AppendUnlock {
        File &f;
        bool locked;
        ~AppendUnlock()
        {
            if (locked)
                try { f.Unlock(fmt::kLockAppend, 1); } catch (...) {}
        }
    } unlock{m_dbf, lockAppend};

    const uint32_t count = RecordCount();
    if (count == UINT32_MAX)
        throw EDBEngineError(kInvalidOperation, QStringLiteral("Table is full: %1").arg(m_path));
    const uint32_t recno = count + 1;
    const uint64_t offset = RecordOffset(recno);
    std::string bytes = row;
    bytes[0] = char(fmt::kActive);
    bytes.push_back(char(fmt::kEndOfFile));
    const uint64_t oldSize = m_dbf.Size();

    auto undoRecord = [&] {
        try {
            const char eof = char(fmt::kEndOfFile);
            m_dbf.WriteAt(offset, &eof, 1);
            m_dbf.Truncate(std::max<uint64_t>(oldSize, offset + 1));
        } catch (...) {
        }
    };

    m_dbf.Reserve(offset, bytes.size());
    m_dbf.WriteAt(offset, bytes.data(), bytes.size());

    uint8_t header[7];
    PutToday(header);
    fmt::PutU32(header + 3, recno);

    if (!m_mdx) {
        try {
            m_dbf.WriteAt(fmt::kOffDate, header, sizeof header);
        } catch (...) {
            undoRecord();
            throw;
        }
        m_header.recordCount = recno;
        return recno;
    }

    IndexWriteLock lock(*this);
    Record committed(m_layout);
    committed.MutableBytes() = row;
    std::vector<KeyBytes> keys;
    for (size_t t = 0; t < m_mdx->Tags().size(); ++t)
        keys.push_back(KeyFor(int(t), committed));
    size_t inserted = 0;
    try {
        m_mdx->SetDirty(true);
        for (; inserted < keys.size(); ++inserted)
            m_mdx->Insert(int(inserted), {keys[inserted], recno});
        m_dbf.WriteAt(fmt::kOffDate, header, sizeof header);
    } catch (...) {
        try {
            for (size_t i = 0; i < inserted; ++i)
                m_mdx->Remove(int(i), {keys[i], recno});
            m_mdx->SetDirty(false);
        } catch (...) {
        }
        undoRecord();
        throw;
    }
    m_header.recordCount = recno;
    m_mdx->SetDirty(false);
    return recno;
}

bool Table::IndexFirst(int tag, IndexEntry &out)
{
    Tag(tag);
    IndexReadLock lock(*this);
    if (!m_mdx->First(tag, out))
        return false;
    while (out.recno > m_header.recordCount && out.recno > RecordCount()) {
        const IndexEntry from = out;
        if (!m_mdx->Next(tag, from, out))
            return false;
    }
    return true;
}

bool Table::IndexLast(int tag, IndexEntry &out)
{
    Tag(tag);
    IndexReadLock lock(*this);
    if (!m_mdx->Last(tag, out))
        return false;
    while (out.recno > m_header.recordCount && out.recno > RecordCount()) {
        const IndexEntry from = out;
        if (!m_mdx->Prior(tag, from, out))
            return false;
    }
    return true;
}

bool Table::IndexNext(int tag, const IndexEntry &from, IndexEntry &out)
{
    Tag(tag);
    IndexReadLock lock(*this);
    IndexEntry at = from;
    for (;;) {
        if (!m_mdx->Next(tag, at, out))
            return false;
        if (out.recno <= m_header.recordCount || out.recno <= RecordCount())
            return true;
        at = out;
    }
}

bool Table::IndexPrior(int tag, const IndexEntry &from, IndexEntry &out)
{
    Tag(tag);
    IndexReadLock lock(*this);
    IndexEntry at = from;
    for (;;) {
        if (!m_mdx->Prior(tag, at, out))
            return false;
        if (out.recno <= m_header.recordCount || out.recno <= RecordCount())
            return true;
        at = out;
    }
}

bool Table::IndexSeekGE(int tag, const KeyBytes &key, IndexEntry &out)
{
    Tag(tag);
    IndexReadLock lock(*this);
    if (!m_mdx->SeekGE(tag, key, out))
        return false;
    while (out.recno > m_header.recordCount && out.recno > RecordCount()) {
        const IndexEntry from = out;
        if (!m_mdx->Next(tag, from, out))
            return false;
    }
    return true;
}

std::vector<IndexEntry> Table::EntriesFor(int tag)
{
    std::vector<IndexEntry> entries;
    const uint32_t count = RecordCount();
    entries.reserve(count);
    Record rec;
    for (uint32_t r = 1; r <= count; ++r) {
        ReadRecord(r, rec);
        entries.push_back({KeyFor(tag, rec), r});
    }
    return entries;
}

void Table::RebuildIndex()
{
    if (!m_mdx)
        return;
    // Computing every key first reads the table once for all tags.
    const size_t tagCount = m_mdx->Tags().size();
    std::vector<int> fields(tagCount);
    for (size_t t = 0; t < tagCount; ++t)
        fields[t] = TagField(int(t));
    std::vector<std::vector<IndexEntry>> entries(tagCount);
    const uint32_t count = RecordCount();
    Record rec;
    for (uint32_t r = 1; r <= count; ++r) {
        ReadRecord(r, rec);
        for (size_t t = 0; t < tagCount; ++t)
            if (fields[t] >= 0)
                entries[t].push_back({KeyOf(rec, fields[t], m_mdx->Tags()[t]), r});
    }
    for (size_t t = 0; t < tagCount; ++t)
        if (fields[t] >= 0 && m_mdx->Tags()[t].filter.isEmpty())
            m_mdx->RebuildTag(int(t), std::move(entries[t]));
    m_mdx->SetDirty(false);
}

void Table::AddTag(const QString &name, const QString &fieldName)
{
    RequireExclusive("Adding an index tag");
    const int field = m_layout->FieldIndex(fieldName);
    if (field < 0)
        throw EDBEngineError(kInvalidField, QStringLiteral("Field '%1' not found in %2.").arg(fieldName, m_path));
    const FieldDef &f = m_layout->fields[size_t(field)];
    KeyType type = KeyType::Character;
    int keyLength = f.width;
    if (f.type == FieldType::Numeric || f.type == FieldType::Float) {
        type = KeyType::Numeric;
        keyLength = 12;
    } else if (f.type == FieldType::Date) {
        type = KeyType::Date;
        keyLength = 8;
    } else if (f.type != FieldType::Character || f.width > 100) {
        throw EDBEngineError(kInvalidField, QStringLiteral("Field %1 cannot be an index key.").arg(f.name));
    }
    if (!m_mdx) {
        const QFileInfo fi(m_path);
        m_mdxPath = fi.absoluteDir().filePath(fi.completeBaseName() + QStringLiteral(".mdx"));
        {
            File created(m_mdxPath, File::Mode::CreateTruncate);
            MdxFile::CreateEmpty(created, BaseName(m_path));
            created.Sync();
        }
        m_mdxFile = File(m_mdxPath, File::Mode::ReadWrite);
        m_mdx = std::make_unique<MdxFile>(m_mdxFile);
    }
    if (m_mdx->FindTag(name) >= 0)
        throw EDBEngineError(kInvalidOperation, QStringLiteral("Index tag %1 already exists in %2.").arg(name, m_mdxPath));
    // Keys computed before the tag exists; KeyOf needs only the tag's key length.
    TagInfo probe;
    probe.keyLength = keyLength;
    std::vector<IndexEntry> entries;
    const uint32_t count = RecordCount();
    entries.reserve(count);
    Record rec;
    for (uint32_t r = 1; r <= count; ++r) {
        ReadRecord(r, rec);
        entries.push_back({KeyOf(rec, field, probe), r});
    }
    m_mdx->AddTag(name.toUpper(), f.name, type, keyLength, std::move(entries));
    m_mdxFile.Sync();

    // The header flags follow: production index present, this field is a whole key.
    uint8_t flag = 1;
    m_dbf.WriteAt(fmt::kOffProductionIndex, &flag, 1);
    m_dbf.WriteAt(uint64_t(fmt::kHeaderSize + fmt::kDescriptorSize * field + fmt::kOffFieldIndexFlag), &flag, 1);
    m_header.productionIndex = true;
    m_header.fields[size_t(field)].indexFlag = true;
    m_layout->fields[size_t(field)].indexFlag = true;
}

void Table::DropTag(const QString &name)
{
    RequireExclusive("Dropping an index tag");
    const int tag = m_mdx ? m_mdx->FindTag(name) : -1;
    if (tag < 0)
        throw EDBEngineError(kTagNotFound, QStringLiteral("Index tag %1 not found in %2.").arg(name, m_path));
    const int field = TagField(tag);
    m_mdx->DropTag(name);
    if (field >= 0) {
        bool stillKeyed = false;
        for (size_t t = 0; t < m_mdx->Tags().size(); ++t)
            stillKeyed = stillKeyed || TagField(int(t)) == field;
        if (!stillKeyed) {
            const uint8_t zero = 0;
            m_dbf.WriteAt(uint64_t(fmt::kHeaderSize + fmt::kDescriptorSize * field + fmt::kOffFieldIndexFlag), &zero, 1);
            m_header.fields[size_t(field)].indexFlag = false;
            m_layout->fields[size_t(field)].indexFlag = false;
        }
    }
    if (m_mdx->Tags().empty()) {
        // No tag left: the table has no production index any more.
        const uint8_t zero = 0;
        m_dbf.WriteAt(fmt::kOffProductionIndex, &zero, 1);
        m_header.productionIndex = false;
        m_mdx.reset();
        m_mdxFile.Close();
        RemoveFileQuietly(m_mdxPath);
        m_mdxPath.clear();
    }
}

void Table::ReplaceFiles(const DbfHeader &newHeader, const std::vector<std::string> &records,
                         const std::vector<std::pair<QString, QString>> &tags)
{
    const QFileInfo fi(m_path);
    const QString tmpDbf = fi.absoluteDir().filePath(fi.completeBaseName() + QStringLiteral(".$db"));
    const QString tmpMdx = fi.absoluteDir().filePath(fi.completeBaseName() + QStringLiteral(".$mx"));
    const QString mdxTarget = m_mdxPath.isEmpty()
                                  ? fi.absoluteDir().filePath(fi.completeBaseName() + QStringLiteral(".mdx"))
                                  : m_mdxPath;
    DbfHeader h = newHeader;
    h.recordCount = uint32_t(records.size());
    h.productionIndex = !tags.empty();
    for (auto &f : h.fields) {
        f.indexFlag = false;
        for (const auto &t : tags)
            f.indexFlag = f.indexFlag || t.second.compare(f.name, Qt::CaseInsensitive) == 0;
    }
    try {
        File out(tmpDbf, File::Mode::CreateTruncate);
        if (out.TryLock(fmt::kLockOpen, 1, LockKind::Exclusive) != LockResult::Granted ||
            out.TryLock(fmt::kLockTableFrom, fmt::kLockTableLength, LockKind::Exclusive) != LockResult::Granted)
            throw EDBEngineError(kFileInUse, QStringLiteral("Temporary file in use: %1").arg(tmpDbf));
        KeepAccessOf(m_path, out);
        std::string bytes = EncodeHeader(h);
        const uint64_t total = bytes.size() + uint64_t(h.recordLength) * records.size() + 1;
        out.Reserve(0, total);
        std::string chunk;
        chunk.reserve(1 << 20);
        uint64_t pos = 0;
        out.WriteAt(pos, bytes.data(), bytes.size());
        pos += bytes.size();
        for (const auto &r : records) {
            chunk += r;
            if (chunk.size() >= (1u << 20)) {
                out.WriteAt(pos, chunk.data(), chunk.size());
                pos += chunk.size();
                chunk.clear();
            }
        }
        chunk.push_back(char(fmt::kEndOfFile));
        out.WriteAt(pos, chunk.data(), chunk.size());
        out.Sync();

        if (!tags.empty()) {
            File mdxOut(tmpMdx, File::Mode::CreateTruncate);
            KeepAccessOf(QFileInfo::exists(mdxTarget) ? mdxTarget : m_path, mdxOut);
            MdxFile::CreateEmpty(mdxOut, BaseName(m_path));
            MdxFile index(mdxOut);
            // Keys from the new rows, through a layout of the new header.
            auto layout = std::make_shared<Layout>();
            EncodeHeader(h); // recomputes offsets
            layout->fields = h.fields;
            layout->recordLength = h.recordLength;
            layout->codePage = m_layout->codePage;
            for (size_t i = 0; i < layout->fields.size(); ++i)
                if (!layout->byName.contains(layout->fields[i].name))
                    layout->byName.insert(layout->fields[i].name, int(i));
            Record rec(layout);
            for (const auto &t : tags) {
                const int field = layout->FieldIndex(t.second);
                const FieldDef &f = layout->fields[size_t(field)];
                TagInfo info;
                info.type = f.type == FieldType::Date ? KeyType::Date
                            : (f.type == FieldType::Numeric || f.type == FieldType::Float) ? KeyType::Numeric
                                                                                             : KeyType::Character;
                info.keyLength = info.type == KeyType::Date ? 8 : info.type == KeyType::Numeric ? 12 : std::min(f.width, 100);
                std::vector<IndexEntry> entries;
                entries.reserve(records.size());
                for (size_t r = 0; r < records.size(); ++r) {
                    rec.MutableBytes() = records[r];
                    entries.push_back({KeyOf(rec, field, info), uint32_t(r + 1)});
                }
                index.AddTag(t.first, f.name, info.type, info.keyLength, std::move(entries));
            }
            mdxOut.Sync();
        }
        if (m_mdx)
            m_mdx->SetDirty(true); // a crash between the two renames repairs at next open
        if (::rename(QFile::encodeName(tmpDbf).constData(), QFile::encodeName(m_path).constData()) != 0)
            ThrowIo(m_path, QStringLiteral("replacing"), errno);
        // The new file carries our exclusive open lock; the old description goes.
        m_locks.clear();
        m_dbf = std::move(out);
    } catch (...) {
        RemoveFileQuietly(tmpDbf);
        RemoveFileQuietly(tmpMdx);
        throw;
    }
    m_mdx.reset();
    m_mdxFile.Close();
    if (!tags.empty()) {
        if (::rename(QFile::encodeName(tmpMdx).constData(), QFile::encodeName(mdxTarget).constData()) != 0)
            ThrowIo(mdxTarget, QStringLiteral("replacing"), errno);
    } else if (!m_mdxPath.isEmpty()) {
        RemoveFileQuietly(m_mdxPath);
    }
    SyncDirectory(fi.absolutePath());
    LoadHeader();
    OpenIndex();
}

void Table::Pack()
{
    RequireExclusive("Packing");
    std::vector<std::string> live;
    const uint32_t count = RecordCount();
    live.reserve(count);
    Record rec;
    for (uint32_t r = 1; r <= count; ++r) {
        ReadRecord(r, rec);
        if (!rec.Deleted())
            live.push_back(rec.Bytes());
    }
    std::vector<std::pair<QString, QString>> tags;
    if (m_mdx) {
        RequireMaintainableTags();
        for (size_t t = 0; t < m_mdx->Tags().size(); ++t)
            tags.push_back({m_mdx->Tags()[t].name, m_layout->fields[size_t(TagField(int(t)))].name});
    }
    ReplaceFiles(m_header, live, tags);
}

void Table::Restructure(const std::vector<FieldChange> &changes)
{
    if (m_mode != Mode::Exclusive || (m_indexUse == IndexUse::Ignore && m_header.productionIndex))
        throw EDBEngineError(kRestructureFailed, QStringLiteral("The table must be opened exclusively to be restructured: %1").arg(m_path));
    DbfHeader h = m_header;
    std::vector<int> changed(h.fields.size(), 0);
    for (const auto &c : changes) {
        // A memo field's block numbers as text would lose the memos.
        for (const auto &f : h.fields)
            if (f.type == FieldType::Memo && f.name.compare(c.name, Qt::CaseInsensitive) == 0)
                throw EDBEngineError(kRestructureFailed, QStringLiteral("Memo field %1 cannot be changed.").arg(f.name));
        if (c.type != FieldType::Character || c.width < 1 || c.width > 254 || c.decimals != 0)
            throw EDBEngineError(kRestructureFailed,
                                 QStringLiteral("Field %1 can only become a character field 1 to 254 wide.").arg(c.name));
        for (size_t i = 0; i < h.fields.size(); ++i)
            if (h.fields[i].name.compare(c.name, Qt::CaseInsensitive) == 0) {
                h.fields[i].type = c.type;
                h.fields[i].width = c.width;
                h.fields[i].decimals = c.decimals;
                changed[i] = 1;
            }
    }
    std::vector<std::pair<QString, QString>> tags;
    if (m_mdx) {
        RequireMaintainableTags();
        for (size_t t = 0; t < m_mdx->Tags().size(); ++t) {
            const int field = TagField(int(t));
            if (h.fields[size_t(field)].width > 100)
                throw EDBEngineError(kRestructureFailed, QStringLiteral("Field %1 keys tag %2 and cannot be wider than 100.")
                                                              .arg(h.fields[size_t(field)].name, m_mdx->Tags()[t].name));
            tags.push_back({m_mdx->Tags()[t].name, h.fields[size_t(field)].name});
        }
    }
    DbfHeader encoded = h;
    EncodeHeader(encoded); // new offsets and record length
    const uint32_t count = RecordCount();
    std::vector<std::string> rows;
    rows.reserve(count);
    Record rec;
    const CodePage &cp = *m_layout->codePage;
    for (uint32_t r = 1; r <= count; ++r) {
        ReadRecord(r, rec);
        std::string out(size_t(encoded.recordLength), ' ');
        out[0] = rec.Bytes()[0];
        for (size_t i = 0; i < encoded.fields.size(); ++i) {
            const FieldDef &nf = encoded.fields[i];
            std::string value;
            if (changed[i] && m_header.fields[i].type != FieldType::Character)
                value = cp.Encode(rec.AsString(int(i)));
            else
                value = rec.RawField(int(i));
            if (value.size() > size_t(nf.width)) {
                // Only blanks may go: a narrower field never cuts what a row holds.
                if (value.find_first_not_of(' ', size_t(nf.width)) != std::string::npos)
                    throw EDBEngineError(kRestructureFailed,
                                         QStringLiteral("Field %1 of row %2 holds more than %3 characters: %4")
                                             .arg(nf.name).arg(r).arg(nf.width).arg(m_path));
                value.resize(size_t(nf.width));
            }
            std::memcpy(out.data() + nf.offset, value.data(), value.size());
        }
        rows.push_back(std::move(out));
    }
    ReplaceFiles(encoded, rows, tags);
}

} // namespace dbase
