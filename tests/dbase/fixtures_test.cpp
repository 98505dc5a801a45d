// Tables written by other programs: what the engine reads from them, and what it refuses.

#include "TestSupport.h"
#include "dbase/CodePage.h"
#include "dbase/Cursor.h"
#include "dbase/EngineError.h"
#include "dbase/Table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dbase;

namespace {

QString Fixture(const QString &rel)
{
    const QString dir = testsupport::FixtureDir(QStringLiteral("dbase"));
    return dir.isEmpty() ? QString() : dir + QLatin1Char('/') + rel;
}

// Every live row's value of one field, physical order.
QStringList Column(Table &t, const QString &field)
{
    QStringList out;
    Cursor c(t);
    for (bool ok = c.First(); ok; ok = c.Next())
        out << c.Current().AsString(field);
    return out;
}

} // namespace

TEST(Fixtures, DbaseIvSampleWithProductionIndex)
{
    const QString path = Fixture(QStringLiteral("jdbfdriver/TEST.DBF"));
    REQUIRE_FIXTURES(path);
    Table t(path, Table::Mode::ReadOnly);
    EXPECT_EQ(t.RecordCount(), 3u); // no end-of-file byte in this file
    EXPECT_EQ(Column(t, QStringLiteral("TEST1")), (QStringList{"test1", "test2", "0test3"}));
    EXPECT_EQ(Column(t, QStringLiteral("TEST2")), (QStringList{"10", "20", "15"}));
    EXPECT_STREQ(CodePage::ForLanguageDriver(t.Header().language).Name(), "CP437");
    Cursor c(t);
    c.SetOrder(QStringLiteral("test2")); // the tag's key is written in lower case
    std::vector<uint32_t> order;
    for (bool ok = c.First(); ok; ok = c.Next())
        order.push_back(c.Recno());
    EXPECT_EQ(order, (std::vector<uint32_t>{1, 3, 2}));
    EXPECT_TRUE(c.FindKey(t.KeyFromText(c.OrderTag(), QStringLiteral("15"))));
    EXPECT_EQ(c.Recno(), 3u);
}

TEST(Fixtures, EveryFieldTypeAndItsBlanks)
{
    const QString path = Fixture(QStringLiteral("infused-dbf/dbase_8b.dbf"));
    REQUIRE_FIXTURES(path);
    Table t(path, Table::Mode::ReadOnly);
    ASSERT_EQ(t.RecordCount(), 10u);
    Record r;
    ASSERT_TRUE(t.ReadRecord(1, r));
    EXPECT_EQ(r.AsDate(r.Index(QStringLiteral("DATE"))), QDate(1970, 1, 1));
    EXPECT_EQ(r.AsBoolean(r.Index(QStringLiteral("LOGICAL"))), std::optional<bool>(true)); // 'Y'
    EXPECT_EQ(r.AsString(QStringLiteral("FLOAT")), QStringLiteral("1.234567890123460000"));
    ASSERT_TRUE(t.ReadRecord(9, r));
    EXPECT_FALSE(r.AsDate(r.Index(QStringLiteral("DATE"))).isValid());
    EXPECT_TRUE(r.IsNull(r.Index(QStringLiteral("FLOAT"))));
    EXPECT_TRUE(r.IsNull(r.Index(QStringLiteral("LOGICAL"))));
}

TEST(Fixtures, OddFilesStillRead)
{
    REQUIRE_FIXTURES(Fixture(QString()));
    {
        // Deleted record, dBase III memo, Y/N logicals.
        Table t(Fixture(QStringLiteral("dbd-xbase/test.dbf")), Table::Mode::ReadOnly);
        EXPECT_EQ(t.RecordCount(), 3u);
        EXPECT_EQ(Column(t, QStringLiteral("DATES")), (QStringList{"19960813", "19960102"}));
        EXPECT_EQ(Column(t, QStringLiteral("BOOLEAN")), (QStringList{"", "F"}));
    }
    {
        // Hungarian code page, fields named like types.
        Table t(Fixture(QStringLiteral("ndbfreaderex/BDE_TEST_4_512.dbf")), Table::Mode::ReadOnly);
        EXPECT_EQ(Column(t, QStringLiteral("C10")), (QStringList{"AAA", "BBB", "CCC", "DDD"}));
        EXPECT_EQ(Column(t, QStringLiteral("N10")).first(), QStringLiteral("11111.11"));
    }
    {
        // Duplicate field names: the first one answers by name.
        Table t(Fixture(QStringLiteral("infused-dbf/dbase_03.dbf")), Table::Mode::ReadOnly);
        EXPECT_EQ(t.RecordCount(), 14u);
        EXPECT_EQ(t.Header().year, 2005);
        EXPECT_EQ(t.Fields()[size_t(t.FieldIndex(QStringLiteral("Point_ID")))].type, FieldType::Character);
    }
    {
        // Garbage in reserved header bytes, a NUL as blank logical, a 255-wide field.
        Table t(Fixture(QStringLiteral("s7/SYMLISTS.DBF")), Table::Mode::ReadOnly);
        EXPECT_EQ(t.RecordCount(), 2u);
        Record r;
        ASSERT_TRUE(t.ReadRecord(1, r));
        EXPECT_TRUE(r.IsNull(r.Index(QStringLiteral("_SAVED"))));
        EXPECT_EQ(t.Fields()[size_t(t.FieldIndex(QStringLiteral("_DBPATH")))].width, 255);
    }
}

