#include "ToolTestUtil.h"

#include "db/Demo.h"
#include "db/Numbering.h"
#include "db/Schema.h"
#include "dbase/Table.h"

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tooltest;

namespace {

bool HavePerl()
{
    return testsupport::HaveProgram(QStringLiteral("dbf_dump")) && testsupport::HaveProgram(QStringLiteral("index_dump"));
}

QStringList FixtureTables()
{
    QStringList files;
    const QString dir = testsupport::FixtureDir(QStringLiteral("dbase"));
    if (dir.isEmpty())
        return files;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        if (f.endsWith(QLatin1String(".dbf"), Qt::CaseInsensitive))
            files << f;
    }
    files.sort();
    return files;
}

void Copy(const QString &from, const QString &to)
{
    QFile::remove(to);
    ASSERT_TRUE(QFile::copy(from, to)) << from.toStdString();
    QFile(to).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace

TEST(Dump, FixtureTablesGiveThePerlReadersRows)
{
    const QString dir = testsupport::FixtureDir(QStringLiteral("dbase"));
    REQUIRE_FIXTURES(dir);
    if (!HavePerl())
        GTEST_SKIP() << "Perl XBase tools not installed";
    const QStringList tables = FixtureTables();
    ASSERT_GE(tables.size(), 8);
    for (const QString &t : tables)
        ExpectDumpMatchesPerl(t);
}

TEST(Dump, RepeatedFieldNamesKeepTheirOwnValues)
{
    const QString dir = testsupport::FixtureDir(QStringLiteral("dbase"));
    REQUIRE_FIXTURES(dir);
    if (!HavePerl())
        GTEST_SKIP() << "Perl XBase tools not installed";
    const QString path = dir + QStringLiteral("/infused-dbf/dbase_03.dbf"); // POINT_ID as C(12), then as N(9)
    QByteArray perl;
    ASSERT_EQ(RunRaw(QStringLiteral("perl"), {QStringLiteral("-MXBase"), QStringLiteral("-e"),
                                             QStringLiteral("$t=XBase->new($ARGV[0]) or die; for $i (0..$t->last_record) "
                                                            "{ @r=$t->get_record($i); print \"$r[-1]\\n\" unless $r[0] }"),
                                             path}, &perl), 0);
    QByteArray out;
    ASSERT_EQ(RunRaw(testsupport::Bailtool(), {QStringLiteral("dump"), path}, &out), 0);
    const auto rows = ParseDump(out);
    const QStringList expected = QString::fromLatin1(perl).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), size_t(expected.size()) + 1);
    for (qsizetype i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(SameValue(dbase::FieldType::Numeric, rows[size_t(i) + 1].back(), expected[i])) << i;
}

TEST(Dump, DeletedRowsOnlyOnRequestAndMarked)
{
    const QString dir = testsupport::FixtureDir(QStringLiteral("dbase"));
    REQUIRE_FIXTURES(dir);
    QByteArray live, all;
    ASSERT_EQ(RunRaw(testsupport::Bailtool(), {QStringLiteral("dump"), dir + QStringLiteral("/dbd-xbase/test.dbf")}, &live), 0);
    ASSERT_EQ(RunRaw(testsupport::Bailtool(), {QStringLiteral("dump"), dir + QStringLiteral("/dbd-xbase/test.dbf"), QStringLiteral("--deleted")}, &all), 0);
    const auto a = ParseDump(live), b = ParseDump(all);
    ASSERT_EQ(a.size(), 3u); // header + records 1 and 3
    ASSERT_EQ(b.size(), 4u);
    EXPECT_EQ(a[0].join('|'), QStringLiteral("ID|MSG|NOTE|BOOLEAN|DATES"));
    EXPECT_EQ(b[1], a[1]);
    EXPECT_TRUE(b[2][0].startsWith(QLatin1Char('*')));
    EXPECT_EQ(b[3], a[2]);
    EXPECT_EQ(a[1][0], QStringLiteral("1"));
    EXPECT_EQ(a[1][3], QString());         // blank logical
    EXPECT_EQ(a[2][3], QStringLiteral("F")); // 'N' read as false
    EXPECT_EQ(a[2][4], QStringLiteral("19960102"));
}

TEST(Dump, ForeignTableWithoutItsIndexStillDumps)
{
    const QString dir = testsupport::FixtureDir(QStringLiteral("dbase"));
    REQUIRE_FIXTURES(dir);
    auto tmp = testsupport::TempDir();
    const QString copy = tmp->filePath(QStringLiteral("TEST.DBF")); // production flag set, no TEST.MDX beside it
    Copy(dir + QStringLiteral("/jdbfdriver/TEST.DBF"), copy);
    QString out, err;
    ASSERT_EQ(Tool({QStringLiteral("dump"), copy}, &out, &err), 0) << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("TEST1|TEST2\ntest1|10\ntest2|20\n0test3|15\n"));
}

TEST(Dump, DemoFolderGivesThePerlReadersRows)
{
    if (!HavePerl())
        GTEST_SKIP() << "Perl XBase tools not installed";
    auto tmp = testsupport::TempDir();
    db::MakeDemoFolder(tmp->path(), 2000, 40);
    for (const db::TTableDesc *t : db::Tables())
        ExpectDumpMatchesPerl(db::TableFile(tmp->path(), *t, "dbf"));

    // Accented text comes out as UTF-8, postal codes keep their blank.
    QString out;
    ASSERT_EQ(Tool({QStringLiteral("dump"), db::TableFile(tmp->path(), db::kBailStd, "dbf")}, &out), 0);
    EXPECT_TRUE(out.contains(QStringLiteral("Montréal")) || out.contains(QStringLiteral("Québec")));
    EXPECT_TRUE(out.contains(QRegularExpression(QStringLiteral("\\|[A-Z]\\d[A-Z] \\d[A-Z]\\d\\|"))));
}

