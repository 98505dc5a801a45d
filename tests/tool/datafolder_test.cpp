#include "ToolTestUtil.h"

#include "db/BailKey.h"
#include "db/Numbering.h"
#include "db/Reindex.h"
#include "db/Schema.h"
#include "dbase/Cursor.h"
#include "dbase/Table.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <set>

using namespace tooltest;

namespace {

QString FreshFolder(QTemporaryDir &tmp)
{
    QString err;
    EXPECT_EQ(Tool({QStringLiteral("demo"), tmp.path(), QStringLiteral("--leases"), QStringLiteral("0"),
                    QStringLiteral("--lessors"), QStringLiteral("2")}, nullptr, &err), 0) << err.toStdString();
    return tmp.path();
}

} // namespace

TEST(AddLease, FourProcessesAtOnceNeverShareANumber)
{
    auto tmp = testsupport::TempDir();
    const QString dir = FreshFolder(*tmp);
    const char *kinds[] = {"NN", "ON", "NO", "OO"};
    std::vector<std::unique_ptr<QProcess>> procs;
    for (const char *kind : kinds) {
        auto p = std::make_unique<QProcess>();
        p->start(testsupport::Bailtool(), {QStringLiteral("add-lease"), dir, QStringLiteral("--count"), QStringLiteral("250"),
                                          QStringLiteral("--kind"), QLatin1String(kind)});
        procs.push_back(std::move(p));
    }
    std::set<QString> numbers;
    for (auto &p : procs) {
        ASSERT_TRUE(p->waitForFinished(300000));
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        const QStringList lines = QString::fromUtf8(p->readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        EXPECT_EQ(lines.size(), 250);
        for (const QString &n : lines)
            EXPECT_TRUE(numbers.insert(n).second) << "number " << n.toStdString() << " handed out twice";
    }
    EXPECT_EQ(numbers.size(), 1000u);
    EXPECT_EQ(*numbers.begin(), QStringLiteral("1"));

    dbase::Table leases(db::TableFile(dir, db::kBailStd, "dbf"), dbase::Table::Mode::ReadOnly);
    EXPECT_EQ(leases.RecordCount(), 1000u);
    std::set<QString> stored;
    dbase::Record r;
    int elderly = 0;
    for (uint32_t i = 1; i <= 1000; ++i) {
        ASSERT_TRUE(leases.ReadRecord(i, r));
        const QString n = r.AsString(QStringLiteral("NOBAIL"));
        stored.insert(n);
        const QString key = r.AsString(QStringLiteral("BAILAHCOOP"));
        EXPECT_EQ(key.mid(2), db::PadLeft(n, 8));
        elderly += key.startsWith(QLatin1Char('O'));
    }
    EXPECT_EQ(stored, numbers);
    dbase::Table annexes(db::TableFile(dir, db::kAnnexe, "dbf"), dbase::Table::Mode::ReadOnly);
    EXPECT_EQ(int(annexes.RecordCount()), elderly);
    EXPECT_EQ(elderly, 500);

    dbase::Table conf(db::TableFile(dir, db::kBailConf, "dbf"), dbase::Table::Mode::ReadOnly);
    const dbase::Record row = db::ReadConfigRow(conf);
    EXPECT_EQ(row.AsInteger(row.Index(QStringLiteral("NOBAIL"))), 1000);
    EXPECT_EQ(conf.RecordCount(), 1u);

    QString out;
    EXPECT_EQ(Tool({QStringLiteral("check"), dir}, &out), 0) << out.toStdString();
}

TEST(AddLease, FollowsTheCounterAndRejectsBadArguments)
{
    auto tmp = testsupport::TempDir();
    const QString dir = FreshFolder(*tmp);
    {
        dbase::Table conf(db::TableFile(dir, db::kBailConf, "dbf"), dbase::Table::Mode::Shared);
        db::TConfigEdit e(conf);
        e.SetLeaseCounter(db::kMaxLeaseNumber - 1);
        e.Post();
    }
    QString out, err;
    ASSERT_EQ(Tool({QStringLiteral("add-lease"), dir, QStringLiteral("--count"), QStringLiteral("3")}, &out, &err), 0) << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("99999999\n1\n2\n"));
    EXPECT_EQ(Tool({QStringLiteral("add-lease"), dir, QStringLiteral("--kind"), QStringLiteral("XX")}, nullptr, &err), 1);
    EXPECT_EQ(Tool({QStringLiteral("add-lease"), dir, QStringLiteral("--count"), QStringLiteral("zero")}, nullptr, &err), 1);
    EXPECT_EQ(Tool({QStringLiteral("add-lease"), tmp->filePath(QStringLiteral("missing"))}, nullptr, &err), 1);
    EXPECT_TRUE(err.startsWith(QStringLiteral("bailtool: [10024]"))) << err.toStdString();
}