TEST(Fixtures, ForeignTablesTakeAppendsOrRefuseThemCleanly)
{
    REQUIRE_FIXTURES(Fixture(QString()));
    auto dir = testsupport::TempDir();
    // An empty table made elsewhere takes a row; the independent reader sees it.
    const QString empty = dir->filePath(QStringLiteral("TEST1.DBF"));
    ASSERT_TRUE(QFile::copy(Fixture(QStringLiteral("ndbfreaderex/TEST1.DBF")), empty));
    QFile::setPermissions(empty, QFile::ReadOwner | QFile::WriteOwner);
    {
        Table t(empty, Table::Mode::Shared);
        Record r = t.NewRecord();
        r.SetString(QStringLiteral("AAA"), QStringLiteral("Québec"));
        r.SetDouble(r.Index(QStringLiteral("BBB")), 3.25);
        r.SetDate(r.Index(QStringLiteral("CCC")), QDate(2026, 12, 9));
        r.SetBoolean(r.Index(QStringLiteral("DDD")), true);
        EXPECT_EQ(t.AppendRecord(r), 1u);
    }
    if (testsupport::HaveProgram(QStringLiteral("dbf_dump"))) {
        QString out;
        ASSERT_EQ(testsupport::Run(QStringLiteral("dbf_dump"), {QStringLiteral("--fs"), QStringLiteral("|"), empty}, &out), 0);
        EXPECT_TRUE(out.startsWith(QStringLiteral("Qu"))) << out.toStdString();
        EXPECT_TRUE(out.contains(QStringLiteral("|3.25|20261209|1"))) << out.toStdString();
    }
    // A tag keyed on an expression cannot be kept up to date: writes are refused, nothing changes.
    for (const char *f : {"BAUSTEIN.DBF", "BAUSTEIN.MDX", "BAUSTEIN.DBT"}) {
        const QString to = dir->filePath(QLatin1String(f));
        ASSERT_TRUE(QFile::copy(Fixture(QStringLiteral("s7/") + QLatin1String(f)), to));
        QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
    }
    Table t(dir->filePath(QStringLiteral("BAUSTEIN.DBF")), Table::Mode::Shared);
    const uint32_t before = t.RecordCount();
    EXPECT_THROW(t.AppendRecord(t.NewRecord()), EDBEngineError);
    EXPECT_EQ(t.RecordCount(), before);
}

TEST(Fixtures, DamagedFilesGiveErrorsNamingThem)
{
    REQUIRE_FIXTURES(Fixture(QString()));
    auto dir = testsupport::TempDir();
    QFile src(Fixture(QStringLiteral("infused-dbf/dbase_8b.dbf")));
    ASSERT_TRUE(src.open(QIODevice::ReadOnly));
    const QByteArray good = src.readAll();
    const QString path = dir->filePath(QStringLiteral("bad.dbf"));
    auto tryOpen = [&](const QByteArray &bytes) -> QString {
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        f.close();
        try {
            Table t(path, Table::Mode::ReadOnly);
            Cursor c(t);
            for (bool ok = c.First(); ok; ok = c.Next()) {
            }
            return QString();
        } catch (const EDBEngineError &e) {
            return e.Message();
        }
    };
    EXPECT_TRUE(tryOpen(good.left(good.size() / 2)).contains(path));       // rows cut off
    EXPECT_TRUE(tryOpen(good.left(20)).contains(path));                     // header cut off
    QByteArray wrongLength = good;
    wrongLength[10] = char(0x7F); // record length no longer the fields' total
    EXPECT_TRUE(tryOpen(wrongLength).contains(path));
    QByteArray hugeCount = good;
    hugeCount[4] = hugeCount[5] = hugeCount[6] = char(0xFF);
    EXPECT_TRUE(tryOpen(hugeCount).contains(path));
    EXPECT_TRUE(tryOpen(QByteArray(600, 'x')).contains(path));
}
