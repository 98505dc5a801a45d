// Tables on real files: field access, opens and locks across windows and processes,
// index maintenance, pack, restructure, and what a full disk or a crash leaves behind.

#include "TestSupport.h"
#include "dbase/Cursor.h"
#include "dbase/Database.h"
#include "dbase/EngineError.h"
#include "dbase/Table.h"

#include <QDir>
#include <QRegularExpression>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace dbase;
using testsupport::InChild;

namespace {

std::vector<FieldDef> LeaseFields()
{
    return {
        {QStringLiteral("NOBAIL"), FieldType::Character, 8, 0},
        {QStringLiteral("BAILAHCOOP"), FieldType::Character, 10, 0},
        {QStringLiteral("A_NOM1"), FieldType::Character, 30, 0},
        {QStringLiteral("NOLOCATEUR"), FieldType::Numeric, 6, 0},
        {QStringLiteral("D_MNT"), FieldType::Numeric, 10, 2},
        {QStringLiteral("B_MEUBLE"), FieldType::Logical, 1, 0},
        {QStringLiteral("C_DEBUT"), FieldType::Date, 8, 0},
    };
}

// A table of leases with tags on the text, numeric and date fields.
class TableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = testsupport::TempDir();
        m_path = m_dir->filePath(QStringLiteral("BailStd.dbf"));
        Table::Create(m_path, LeaseFields());
        Table t(m_path, Table::Mode::Exclusive);
        t.AddTag(QStringLiteral("NOBAIL"), QStringLiteral("NOBAIL"));
        t.AddTag(QStringLiteral("BAILAHCOOP"), QStringLiteral("BAILAHCOOP"));
        t.AddTag(QStringLiteral("NOMLOC"), QStringLiteral("A_NOM1"));
        t.AddTag(QStringLiteral("NOLOCATEUR"), QStringLiteral("NOLOCATEUR"));
    }

    static uint32_t AddLease(Table &t, const QString &kind, int number, const QString &name, int lessor = 1)
    {
        Record r = t.NewRecord();
        const QString no = QString::number(number);
        r.SetString(QStringLiteral("NOBAIL"), no);
        r.SetString(QStringLiteral("BAILAHCOOP"), kind + no.rightJustified(8, ' '));
        r.SetString(QStringLiteral("A_NOM1"), name);
        r.SetInteger(r.Index(QStringLiteral("NOLOCATEUR")), lessor);
        return t.AppendRecord(r);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

std::vector<uint32_t> Walk(Cursor &c)
{
    std::vector<uint32_t> out;
    for (bool ok = c.First(); ok; ok = c.Next())
        out.push_back(c.Recno());
    return out;
}

} // namespace

TEST_F(TableTest, FieldsReadBackAsWrittenAndBlankIsNull)
{
    Table t(m_path, Table::Mode::Shared);
    Record r = t.NewRecord();
    const int mnt = r.Index(QStringLiteral("D_MNT"));
    const int meuble = r.Index(QStringLiteral("B_MEUBLE"));
    const int debut = r.Index(QStringLiteral("C_DEBUT"));
    const int lessor = r.Index(QStringLiteral("NOLOCATEUR"));
    r.SetString(QStringLiteral("A_NOM1"), QStringLiteral("Émilie Côté"));
    r.SetDouble(mnt, 1234.5);
    r.SetBoolean(meuble, true);
    r.SetDate(debut, QDate(2026, 7, 1));
    const uint32_t recno = t.AppendRecord(r);

    Record back;
    ASSERT_TRUE(t.ReadRecord(recno, back));
    EXPECT_EQ(back.AsString(QStringLiteral("A_NOM1")), QStringLiteral("Émilie Côté"));
    EXPECT_EQ(back.RawField(mnt), std::string("   1234.50"));
    EXPECT_DOUBLE_EQ(*back.AsDouble(mnt), 1234.5);
    EXPECT_EQ(back.AsBoolean(meuble), std::optional<bool>(true));
    EXPECT_EQ(back.AsDate(debut), QDate(2026, 7, 1));
    EXPECT_EQ(back.AsString(debut), QStringLiteral("20260701"));
    // Never-set fields are null; the text field is stored in Windows-1252.
    EXPECT_TRUE(back.IsNull(lessor));
    EXPECT_FALSE(back.AsInteger(lessor).has_value());
    EXPECT_EQ(back.RawField(back.Index(QStringLiteral("A_NOM1"))).substr(0, 4), std::string("\xC9mil"));

    // A text longer than the field is cut, an empty text clears, a number that does not fit is refused.
    r.SetString(QStringLiteral("NOBAIL"), QStringLiteral("1234567890"));
    EXPECT_EQ(r.AsString(QStringLiteral("NOBAIL")), QStringLiteral("12345678"));
    r.SetString(QStringLiteral("A_NOM1"), QString());
    EXPECT_TRUE(r.IsNull(r.Index(QStringLiteral("A_NOM1"))));
    EXPECT_THROW(r.SetInteger(lessor, 12345678), EDBEngineError);
    EXPECT_THROW(r.SetString(debut, QStringLiteral("2026/02/30")), EDBEngineError);
}

