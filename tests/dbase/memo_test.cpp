// Memo fields: memo files written by other programs, binary memos we write (cross-checked
// with Perl XBase's reader), damaged memo files, and writers in several processes at once.

#include "TestSupport.h"
#include "dbase/EngineError.h"
#include "dbase/Table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

using namespace dbase;

namespace {

QString Fixture(const QString &rel)
{
    const QString dir = testsupport::FixtureDir(QStringLiteral("dbase"));
    return dir.isEmpty() ? QString() : dir + QLatin1Char('/') + rel;
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

void CopyFixture(const QString &rel, const QString &to)
{
    ASSERT_TRUE(QFile::copy(Fixture(rel), to)) << rel.toStdString();
    QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
}

// size bytes in which every byte value occurs once size reaches 256.
QByteArray Pattern(qsizetype size, int seed)
{
    QByteArray b(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        b[i] = char((i * 131 + seed) & 0xFF);
    return b;
}

// Every row's memo fields (deleted rows included), one line per row: the bytes in hex, "-"
// for no memo.
QStringList OurMemos(Table &t)
{
    QStringList rows;
    Record rec;
    for (uint32_t r = 1; r <= t.RecordCount(); ++r) {
        t.ReadRecord(r, rec);
        QStringList fields;
        for (int f = 0; f < rec.FieldCount(); ++f) {
            if (t.Fields()[size_t(f)].type != FieldType::Memo)
                continue;
            const QByteArray m = t.ReadMemo(rec, f);
            fields << (m.isEmpty() ? QStringLiteral("-") : QString::fromLatin1(m.toHex()));
        }
        rows << fields.join(QLatin1Char('|'));
    }
    return rows;
}

bool HavePerlXBase()
{
    return testsupport::HaveProgram(QStringLiteral("perl")) &&
           testsupport::Run(QStringLiteral("perl"), {QStringLiteral("-MXBase"), QStringLiteral("-e1")}) == 0;
}

// The same lines as OurMemos, read by Perl XBase.
QStringList PerlMemos(const QString &path)
{
    static const QString script = QStringLiteral(
        "$t=XBase->new($ARGV[0]) or die XBase->errstr; @n=$t->field_names;"
        "@m=grep { $t->field_type($n[$_]) eq 'M' } 0..$#n;"
        "for $i (0..$t->last_record) { @r=$t->get_record($i) or die $t->errstr; shift @r;"
        "  print join('|', map { defined $r[$_] && length $r[$_] ? unpack('H*',$r[$_]) : '-' } @m), \"\\n\" }");
    QString out, err;
    if (testsupport::Run(QStringLiteral("perl"), {QStringLiteral("-MXBase"), QStringLiteral("-e"), script, path}, &out, &err) != 0) {
        ADD_FAILURE() << "Perl XBase failed on " << path.toStdString() << ": " << err.toStdString();
        return {};
    }
    return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

std::vector<FieldDef> ArchiveFields()
{
    return {
        {QStringLiteral("ID"), FieldType::Numeric, 8, 0},
        {QStringLiteral("NAME"), FieldType::Character, 10, 0},
        {QStringLiteral("DOCUMENT"), FieldType::Memo, 10, 0},
    };
}

constexpr int kId = 0, kName = 1, kDoc = 2;

uint32_t AddRow(Table &t, int id, const QByteArray &memo)
{
    Record r = t.NewRecord();
    r.SetInteger(kId, id);
    r.SetString(kName, QStringLiteral("row %1").arg(id));
    r.SetMemo(kDoc, memo);
    return t.AppendRecord(r);
}

// The memo file's header must count exactly the blocks the file holds.
void ExpectHeaderCountsFile(const QString &dbt, int blockSize = 512)
{
    const QByteArray b = ReadAll(dbt);
    ASSERT_GE(b.size(), 512);
    const uint32_t next = uint8_t(b[0]) | uint8_t(b[1]) << 8 | uint8_t(b[2]) << 16 | uint32_t(uint8_t(b[3])) << 24;
    EXPECT_EQ(qint64(next) * blockSize, b.size()) << dbt.toStdString();
}

} // namespace

TEST(MemoFixtures, ReadLikePerl)
{
    REQUIRE_FIXTURES(Fixture(QString()));
    const bool perl = HavePerlXBase();
    // dBase III text memos, dBase IV text memos, a database engine's, binary memos, an empty
    // table whose memo file is only a cut-off header.
    for (const char *rel : {"dbd-xbase/test.dbf", "infused-dbf/dbase_8b.dbf", "ndbfreaderex/BDE_TEST_4_512.dbf",
                            "s7/BAUSTEIN.DBF", "s7/XR000001.DBF"}) {
        SCOPED_TRACE(rel);
        Table t(Fixture(QLatin1String(rel)), Table::Mode::ReadOnly);
        const QStringList ours = OurMemos(t);
        EXPECT_EQ(ours.size(), qsizetype(t.RecordCount()));
        if (perl) {
            EXPECT_EQ(ours, PerlMemos(Fixture(QLatin1String(rel))));
        }
    }
    Table t(Fixture(QStringLiteral("infused-dbf/dbase_8b.dbf")), Table::Mode::ReadOnly);
    Record r;
    ASSERT_TRUE(t.ReadRecord(1, r));
    EXPECT_EQ(t.ReadMemo(r, r.Index(QStringLiteral("MEMO"))), QByteArray("First memo\r\n"));
}

TEST(MemoFixtures, OlderStyleMemosAreNotWritten)
{
    REQUIRE_FIXTURES(Fixture(QString()));
    auto dir = testsupport::TempDir();
    const QString path = dir->filePath(QStringLiteral("test.dbf"));
    CopyFixture(QStringLiteral("dbd-xbase/test.dbf"), path);
    CopyFixture(QStringLiteral("dbd-xbase/test.dbt"), dir->filePath(QStringLiteral("test.dbt")));
    const QByteArray dbtBefore = ReadAll(dir->filePath(QStringLiteral("test.dbt")));
    Table t(path, Table::Mode::Shared);
    Record r;
    t.LockRecord(1, &r);
    const QByteArray before = t.ReadMemo(r, r.Index(QStringLiteral("NOTE")));
    r.SetMemo(r.Index(QStringLiteral("NOTE")), QByteArray("new"));
    try {
        t.WriteRecord(1, r);
        FAIL() << "a dBase III memo was written";
    } catch (const EDBEngineError &e) {
        EXPECT_EQ(e.Code(), kInvalidOperation);
    }
    ASSERT_TRUE(t.ReadRecord(1, r));
    EXPECT_EQ(t.ReadMemo(r, r.Index(QStringLiteral("NOTE"))), before);
    EXPECT_EQ(ReadAll(dir->filePath(QStringLiteral("test.dbt"))), dbtBefore);
}

TEST(MemoTable, BinaryMemosOfEverySizeReadBackHereAndInPerl)
{
    auto dir = testsupport::TempDir();
    const QString path = dir->filePath(QStringLiteral("KelArch.dbf"));
    const QString dbt = dir->filePath(QStringLiteral("KelArch.dbt"));
    Table::Create(path, ArchiveFields());
    // A dBase IV table with memos, and a memo file of one header block naming it.
    EXPECT_EQ(uint8_t(ReadAll(path)[0]), 0x8B);
    const QByteArray header = ReadAll(dbt);
    ASSERT_EQ(header.size(), 512);
    EXPECT_EQ(header.left(16), QByteArray("\x01\0\0\0\0\0\0\0KELARCH\0", 16));
    EXPECT_EQ(header.mid(16, 6), QByteArray("\0\0\x02\x01\0\x02", 6));
    // Tables without memo fields stay as they were: no memo file, version 0x03.
    Table::Create(dir->filePath(QStringLiteral("plain.dbf")), {ArchiveFields()[0]});
    EXPECT_EQ(uint8_t(ReadAll(dir->filePath(QStringLiteral("plain.dbf")))[0]), 0x03);
    EXPECT_FALSE(QFileInfo::exists(dir->filePath(QStringLiteral("plain.dbt"))));

    // Sizes around the block size with and without the 8-byte memo prefix, in our memo file
    // and in one whose header asks for 64-byte blocks.
    const std::vector<qsizetype> sizes{0, 1, 56, 57, 504, 505, 511, 512, 513, 300000};
    const bool perl = HavePerlXBase();
    for (const int blockSize : {512, 64}) {
        SCOPED_TRACE(blockSize);
        Table::Create(path, ArchiveFields());
        if (blockSize != 512) {
            QByteArray b = ReadAll(dbt);
            b[20] = char(blockSize);
            b[21] = 0;
            WriteAll(dbt, b);
        }
        QStringList expected;
        {
            Table t(path, Table::Mode::Shared);
            for (size_t i = 0; i < sizes.size(); ++i) {
                const QByteArray memo = Pattern(sizes[i], int(i));
                AddRow(t, int(i), memo);
                expected << (memo.isEmpty() ? QStringLiteral("-") : QString::fromLatin1(memo.toHex()));
            }
        }
        Table t(path, Table::Mode::ReadOnly);
        EXPECT_EQ(OurMemos(t), expected);
        Record r;
        ASSERT_TRUE(t.ReadRecord(1, r));
        EXPECT_TRUE(r.IsNull(kDoc));
        ExpectHeaderCountsFile(dbt, blockSize);
        if (perl) {
            EXPECT_EQ(PerlMemos(path), expected);
        }
    }
}

TEST(MemoTable, EditsPackAndRestructureKeepMemos)
{
    auto dir = testsupport::TempDir();
    const QString path = dir->filePath(QStringLiteral("KELARCH.DBF"));
    Table::Create(path, ArchiveFields());
    const QString dbt = dir->filePath(QStringLiteral("KELARCH.DBT")); // named in the table's case
    ASSERT_TRUE(QFileInfo::exists(dbt));
    const QByteArray a = Pattern(700, 1), b = Pattern(20, 2), c = Pattern(5000, 3), d = Pattern(1500, 4);
    {
        Table t(path, Table::Mode::Shared);
        AddRow(t, 1, a);
        AddRow(t, 2, b);
        AddRow(t, 3, c);
        Record r;
        t.LockRecord(2, &r);
        r.SetMemo(kDoc, d);
        EXPECT_EQ(t.ReadMemo(r, kDoc), d); // set, not yet written
        t.WriteRecord(2, r);
        t.UnlockRecord(2);
        t.LockRecord(3, &r);
        r.SetMemo(kDoc, QByteArray());
        EXPECT_TRUE(r.IsNull(kDoc));
        t.WriteRecord(3, r);
        t.UnlockRecord(3);
        t.LockRecord(1);
        t.DeleteRecord(1);
        t.UnlockRecord(1);
        EXPECT_EQ(OurMemos(t), (QStringList{QString::fromLatin1(a.toHex()), QString::fromLatin1(d.toHex()), "-"}));
        // Re-reading a row forgets memos set on the record but never written.
        t.ReadRecord(2, r);
        r.SetMemo(kDoc, a);
        t.ReadRecord(2, r);
        EXPECT_EQ(t.ReadMemo(r, kDoc), d);
    }
    Table t(path, Table::Mode::Exclusive);
    t.Pack();
    const QStringList packed{QString::fromLatin1(d.toHex()), "-"};
    EXPECT_EQ(OurMemos(t), packed);
    t.Restructure({{QStringLiteral("NAME"), FieldType::Character, 20, 0}});
    EXPECT_EQ(OurMemos(t), packed);
    const QByteArray dbfBefore = ReadAll(path);
    try {
        t.Restructure({{QStringLiteral("DOCUMENT"), FieldType::Character, 10, 0}});
        FAIL() << "a memo field became text";
    } catch (const EDBEngineError &e) {
        EXPECT_EQ(e.Code(), kRestructureFailed);
    }
    EXPECT_EQ(ReadAll(path), dbfBefore);
    EXPECT_EQ(OurMemos(t), packed);
    ExpectHeaderCountsFile(dbt);
    if (HavePerlXBase()) {
        EXPECT_EQ(PerlMemos(path), packed);
    }
}

TEST(MemoTable, DamagedMemosGiveErrorsAndKeepTheRowsReadable)
{
    struct Case {
        const char *what;
        std::function<void(const QString &dbf, const QString &dbt)> damage;
        int code;
    };
    // Row 2's memo sits alone in block 3; rows 1 and 3 use blocks 1-2 and 4-5.
    auto setField = [](const QString &dbf, const std::string &raw) {
        Table t(dbf, Table::Mode::Shared);
        Record r;
        t.LockRecord(2, &r);
        r.SetRawField(kDoc, raw);
        t.WriteRecord(2, r);
    };
    auto patch = [](const QString &dbt, qsizetype at, const QByteArray &bytes) {
        QByteArray b = ReadAll(dbt);
        b.replace(at, bytes.size(), bytes);
        WriteAll(dbt, b);
    };
    const std::vector<Case> cases{
        {"block past the end", [&](const QString &dbf, const QString &) { setField(dbf, "     99999"); }, kCorruptFile},
        {"largest block number", [&](const QString &dbf, const QString &) { setField(dbf, "4294967295"); }, kCorruptFile},
        {"not a number", [&](const QString &dbf, const QString &) { setField(dbf, "       3x1"); }, kCorruptFile},
        {"block 0 is the header", [&](const QString &dbf, const QString &) { setField(dbf, "         0"); }, -1},
        {"length past the end", [&](const QString &, const QString &dbt) { patch(dbt, 3 * 512 + 4, QByteArray("\xF0\xFF\xFF\x7F", 4)); }, kCorruptFile},
        {"length below the prefix", [&](const QString &, const QString &dbt) { patch(dbt, 3 * 512 + 4, QByteArray("\x03\0\0\0", 4)); }, kCorruptFile},
        {"no memo at the block", [&](const QString &, const QString &dbt) { patch(dbt, 3 * 512, QByteArray(8, '\0')); }, kCorruptFile},
        {"block size too small", [&](const QString &, const QString &dbt) { patch(dbt, 20, QByteArray("\x08\0", 2)); }, kCorruptFile},
        {"file cut short", [&](const QString &, const QString &dbt) { WriteAll(dbt, ReadAll(dbt).left(3 * 512 + 6)); }, kCorruptFile},
        {"memo file missing", [&](const QString &, const QString &dbt) { QFile::remove(dbt); }, kTableNotFound},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto dir = testsupport::TempDir();
        const QString dbf = dir->filePath(QStringLiteral("arch.dbf"));
        const QString dbt = dir->filePath(QStringLiteral("arch.dbt"));
        Table::Create(dbf, ArchiveFields());
        {
            Table t(dbf, Table::Mode::Shared);
            AddRow(t, 1, Pattern(600, 1));
            AddRow(t, 2, Pattern(30, 2));
            AddRow(t, 3, Pattern(900, 3));
        }
        c.damage(dbf, dbt);
        Table t(dbf, Table::Mode::Shared);
        Record r;
        ASSERT_TRUE(t.ReadRecord(2, r));
        EXPECT_EQ(r.AsInteger(kId), 2); // the row itself still reads
        if (c.code < 0) {
            EXPECT_TRUE(r.IsNull(kDoc));
            EXPECT_TRUE(t.ReadMemo(r, kDoc).isEmpty());
            continue;
        }
        try {
            t.ReadMemo(r, kDoc);
            ADD_FAILURE() << "no error";
        } catch (const EDBEngineError &e) {
            EXPECT_EQ(e.Code(), c.code) << e.Message().toStdString();
            EXPECT_TRUE(e.Message().contains(c.code == kCorruptFile && std::string(c.what) == "not a number" ? dbf : dbt))
                << e.Message().toStdString();
        }
        // A new memo is refused without losing a row when the memo file cannot take it.
        if (c.code == kTableNotFound || std::string(c.what) == "block size too small") {
            EXPECT_THROW(AddRow(t, 4, Pattern(10, 4)), EDBEngineError);
            EXPECT_EQ(t.RecordCount(), 3u);
        }
    }
}

TEST(MemoTable, MemoFileLeftBehindIsMadeAnewWhileNoRowNeedsIt)
{
    // As when a table is copied from an empty seed without its memo file.
    auto dir = testsupport::TempDir();
    const QString path = dir->filePath(QStringLiteral("arch.dbf"));
    const QString dbt = dir->filePath(QStringLiteral("arch.dbt"));
    Table::Create(path, ArchiveFields());
    {
        Table t(path, Table::Mode::Shared);
        AddRow(t, 1, QByteArray());
    }
    ASSERT_TRUE(QFile::remove(dbt));
    Table t(path, Table::Mode::Shared);
    AddRow(t, 2, Pattern(700, 2));
    EXPECT_EQ(OurMemos(t), (QStringList{"-", QString::fromLatin1(Pattern(700, 2).toHex())}));
    ExpectHeaderCountsFile(dbt);
}

TEST(MemoTable, ProcessesAppendingAtOnceKeepEveryMemo)
{
    auto dir = testsupport::TempDir();
    const QString path = dir->filePath(QStringLiteral("arch.dbf"));
    Table::Create(path, ArchiveFields());
    // Sizes from a few bytes to several blocks, different in every row.
    auto memoFor = [](int id) { return Pattern(1 + (id * 977) % 2500, id); };
    constexpr int kWriters = 3, kRows = 150;
    std::vector<pid_t> writers;
    fflush(nullptr);
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            try {
                Table t(path, Table::Mode::Shared);
                for (int i = 0; i < kRows; ++i)
                    AddRow(t, (w + 1) * 1000 + i, memoFor((w + 1) * 1000 + i));
            } catch (...) {
                _exit(2);
            }
            _exit(0);
        }
        writers.push_back(pid);
    }
    // Meanwhile every committed row read here has its whole memo.
    Table reader(path, Table::Mode::Shared);
    Record r;
    int running = kWriters, bad = 0;
    while (running > 0) {
        for (uint32_t i = 1; i <= reader.RecordCount(); ++i) {
            reader.ReadRecord(i, r);
            bad += reader.ReadMemo(r, kDoc) != memoFor(int(*r.AsInteger(kId)));
        }
        int status = 0;
        for (pid_t &pid : writers)
            if (pid > 0 && waitpid(pid, &status, WNOHANG) == pid) {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
                pid = 0;
                --running;
            }
    }
    EXPECT_EQ(bad, 0);
    ASSERT_EQ(reader.RecordCount(), uint32_t(kWriters * kRows));
    std::set<int> ids;
    for (uint32_t i = 1; i <= reader.RecordCount(); ++i) {
        reader.ReadRecord(i, r);
        const int id = int(*r.AsInteger(kId));
        ids.insert(id);
        ASSERT_EQ(reader.ReadMemo(r, kDoc), memoFor(id)) << "row " << i;
    }
    EXPECT_EQ(ids.size(), size_t(kWriters * kRows));
    ExpectHeaderCountsFile(dir->filePath(QStringLiteral("arch.dbt")));
}