TEST(Reindex, ToolPacksAndLeavesACleanFolder)
{
    auto tmp = testsupport::TempDir();
    const QString dir = FreshFolder(*tmp);
    ASSERT_EQ(Tool({QStringLiteral("add-lease"), dir, QStringLiteral("--count"), QStringLiteral("20"), QStringLiteral("--kind"),
                    QStringLiteral("ON")}), 0);
    {
        dbase::Table t(db::TableFile(dir, db::kBailStd, "dbf"), dbase::Table::Mode::Shared);
        t.LockRecord(4);
        t.DeleteRecord(4);
        t.UnlockRecord(4);
    }
    QFile::remove(db::TableFile(dir, db::kAnnexe, "mdx"));
    QString out, err;
    ASSERT_EQ(Tool({QStringLiteral("reindex"), dir}, &out, &err), 0) << out.toStdString() << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("BailStd: reindexed\nLocateur: reindexed\nAnnexe: reindexed\n"));
    EXPECT_EQ(Tool({QStringLiteral("check"), dir}, &out), 0) << out.toStdString();
    ASSERT_EQ(Tool({QStringLiteral("dump"), db::TableFile(dir, db::kBailStd, "dbf"), QStringLiteral("--deleted")}, &out), 0);
    EXPECT_EQ(out.count(QLatin1Char('\n')), 20); // header + 19 leases, the deleted one gone

    dbase::Table held(db::TableFile(dir, db::kLocateur, "dbf"), dbase::Table::Mode::Shared);
    EXPECT_EQ(Tool({QStringLiteral("reindex"), dir}, nullptr, &err), 1);
    EXPECT_TRUE(err.startsWith(QStringLiteral("bailtool: [10243]"))) << err.toStdString();
}

TEST(AddLease, WaitsForAnotherProcessEditingTheConfiguration)
{
    auto tmp = testsupport::TempDir();
    const QString dir = FreshFolder(*tmp);
    dbase::Table conf(db::TableFile(dir, db::kBailConf, "dbf"), dbase::Table::Mode::Shared);
    QProcess p;
    {
        db::TConfigEdit holder(conf);
        holder.SetLeaseCounter(70);
        holder.Post();
        p.start(testsupport::Bailtool(), {QStringLiteral("add-lease"), dir});
        ASSERT_TRUE(p.waitForStarted());
        p.waitForFinished(300); // it cannot finish while the row is locked here
        EXPECT_EQ(p.state(), QProcess::Running);
    }
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_EQ(p.readAllStandardOutput(), QByteArray("71\n")); // it saw the counter saved under the lock
}

TEST(Upgrade, ToolReportsWhatItDid)
{
    auto tmp = testsupport::TempDir();
    const QString dir = FreshFolder(*tmp);
    QString out, err;
    ASSERT_EQ(Tool({QStringLiteral("upgrade"), dir}, &out, &err), 0) << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("BailStd: up to date\nLocateur: up to date\n"));

    // A lessor table from an older release.
    const QString lessors = db::TableFile(dir, db::kLocateur, "dbf");
    QFile::remove(lessors);
    QFile::remove(db::TableFile(dir, db::kLocateur, "mdx"));
    std::vector<dbase::FieldDef> fields = db::FieldDefs(db::kLocateur);
    for (auto &f : fields)
        if (f.name == QLatin1String("NOM") || f.name == QLatin1String("NOMREP"))
            f.width = 30;
    dbase::Table::Create(lessors, fields);
    ASSERT_EQ(Tool({QStringLiteral("upgrade"), dir}, &out, &err), 0) << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("BailStd: up to date\nLocateur: widened\n"));
    EXPECT_EQ(db::ReadTableHeader(lessors).fields[0].width, 50);

    {
        for (auto &f : fields)
            f.indexFlag = false;
        QFile::remove(lessors);
        dbase::Table::Create(lessors, fields);
        dbase::Table held(lessors, dbase::Table::Mode::Shared);
        EXPECT_EQ(Tool({QStringLiteral("upgrade"), dir}, &out, &err), 1);
        EXPECT_TRUE(out.contains(QStringLiteral("Locateur: failed: [10243]"))) << out.toStdString();
        EXPECT_TRUE(err.startsWith(QStringLiteral("bailtool: upgrade failed: Locateur: [10243]"))) << err.toStdString();
        EXPECT_EQ(err.count(QLatin1Char('\n')), 1);
    }
}