TEST_F(TableTest, DatabaseNamesAndFileNamesIgnoreCase)
{
    Session &s = Session::Instance();
    s.DefineDatabase(QStringLiteral("DbBailData"), QStringLiteral("DBASE"), {QStringLiteral("PATH=/nowhere")});
    s.DefineDatabase(QStringLiteral("dbBailData"), QStringLiteral("DBASE"), {QStringLiteral("PATH=") + m_dir->path()});
    EXPECT_EQ(s.DatabaseNames().filter(QRegularExpression(QStringLiteral("^dbbaildata$"),
                                                           QRegularExpression::CaseInsensitiveOption)).size(), 1);
    auto t = s.OpenTable(QStringLiteral("DBBAILDATA"), QStringLiteral("BAILSTD.DBF"));
    EXPECT_EQ(t->Path(), m_path);
    auto t2 = s.OpenTable(QStringLiteral("dbbaildata"), QStringLiteral("bailstd.dbf"));
    EXPECT_EQ(t2->FindTag(QStringLiteral("nomloc")), t2->FindTag(QStringLiteral("A_NOM1")));

    try {
        s.OpenTable(QStringLiteral("DbBailData"), QStringLiteral("Absent.dbf"));
        FAIL() << "a missing table opened";
    } catch (const EDBEngineError &e) {
        EXPECT_EQ(e.Code(), kTableNotFound);
        EXPECT_EQ(e.Errors().back().message.mid(6), m_dir->filePath(QStringLiteral("Absent.dbf")));
    }
}

TEST_F(TableTest, ExclusiveOpensConflictInThisProcessAndOthers)
{
    {
        Table shared(m_path, Table::Mode::Shared);
        try {
            Table excl(m_path, Table::Mode::Exclusive);
            FAIL() << "exclusive open beside a shared one";
        } catch (const EDBEngineError &e) {
            EXPECT_EQ(e.Code(), kFileInUse);
        }
        const int child = InChild([&] {
            try {
                Table excl(m_path, Table::Mode::Exclusive);
                return 0;
            } catch (const EDBEngineError &e) {
                return e.Code() == kFileInUse ? 1 : 2;
            }
        });
        EXPECT_EQ(child, 1);
    }
    Table excl(m_path, Table::Mode::Exclusive);
    const int child = InChild([&] {
        try {
            Table reader(m_path, Table::Mode::ReadOnly);
            return 0;
        } catch (const EDBEngineError &e) {
            return e.Code() == kFileInUse ? 1 : 2;
        }
    });
    EXPECT_EQ(child, 1);
}