TEST(Dump, BadFilesGiveOneLineAndExitOne)
{
    auto tmp = testsupport::TempDir();
    db::MakeDemoFolder(tmp->path(), 30, 3);
    const QByteArray good = [&] {
        QFile f(db::TableFile(tmp->path(), db::kBailStd, "dbf"));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    struct Case {
        const char *name;
        QByteArray bytes;
    };
    QByteArray badLength = good;
    badLength[10] = char(0x01); // record length no longer matches the fields
    QByteArray hugeCount = good;
    hugeCount[4] = hugeCount[5] = hugeCount[6] = char(0xFF);
    QByteArray noTerminator = good;
    noTerminator.replace(0, 32, QByteArray(32, '\x03'));
    QByteArray garbage(5000, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919 + 13) % 251);
    const Case cases[] = {
        {"empty", QByteArray()},
        {"short", good.left(20)},
        {"cut in the descriptors", good.left(300)},
        {"cut in the rows", good.left(good.size() / 2)},
        {"bad record length", badLength},
        {"huge record count", hugeCount},
        {"broken header", noTerminator},
        {"garbage", garbage},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = tmp->filePath(QStringLiteral("bad.dbf"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.bytes);
        f.close();
        for (const QStringList &args : {QStringList{QStringLiteral("dump"), path}, QStringList{QStringLiteral("keys"), path, QStringLiteral("NOBAIL")}}) {
            QString out, err;
            EXPECT_EQ(Tool(args, &out, &err), 1) << args.join(' ').toStdString();
            EXPECT_TRUE(err.startsWith(QStringLiteral("bailtool: ["))) << err.toStdString();
            EXPECT_EQ(err.count(QLatin1Char('\n')), 1) << err.toStdString();
        }
    }
    QString err;
    EXPECT_EQ(Tool({QStringLiteral("dump"), tmp->filePath(QStringLiteral("none/BailStd.dbf"))}, nullptr, &err), 1);
    EXPECT_EQ(err, QStringLiteral("bailtool: [10024] Table does not exist. File: %1\n").arg(tmp->filePath(QStringLiteral("none/BailStd.dbf"))));
    EXPECT_EQ(Tool({QStringLiteral("frobnicate")}, nullptr, &err), 1);
    EXPECT_EQ(Tool({QStringLiteral("demo"), tmp->path(), QStringLiteral("--leases"), QStringLiteral("-3")}, nullptr, &err), 1);
}

TEST(Dump, TableOpenedExclusivelyElsewhereIsReportedAsInUse)
{
    auto tmp = testsupport::TempDir();
    db::MakeDemoFolder(tmp->path(), 5, 1);
    dbase::Table held(db::TableFile(tmp->path(), db::kLocateur, "dbf"), dbase::Table::Mode::Exclusive);
    QString err;
    EXPECT_EQ(Tool({QStringLiteral("dump"), db::TableFile(tmp->path(), db::kLocateur, "dbf")}, nullptr, &err), 1);
    EXPECT_TRUE(err.startsWith(QStringLiteral("bailtool: [10243]"))) << err.toStdString();
}

TEST(Dump, MemosShowTheirLengthAndFirstBytes)
{
    const QString dir = testsupport::FixtureDir(QStringLiteral("dbase"));
    REQUIRE_FIXTURES(dir);
    QByteArray text, binary;
    ASSERT_EQ(RunRaw(testsupport::Bailtool(), {QStringLiteral("dump"), dir + QStringLiteral("/infused-dbf/dbase_8b.dbf")}, &text), 0);
    ASSERT_EQ(RunRaw(testsupport::Bailtool(), {QStringLiteral("dump"), dir + QStringLiteral("/s7/BAUSTEIN.DBF")}, &binary), 0);
    const auto t = ParseDump(text), b = ParseDump(binary);
    ASSERT_EQ(t.size(), 11u);
    EXPECT_EQ(t[1].back(), QStringLiteral("12 bytes \"First memo\r\n\""));
    EXPECT_EQ(t[10].back(), QString()); // no memo
    ASSERT_GE(b.size(), 3u);
    EXPECT_EQ(b[1].mid(5), (QStringList{"2 bytes 0x0000", "32 bytes 0x12000000010000000400000002000000..."}));
    EXPECT_EQ(b[2][5], QString());

    // Without its memo file the table's memos cannot be shown: one line naming the file.
    auto tmp = testsupport::TempDir();
    Copy(dir + QStringLiteral("/infused-dbf/dbase_8b.dbf"), tmp->filePath(QStringLiteral("dbase_8b.dbf")));
    QString err;
    EXPECT_EQ(Tool({QStringLiteral("dump"), tmp->filePath(QStringLiteral("dbase_8b.dbf"))}, nullptr, &err), 1);
    EXPECT_EQ(err, QStringLiteral("bailtool: [10024] Memo file does not exist. File: %1\n").arg(tmp->filePath(QStringLiteral("dbase_8b.dbt"))));
}
