#include "ToolTestUtil.h"

#include "db/Demo.h"
#include "db/FileOps.h"
#include "db/Schema.h"
#include "dbase/Cursor.h"
#include "dbase/MdxFormat.h"
#include "dbase/Table.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <random>
#include <set>
#include <unistd.h>

using namespace tooltest;
using dbase::KeyBytes;

namespace {

QString DemoFolder(QTemporaryDir &tmp, int leases = 300)
{
    db::MakeDemoFolder(tmp.path(), leases, 12);
    return tmp.path();
}

void Patch(const QString &path, qint64 offset, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.seek(offset));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Leaves BailStd as an append killed after its keys and before its count: the row past
// the count, entries for it in two tags, the index marked as being changed or not, and
// new pages of a later change written but never counted.
void CrashedAppend(const QString &dir, bool marked)
{
    const QString dbf = db::TableFile(dir, db::kBailStd, "dbf");
    const auto h = db::ReadTableHeader(dbf);
    const uint32_t recno = h.recordCount + 1;
    QByteArray row = ReadAll(dbf).mid(h.headerLength, h.recordLength);
    Patch(dbf, h.headerLength + qint64(h.recordCount) * h.recordLength, row + '\x1a');
    KeyBytes keys[2];
    {
        dbase::Table t(dbf, dbase::Table::Mode::ReadOnly);
        keys[0] = t.KeyFromText(t.FindTag(QStringLiteral("NOBAIL")), QStringLiteral("99999998"));
        keys[1] = t.KeyFromText(t.FindTag(QStringLiteral("NOMLOC")), QStringLiteral("Zed"));
    }
    dbase::File file(db::TableFile(dir, db::kBailStd, "mdx"), dbase::File::Mode::ReadWrite);
    dbase::MdxFile index(file);
    if (marked)
        index.SetDirty(true);
    index.Insert(index.FindTag(QStringLiteral("NOBAIL")), {keys[0], recno});
    index.Insert(index.FindTag(QStringLiteral("NOMLOC")), {keys[1], recno});
    file.WriteAt(file.Size(), QByteArray(1024, '\0').constData(), 1024);
}

// Record numbers listed by bailtool keys for a tag.
std::vector<uint32_t> KeyRecnos(const QString &dbf, const QString &tag)
{
    QString out, err;
    EXPECT_EQ(Tool({QStringLiteral("keys"), dbf, tag}, &out, &err), 0) << err.toStdString();
    std::vector<uint32_t> recnos;
    for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        recnos.push_back(line.section(QLatin1Char('\t'), -1).toUInt());
    return recnos;
}

} // namespace

TEST(Check, DemoFolderIsConsistent)
{
    auto tmp = testsupport::TempDir();
    QString out, err;
    EXPECT_EQ(Tool({QStringLiteral("check"), DemoFolder(*tmp)}, &out, &err), 0) << out.toStdString() << err.toStdString();
    EXPECT_TRUE(out.isEmpty());
}

TEST(Check, RowChangedBehindTheIndexIsFound)
{
    auto tmp = testsupport::TempDir();
    const QString dir = DemoFolder(*tmp);
    const QString dbf = db::TableFile(dir, db::kBailStd, "dbf");
    const auto h = db::ReadTableHeader(dbf);
    // Lease 5's number changed in the file without its keys.
    Patch(dbf, h.headerLength + 4 * h.recordLength + h.fields[0].offset, "77777777");
    QString out, err;
    EXPECT_EQ(Tool({QStringLiteral("check"), dir}, &out, &err), 1);
    EXPECT_TRUE(out.contains(QStringLiteral("BailStd.mdx: tag NOBAIL: record 5 has key"))) << out.toStdString();
    EXPECT_TRUE(err.startsWith(QStringLiteral("bailtool: ")));
}