// Another program of the dBase IV locking scheme, as a description of its own on the file.
class TForeignLocker {
public:
    explicit TForeignLocker(const QString &path) : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR)) {}
    ~TForeignLocker() { ::close(m_fd); }
    bool Lock(uint64_t from, uint64_t length)
    {
        struct flock fl {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = off_t(from);
        fl.l_len = off_t(length);
        return ::fcntl(m_fd, F_OFD_SETLK, &fl) == 0;
    }
    void Unlock()
    {
        struct flock fl {};
        fl.l_type = F_UNLCK;
        fl.l_whence = SEEK_SET;
        ::fcntl(m_fd, F_OFD_SETLK, &fl);
    }

private:
    int m_fd;
};

TEST_F(TableTest, LocksAgreeWithOtherProgramsOfTheScheme)
{
    uint32_t recno;
    {
        Table t(m_path, Table::Mode::Shared);
        recno = AddLease(t, QStringLiteral("NN"), 1, QStringLiteral("Tremblay"));
    }
    const uint64_t rowByte = 0xEFFFFFFEull - recno;
    TForeignLocker other(m_path);
    {
        // An exclusive open keeps the other program off every row and off appends, and its
        // own edits leave that lock whole.
        Table t(m_path, Table::Mode::Exclusive);
        EXPECT_FALSE(other.Lock(rowByte, 1));
        EXPECT_FALSE(other.Lock(0xEFFFFFFFull, 1));
        t.LockRecord(recno);
        t.UnlockRecord(recno);
        AddLease(t, QStringLiteral("NN"), 2, QStringLiteral("Gagnon"));
        EXPECT_FALSE(other.Lock(rowByte, 1));
        EXPECT_FALSE(other.Lock(0xEFFFFFFFull, 1));
    }
    // The other program holds the whole table: no row edit here, no exclusive open.
    ASSERT_TRUE(other.Lock(0x40000000ull, 0xB0000000ull));
    {
        Table t(m_path, Table::Mode::Shared);
        try {
            t.LockRecord(recno);
            FAIL() << "a row of a table locked whole was edited";
        } catch (const EDBEngineError &e) {
            EXPECT_EQ(e.Code(), kLockedByOther);
        }
    }
    EXPECT_THROW(Table(m_path, Table::Mode::Exclusive), EDBEngineError);
    other.Unlock();
    // Its row lock: the same row is refused here, the others are free.
    ASSERT_TRUE(other.Lock(rowByte, 1));
    Table t(m_path, Table::Mode::Shared);
    EXPECT_THROW(t.LockRecord(recno), EDBEngineError);
    EXPECT_NO_THROW(t.LockRecord(recno + 1));
}

TEST_F(TableTest, RecordLocksTellAnotherWindowFromAnotherUser)
{
    uint32_t recno;
    {
        Table t(m_path, Table::Mode::Shared);
        recno = AddLease(t, QStringLiteral("NN"), 1, QStringLiteral("Tremblay"));
        AddLease(t, QStringLiteral("NN"), 2, QStringLiteral("Gagnon"));
    }
    Table window1(m_path, Table::Mode::Shared);
    Table window2(m_path, Table::Mode::Shared);
    window1.LockRecord(recno);
    try {
        window2.LockRecord(recno);
        FAIL() << "two windows edit one row";
    } catch (const EDBEngineError &e) {
        EXPECT_EQ(e.Code(), kLockedHere);
    }
    EXPECT_NO_THROW(window2.LockRecord(recno + 1)); // other rows stay free
    const int child = InChild([&] {
        Table other(m_path, Table::Mode::Shared);
        try {
            other.LockRecord(recno);
            return 0;
        } catch (const EDBEngineError &e) {
            return e.Code() == kLockedByOther ? 1 : 2;
        }
    });
    EXPECT_EQ(child, 1);

    // Deleted by another user, then edited here: the row is gone.
    window1.DeleteRecord(recno);
    window1.UnlockRecord(recno);
    try {
        window2.LockRecord(recno);
        FAIL() << "a deleted row was locked";
    } catch (const EDBEngineError &e) {
        EXPECT_EQ(e.Code(), kRecordDeleted);
    }
    // The same when the other user is another process.
    const uint32_t third = AddLease(window1, QStringLiteral("NN"), 3, QStringLiteral("Roy"));
    EXPECT_EQ(InChild([&] {
        Table other(m_path, Table::Mode::Shared);
        other.LockRecord(third);
        other.DeleteRecord(third);
        other.UnlockRecord(third);
        return 0;
    }), 0);
    try {
        window2.LockRecord(third);
        FAIL() << "a row deleted by another process was locked";
    } catch (const EDBEngineError &e) {
        EXPECT_EQ(e.Code(), kRecordDeleted);
    }
    // Closing a table object releases its locks.
    window2.UnlockRecord(recno + 1);
    EXPECT_EQ(InChild([&] {
        Table other(m_path, Table::Mode::Shared);
        other.LockRecord(recno + 1);
        return 0;
    }), 0);
}

