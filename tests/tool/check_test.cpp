#include "ToolTestUtil.h"

#include "db/Demo.h"
#include "db/Schema.h"
#include "dbase/Table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tooltest;

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