TEST(Check, MissingOrDamagedIndexAndBadFlagsAreFound)
{
    auto tmp = testsupport::TempDir();
    const QString dir = DemoFolder(*tmp);
    QFile::remove(db::TableFile(dir, db::kAnnexe, "mdx"));
    const QString mdx = db::TableFile(dir, db::kLocateur, "mdx");
    QFile f(mdx);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const qint64 size = f.size();
    ASSERT_TRUE(f.resize(size - 1024)); // the last block of a tree is gone
    f.close();
    Patch(db::TableFile(dir, db::kBailStd, "dbf"), db::ReadTableHeader(db::TableFile(dir, db::kBailStd, "dbf")).headerLength, "X");

    QString out, err;
    EXPECT_EQ(Tool({QStringLiteral("check"), dir}, &out, &err), 1);
    EXPECT_TRUE(out.contains(QStringLiteral("Annexe.dbf: production-index flag is set but Annexe.mdx is missing"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Locateur.mdx:"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("BailStd.dbf: record 1 has an invalid deletion flag"))) << out.toStdString();
}

TEST(Check, DeletedRowsKeepTheirKeysAndPass)
{
    auto tmp = testsupport::TempDir();
    const QString dir = DemoFolder(*tmp);
    {
        dbase::Table t(db::TableFile(dir, db::kBailStd, "dbf"), dbase::Table::Mode::Shared);
        for (uint32_t r : {2u, 3u, 50u}) {
            t.LockRecord(r);
            t.DeleteRecord(r);
            t.UnlockRecord(r);
        }
    }
    QString out;
    EXPECT_EQ(Tool({QStringLiteral("check"), dir}, &out), 0) << out.toStdString();
    EXPECT_EQ(Tool({QStringLiteral("check"), tmp->filePath(QStringLiteral("nowhere"))}), 1);
}

// A writer killed mid-append is no damage: check rebuilds the tags when it can have the
// table to itself, never touching the rows, and otherwise leaves them to the next writer.
// Readers (keys) never list the uncommitted row either way; real damage still fails.
TEST(Check, InterruptedAppendIsRepairedNotReported)
{
    struct TCase {
        const char *name;
        bool marked;    // the dead writer's mark is on the index
        bool heldOpen;  // another process has the table open
        bool damaged;   // a row of the table is damaged as well
        int exitCode;
        const char *says;
    };
    const TCase cases[] = {
        {"marked", true, false, false, 0, "BailStd.mdx: interrupted write repaired: tags rebuilt from the 300 rows of BailStd.dbf"},
        {"unmarked", false, false, false, 0, "BailStd.mdx: interrupted write repaired"},
        {"in use", true, true, false, 0, "BailStd.mdx: interrupted write not repaired: the table is open elsewhere"},
        {"damaged", true, false, true, 1, "BailStd.dbf: record 2 has an invalid deletion flag"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.name);
        auto tmp = testsupport::TempDir();
        const QString dir = DemoFolder(*tmp);
        const QString dbf = db::TableFile(dir, db::kBailStd, "dbf");
        CrashedAppend(dir, c.marked);
        if (c.damaged)
            Patch(dbf, db::ReadTableHeader(dbf).headerLength + db::ReadTableHeader(dbf).recordLength, "X");
        const QByteArray rows = ReadAll(dbf);
        for (const char *tag : {"NOBAIL", "NOMLOC"})
            for (uint32_t r : KeyRecnos(dbf, QLatin1String(tag)))
                ASSERT_LE(r, 300u) << tag << " lists the uncommitted row";

        std::unique_ptr<dbase::Table> other;
        if (c.heldOpen)
            other = std::make_unique<dbase::Table>(dbf, dbase::Table::Mode::ReadOnly);
        QString out, err;
        EXPECT_EQ(Tool({QStringLiteral("check"), dir}, &out, &err), c.exitCode) << out.toStdString() << err.toStdString();
        EXPECT_TRUE(out.contains(QLatin1String(c.says))) << out.toStdString();
        EXPECT_EQ(ReadAll(dbf), rows) << "the rows were touched";
        other.reset();

        const bool repaired = out.contains(QLatin1String("interrupted write repaired:"));
        EXPECT_EQ(repaired, c.exitCode == 0 && !c.heldOpen);
        dbase::File file(db::TableFile(dir, db::kBailStd, "mdx"), dbase::File::Mode::ReadOnly);
        const dbase::MdxFile index(file);
        EXPECT_EQ(index.IsDirty(), c.marked && !repaired);
        EXPECT_EQ(index.All(index.FindTag(QStringLiteral("NOBAIL"))).size(), repaired ? 300u : 301u);
        if (repaired) {
            EXPECT_EQ(Tool({QStringLiteral("check"), dir}, &out), 0);
            EXPECT_TRUE(out.isEmpty()) << out.toStdString();
        }
    }
}

// A writer killed after marking the nodes its change replaces and before switching to the
// new ones leaves live nodes marked: under its dirty mark that is an interrupted write, which
// check repairs; without the mark it is damage.
TEST(Check, LiveNodeMarkedAsReplacedIsAnInterruptedWriteUnderTheWritersMark)
{
    namespace mdx = dbase::mdx;
    for (const bool marked : {true, false}) {
        SCOPED_TRACE(marked);
        auto tmp = testsupport::TempDir();
        const QString dir = DemoFolder(*tmp);
        {
            dbase::File file(db::TableFile(dir, db::kBailStd, "mdx"), dbase::File::Mode::ReadWrite);
            dbase::MdxFile index(file);
            const dbase::TagInfo &tag = index.Tags()[size_t(index.FindTag(QStringLiteral("BAILAHCOOP")))];
            uint8_t root[4];
            file.ReadExact(uint64_t(tag.headerPage) * mdx::kPageSize + mdx::kThRoot, root, 4, "the tag header");
            uint8_t mark[4];
            mdx::PutU32(mark, mdx::kSupersededMark);
            file.WriteAt(uint64_t(mdx::GetU32(root)) * mdx::kPageSize + mdx::kNodeSpare, mark, 4);
            if (marked)
                index.SetDirty(true);
        }
        QString out, err;
        EXPECT_EQ(Tool({QStringLiteral("check"), dir}, &out, &err), marked ? 0 : 1) << out.toStdString() << err.toStdString();
        EXPECT_TRUE(out.contains(marked ? QStringLiteral("interrupted write repaired") : QStringLiteral("non-zero link field")))
            << out.toStdString();
        if (marked) {
            EXPECT_EQ(Tool({QStringLiteral("check"), dir}, &out, &err), 0);
            EXPECT_TRUE(out.isEmpty()) << out.toStdString();
        }
    }
}

// Writers killed at random points, as a power cut or kill -9 would: right after, readers
// see no row beyond the committed count, check passes, every committed lease is there
// once under every tag with its own number, and adding goes on.
TEST(Check, KilledWritersLeaveNothingForReadersOrCheck)
{
    auto tmp = testsupport::TempDir();
    const QString dir = DemoFolder(*tmp, 40);
    const QString dbf = db::TableFile(dir, db::kBailStd, "dbf");
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    std::set<QString> printed; // numbers the writers reported as added
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(round);
        QProcess writers[2];
        for (QProcess &w : writers) {
            w.start(testsupport::Bailtool(), {QStringLiteral("add-lease"), dir, QStringLiteral("--count"), QStringLiteral("10000000")});
            ASSERT_TRUE(w.waitForStarted());
        }
        usleep(useconds_t(60000 + rng() % 240000));
        for (QProcess &w : writers) {
            ::kill(pid_t(w.processId()), SIGKILL);
            w.waitForFinished();
            for (const QByteArray &line : w.readAllStandardOutput().split('\n'))
                if (!line.isEmpty())
                    printed.insert(QString::fromLatin1(line));
        }

        uint32_t count = 0;
        {
            dbase::Table t(dbf, dbase::Table::Mode::ReadOnly); // leaves what the writers left
            count = t.RecordCount();
            dbase::Cursor c(t);
            for (const db::TTagDesc &tag : db::TagsOf(QStringLiteral("BailStd"))) {
                c.SetOrder(QLatin1String(tag.tag));
                for (bool ok = c.First(); ok; ok = c.Next())
                    ASSERT_LE(c.Recno(), count) << tag.tag;
                for (bool ok = c.Last(); ok; ok = c.Prior())
                    ASSERT_LE(c.Recno(), count) << tag.tag;
            }
        }
        for (uint32_t r : KeyRecnos(dbf, QStringLiteral("NOBAIL")))
            ASSERT_LE(r, count) << "keys";
        QString out, err;
        ASSERT_EQ(Tool({QStringLiteral("check"), dir}, &out, &err), 0) << out.toStdString() << err.toStdString();

        dbase::Table t(dbf, dbase::Table::Mode::Shared);
        ASSERT_EQ(t.RecordCount(), count);
        std::vector<uint32_t> live;
        dbase::Record rec;
        for (uint32_t r = 1; r <= count; ++r)
            if (t.ReadRecord(r, rec) && !rec.Deleted())
                live.push_back(r);
        dbase::Cursor c(t);
        for (const db::TTagDesc &tag : db::TagsOf(QStringLiteral("BailStd"))) {
            c.SetOrder(QLatin1String(tag.tag));
            std::vector<uint32_t> seen;
            std::set<QString> numbers;
            for (bool ok = c.First(); ok; ok = c.Next()) {
                seen.push_back(c.Recno());
                numbers.insert(c.Current().AsString(QStringLiteral("NOBAIL")).trimmed());
            }
            std::sort(seen.begin(), seen.end());
            ASSERT_EQ(seen, live) << tag.tag << ": every committed row once";
            ASSERT_EQ(numbers.size(), live.size()) << tag.tag << ": lease numbers distinct";
            for (const QString &n : printed)
                ASSERT_TRUE(numbers.count(n)) << "lease " << n.toStdString() << " reported added is gone";
        }
    }
    QString out;
    ASSERT_EQ(Tool({QStringLiteral("add-lease"), dir, QStringLiteral("--count"), QStringLiteral("3")}, &out), 0);
    EXPECT_EQ(out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), 3);
    EXPECT_EQ(Tool({QStringLiteral("check"), dir}, &out), 0) << out.toStdString();
}