TEST_F(TableTest, ReadersSeeOtherProcessesChangesAtTheirNextMove)
{
    Table t(m_path, Table::Mode::Shared);
    AddLease(t, QStringLiteral("NN"), 5, QStringLiteral("Roy"));
    Cursor byName(t);
    byName.SetOrder(QStringLiteral("NOMLOC"));
    ASSERT_TRUE(byName.First());
    EXPECT_FALSE(byName.Next());

    ASSERT_EQ(InChild([&] {
        Table other(m_path, Table::Mode::Shared);
        AddLease(other, QStringLiteral("NN"), 6, QStringLiteral("Simard"));
        Record r;
        other.LockRecord(1, &r);
        r.SetString(QStringLiteral("A_NOM1"), QStringLiteral("Bouchard"));
        other.WriteRecord(1, r);
        return 0;
    }), 0);

    // The renamed row now sorts first, and the new row follows it.
    ASSERT_TRUE(byName.First());
    EXPECT_EQ(byName.Current().AsString(QStringLiteral("A_NOM1")), QStringLiteral("Bouchard"));
    ASSERT_TRUE(byName.Next());
    EXPECT_EQ(byName.Current().AsString(QStringLiteral("A_NOM1")), QStringLiteral("Simard"));
    EXPECT_EQ(t.RecordCount(), 2u);
}

// A writer killed between its keys and its count leaves entries for a row that was never
// committed. Walks, finds, ranges and moves never show it, until a writer commits that
// row number for real.
TEST_F(TableTest, CursorsNeverShowRowsBeyondTheCommittedCount)
{
    {
        Table t(m_path, Table::Mode::Shared);
        AddLease(t, QStringLiteral("NN"), 12, QStringLiteral("Lavoie"));
        AddLease(t, QStringLiteral("NN"), 7, QStringLiteral("Côté"));
        AddLease(t, QStringLiteral("ON"), 3, QStringLiteral("Fortin"));
        // The dead writer's row: bytes past the count, keys first in NOBAIL order, last in
        // name order and inside the NN range.
        Record ghost = t.NewRecord();
        ghost.SetString(QStringLiteral("NOBAIL"), QStringLiteral("0"));
        ghost.SetString(QStringLiteral("BAILAHCOOP"), QStringLiteral("NN       0"));
        ghost.SetString(QStringLiteral("A_NOM1"), QStringLiteral("Zz"));
        File dbf(m_path, File::Mode::ReadWrite);
        const std::string bytes = ghost.Bytes() + char(fmt::kEndOfFile);
        dbf.WriteAt(t.Header().headerLength + 3ull * t.Header().recordLength, bytes.data(), bytes.size());
        t.Index()->SetDirty(true);
        for (int tag = 0; tag < 4; ++tag)
            t.Index()->Insert(tag, {t.KeyFor(tag, ghost), 4});
    }
    Table t(m_path, Table::Mode::ReadOnly); // repairs nothing
    ASSERT_TRUE(t.Index()->IsDirty());
    Cursor c(t);
    c.SetOrder(QStringLiteral("NOBAIL"));
    EXPECT_EQ(Walk(c), (std::vector<uint32_t>{1, 3, 2}));
    EXPECT_FALSE(c.FindKey(t.KeyFromText(c.OrderTag(), QStringLiteral("0"))));
    ASSERT_TRUE(c.FindNearest(t.KeyFromText(c.OrderTag(), QStringLiteral("0"))));
    EXPECT_EQ(c.Recno(), 1u);
    c.SetOrder(QStringLiteral("NOMLOC"));
    ASSERT_TRUE(c.Last());
    EXPECT_EQ(c.Recno(), 1u);
    c.SetOrder(QStringLiteral("BAILAHCOOP"));
    c.SetRange(std::string("NN") + std::string(8, '\0'), std::string("NN") + std::string(8, '\xFF'));
    EXPECT_EQ(Walk(c), (std::vector<uint32_t>{2, 1}));
    EXPECT_FALSE(c.GoTo(4));

    // Another process's next append takes row 4 for real; the reader sees it at its next move.
    ASSERT_EQ(InChild([&] {
        Table other(m_path, Table::Mode::Shared);
        return AddLease(other, QStringLiteral("NN"), 9, QStringLiteral("Roy")) == 4 ? 0 : 1;
    }), 0);
    EXPECT_EQ(Walk(c), (std::vector<uint32_t>{2, 4, 1}));
    c.CancelRange();
    c.SetOrder(QStringLiteral("NOBAIL"));
    EXPECT_FALSE(c.FindKey(t.KeyFromText(c.OrderTag(), QStringLiteral("0"))));
}

TEST_F(TableTest, CursorOrdersRangesAndFinds)
{
    Table t(m_path, Table::Mode::Shared);
    AddLease(t, QStringLiteral("NN"), 12, QStringLiteral("Lavoie"));
    AddLease(t, QStringLiteral("ON"), 3, QStringLiteral("Fortin"));
    AddLease(t, QStringLiteral("NN"), 7, QStringLiteral("Côté"));
    AddLease(t, QStringLiteral("OO"), 4071, QStringLiteral("Morin"));
    AddLease(t, QStringLiteral("NN"), 100, QStringLiteral("Ouellet"));

    Cursor c(t);
    c.SetOrder(QStringLiteral("BAILAHCOOP"));
    const int tag = c.OrderTag();
    c.SetRange(std::string("NN") + std::string(8, '\0'), std::string("NN") + std::string(8, '\xFF'));
    EXPECT_EQ(Walk(c), (std::vector<uint32_t>{3, 1, 5})); // 7, 12, 100 in key order
    ASSERT_TRUE(c.Last());
    EXPECT_EQ(c.Recno(), 5u);
    EXPECT_FALSE(c.Next());
    EXPECT_TRUE(c.Eof());
    EXPECT_EQ(c.Recno(), 5u);

    // A failed find leaves the position; a key outside the range is not found.
    ASSERT_TRUE(c.First());
    EXPECT_FALSE(c.FindKey(t.KeyFromText(tag, QStringLiteral("NN      99"))));
    EXPECT_EQ(c.Recno(), 3u);
    EXPECT_FALSE(c.FindKey(t.KeyFromText(tag, QStringLiteral("OO    4071"))));
    EXPECT_TRUE(c.FindKey(t.KeyFromText(tag, QStringLiteral("NN     100"))));
    EXPECT_EQ(c.Recno(), 5u);

    c.CancelRange();
    c.SetOrder(QStringLiteral("A_NOM1"));
    EXPECT_TRUE(c.FindNearest(t.KeyFromText(c.OrderTag(), QStringLiteral("Lav"))));
    EXPECT_EQ(c.Current().AsString(QStringLiteral("A_NOM1")), QStringLiteral("Lavoie"));
    // A change of order keeps the current row.
    c.SetOrder(QStringLiteral("NOBAIL"));
    EXPECT_EQ(c.Recno(), 1u);
    ASSERT_TRUE(c.Next());
    EXPECT_EQ(c.Current().AsString(QStringLiteral("NOBAIL")), QStringLiteral("3"));

    // Deleted rows are never shown; refreshing a deleted row moves on.
    t.LockRecord(3);
    t.DeleteRecord(3);
    t.UnlockRecord(3);
    c.SetOrder(QStringLiteral("BAILAHCOOP"));
    c.SetRange(std::string("NN") + std::string(8, '\0'), std::string("NN") + std::string(8, '\xFF'));
    EXPECT_EQ(Walk(c), (std::vector<uint32_t>{1, 5}));
    Cursor physical(t);
    EXPECT_EQ(Walk(physical), (std::vector<uint32_t>{1, 2, 4, 5}));
    ASSERT_TRUE(physical.GoTo(4));
    t.LockRecord(4);
    t.DeleteRecord(4);
    t.UnlockRecord(4);
    EXPECT_FALSE(physical.Refresh());
    EXPECT_EQ(physical.Recno(), 5u);
}

TEST_F(TableTest, NumericAndDateTagsOrderByValue)
{
    Table t(m_path, Table::Mode::Exclusive);
    t.AddTag(QStringLiteral("DEBUT"), QStringLiteral("C_DEBUT"));
    t.AddTag(QStringLiteral("MNT"), QStringLiteral("D_MNT"));
    const double amounts[] = {950.0, -12.5, 0.0, 10.25, 1e6, 0.05};
    const QDate dates[] = {QDate(2026, 7, 1), QDate(1999, 12, 31), QDate(), QDate(2026, 1, 15), QDate(1900, 1, 1), QDate(2030, 6, 30)};
    for (int i = 0; i < 6; ++i) {
        Record r = t.NewRecord();
        r.SetDouble(r.Index(QStringLiteral("D_MNT")), amounts[i]);
        r.SetDate(r.Index(QStringLiteral("C_DEBUT")), dates[i]);
        t.AppendRecord(r);
    }
    Cursor c(t);
    c.SetOrder(QStringLiteral("MNT"));
    EXPECT_EQ(Walk(c), (std::vector<uint32_t>{2, 3, 6, 4, 1, 5}));
    c.SetOrder(QStringLiteral("DEBUT"));
    EXPECT_EQ(Walk(c), (std::vector<uint32_t>{3, 5, 2, 4, 1, 6})); // blank date first
    EXPECT_TRUE(c.FindKey(t.KeyFromText(c.OrderTag(), QStringLiteral("2026/01/15"))));
    EXPECT_EQ(c.Recno(), 4u);
}

TEST_F(TableTest, PackRemovesDeletedRowsAndRegeneratesTags)
{
    {
        Table t(m_path, Table::Mode::Shared);
        for (int i = 1; i <= 300; ++i)
            AddLease(t, QStringLiteral("NN"), i, QStringLiteral("Nom %1").arg(1000 - i));
        for (uint32_t r = 2; r <= 300; r += 3) {
            t.LockRecord(r);
            t.DeleteRecord(r);
            t.UnlockRecord(r);
        }
    }
    // A folder shared by a group: the rewritten files stay writable by it (group and other bits).
    const QString mdx = QFileInfo(m_path).absolutePath() + QLatin1Char('/') + QFileInfo(m_path).completeBaseName() + QStringLiteral(".mdx");
    const auto shared = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::WriteGroup;
    ASSERT_TRUE(QFile::setPermissions(m_path, shared));
    ASSERT_TRUE(QFile::setPermissions(mdx, shared));
    Table t(m_path, Table::Mode::Exclusive);
    t.Pack();
    EXPECT_EQ(QFile::permissions(m_path) & 0x00FF, shared & 0x00FF);
    EXPECT_EQ(QFile::permissions(mdx) & 0x00FF, shared & 0x00FF);
    EXPECT_EQ(t.RecordCount(), 200u);
    Cursor c(t);
    c.SetOrder(QStringLiteral("NOMLOC"));
    std::vector<QString> names;
    for (bool ok = c.First(); ok; ok = c.Next())
        names.push_back(c.Current().AsString(QStringLiteral("NOBAIL")));
    ASSERT_EQ(names.size(), 200u);
    EXPECT_EQ(names.front(), QStringLiteral("300"));
    EXPECT_EQ(names.back(), QStringLiteral("1"));
    for (const auto &n : names)
        EXPECT_NE(n.toInt() % 3, 2) << "deleted lease " << n.toStdString() << " survived the pack";
    EXPECT_TRUE(t.Index()->CheckStructure().empty());
    EXPECT_EQ(QDir(m_dir->path()).entryList(QDir::Files).size(), 2); // no temporary files left
}

TEST_F(TableTest, RestructureWidensKeepingRowsAndTags)
{
    {
        Table t(m_path, Table::Mode::Shared);
        AddLease(t, QStringLiteral("NN"), 1, QStringLiteral("Bergeron"));
        AddLease(t, QStringLiteral("NN"), 2, QStringLiteral("Pelletier-Lévesque, Marie-Ève"));
    }
    {
        Table shared(m_path, Table::Mode::Shared);
        try {
            shared.Restructure({{QStringLiteral("A_NOM1"), FieldType::Character, 50, 0}});
            FAIL() << "restructured a shared table";
        } catch (const EDBEngineError &e) {
            EXPECT_EQ(e.Code(), kRestructureFailed);
        }
    }
    Table t(m_path, Table::Mode::Exclusive);
    t.Restructure({{QStringLiteral("a_nom1"), FieldType::Character, 50, 0}});
    EXPECT_EQ(t.Fields()[size_t(t.FieldIndex(QStringLiteral("A_NOM1")))].width, 50);
    Record r;
    ASSERT_TRUE(t.ReadRecord(2, r));
    EXPECT_EQ(r.AsString(QStringLiteral("A_NOM1")), QStringLiteral("Pelletier-Lévesque, Marie-Ève"));
    EXPECT_EQ(r.RawField(r.Index(QStringLiteral("A_NOM1"))).substr(29), std::string(21, ' '));
    EXPECT_EQ(r.AsString(QStringLiteral("BAILAHCOOP")), QStringLiteral("NN       2"));
    Cursor c(t);
    c.SetOrder(QStringLiteral("NOMLOC"));
    EXPECT_EQ(t.Tag(c.OrderTag()).keyLength, 50);
    EXPECT_TRUE(c.FindKey(t.KeyFromText(c.OrderTag(), QStringLiteral("Bergeron"))));
    EXPECT_EQ(c.Recno(), 1u);

    // Narrowing may drop blanks only: a width that would cut a name is refused, file untouched.
    try {
        t.Restructure({{QStringLiteral("A_NOM1"), FieldType::Character, 28, 0}});
        FAIL() << "a name was cut";
    } catch (const EDBEngineError &e) {
        EXPECT_EQ(e.Code(), kRestructureFailed);
    }
    EXPECT_EQ(t.Fields()[size_t(t.FieldIndex(QStringLiteral("A_NOM1")))].width, 50);
    t.Restructure({{QStringLiteral("A_NOM1"), FieldType::Character, 29, 0}});
    ASSERT_TRUE(t.ReadRecord(2, r));
    EXPECT_EQ(r.AsString(QStringLiteral("A_NOM1")), QStringLiteral("Pelletier-Lévesque, Marie-Ève"));
}

TEST_F(TableTest, FullDiskLeavesTheTableAsItWas)
{
    {
        Table t(m_path, Table::Mode::Shared);
        for (int i = 1; i <= 50; ++i)
            AddLease(t, QStringLiteral("NN"), i, QStringLiteral("Avant %1").arg(i));
    }
    const QString mdx = m_dir->filePath(QStringLiteral("BailStd.mdx"));
    const qint64 dbfSize = QFileInfo(m_path).size();
    const qint64 mdxSize = QFileInfo(mdx).size();
    // The child may not grow any file: the next append cannot find room.
    const int child = InChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit lim {};
        lim.rlim_cur = lim.rlim_max = rlim_t(std::min(dbfSize, mdxSize));
        setrlimit(RLIMIT_FSIZE, &lim);
        Table t(m_path, Table::Mode::Shared);
        try {
            AddLease(t, QStringLiteral("NN"), 51, QStringLiteral("Pendant"));
            return 0;
        } catch (const EDBEngineError &e) {
            return e.Code() == kIoError ? 1 : 2;
        }
    });
    EXPECT_EQ(child, 1);
    Table t(m_path, Table::Mode::Shared);
    EXPECT_EQ(t.RecordCount(), 50u);
    EXPECT_EQ(QFileInfo(m_path).size(), dbfSize);
    EXPECT_TRUE(t.Index()->CheckStructure().empty());
    Cursor c(t);
    c.SetOrder(QStringLiteral("NOBAIL"));
    EXPECT_EQ(Walk(c).size(), 50u);
    // With room again, work goes on.
    AddLease(t, QStringLiteral("NN"), 51, QStringLiteral("Après"));
    EXPECT_EQ(Walk(c).size(), 51u);
}

TEST_F(TableTest, KilledWritersLoseNothingCommitted)
{
    for (int round = 0; round < 12; ++round) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            try {
                Table t(m_path, Table::Mode::Shared);
                for (int i = 0;; ++i) {
                    const uint32_t r = AddLease(t, QStringLiteral("NN"), 100000 + int(t.KnownRecordCount()),
                                                QStringLiteral("Ligne %1").arg(t.KnownRecordCount() + 1));
                    if (i % 3 == 0) { // an edit that moves keys, between appends
                        Record rec;
                        t.LockRecord(r, &rec);
                        rec.SetString(QStringLiteral("A_NOM1"), QStringLiteral("Ligne %1").arg(r));
                        t.WriteRecord(r, rec);
                        t.UnlockRecord(r);
                    }
                    if (write(fds[1], &r, sizeof r) != sizeof r)
                        _exit(3);
                }
            } catch (...) {
                _exit(2);
            }
        }
        close(fds[1]);
        usleep(useconds_t(20000 + round * 7919 % 60000));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        uint32_t last = 0, r = 0;
        while (read(fds[0], &r, sizeof r) == sizeof r)
            last = r;
        close(fds[0]);
        ASSERT_TRUE(WIFSIGNALED(status)) << "writer stopped by itself in round " << round;

        Table t(m_path, Table::Mode::Shared); // opening repairs what the killed writer left
        ASSERT_GE(t.RecordCount(), last);
        Record rec;
        for (uint32_t i = 1; i <= last; ++i) {
            ASSERT_TRUE(t.ReadRecord(i, rec));
            ASSERT_EQ(rec.AsString(QStringLiteral("A_NOM1")), QStringLiteral("Ligne %1").arg(i)) << "row " << i;
        }
        ASSERT_TRUE(t.Index()->CheckStructure().empty());
        for (const char *tag : {"NOBAIL", "NOMLOC", "BAILAHCOOP", "NOLOCATEUR"}) {
            const int tagNo = t.FindTag(QLatin1String(tag));
            std::multiset<uint32_t> seen;
            for (const auto &e : t.Index()->All(tagNo)) {
                ASSERT_TRUE(t.ReadRecord(e.recno, rec)) << tag << " points past the table";
                ASSERT_EQ(e.key, t.KeyFor(tagNo, rec)) << tag << " has a stale key for row " << e.recno;
                seen.insert(e.recno);
            }
            ASSERT_EQ(seen.size(), t.RecordCount()) << tag;
            ASSERT_EQ(std::set<uint32_t>(seen.begin(), seen.end()).size(), seen.size()) << tag << " has a row twice";
        }
    }
}
