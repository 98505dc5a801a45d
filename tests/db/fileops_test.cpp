#include "DbTestUtil.h"
#include "support/TestSupport.h"

#include "db/FileOps.h"
#include "dbase/EngineError.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace db;

namespace {

int IoCode(const std::function<void()> &f)
{
    try {
        f();
    } catch (const dbase::EDBEngineError &e) {
        return e.Code();
    }
    return 0;
}

} // namespace

TEST(CopyFile, CopiesEveryByteWhateverTheSize)
{
    auto tmp = testsupport::TempDir();
    for (int size : {0, 1, 255, 256, 257, 1000, 70000}) {
        QByteArray data(size, '\0');
        for (int i = 0; i < size; ++i)
            data[i] = char((i * 31 + 7) & 0xFF);
        const QString src = tmp->filePath(QStringLiteral("src%1").arg(size));
        const QString dst = tmp->filePath(QStringLiteral("dst%1").arg(size));
        dbtest::WriteAll(src, data);
        dbtest::WriteAll(dst, QByteArray(100000, 'x')); // an older, longer target is truncated
        CopyFile(src, dst);
        EXPECT_EQ(dbtest::ReadAll(dst), data) << size;
    }
}

TEST(CopyFile, FailuresAreIoErrors)
{
    auto tmp = testsupport::TempDir();
    const QString target = tmp->filePath(QStringLiteral("kept"));
    dbtest::WriteAll(target, "saved");
    EXPECT_EQ(IoCode([&] { CopyFile(tmp->filePath(QStringLiteral("missing.dat")), target); }), dbase::kIoError);
    EXPECT_EQ(dbtest::ReadAll(target), QByteArray("saved")); // nothing lost when the source is missing
    EXPECT_EQ(IoCode([&] { CopyFile(target, tmp->filePath(QStringLiteral("no/such/dir/x"))); }), dbase::kIoError);
    EXPECT_EQ(IoCode([&] { CopyFile(tmp->path(), tmp->filePath(QStringLiteral("dir-copy"))); }), dbase::kIoError);
    if (QFileInfo::exists(QStringLiteral("/dev/full"))) {
        EXPECT_EQ(IoCode([&] { CopyFile(target, QStringLiteral("/dev/full")); }), dbase::kIoError);
    }
}

TEST(ClearProductionIndexFlag, ZeroesOnlyByte28AndLetsTheTableOpenWithoutItsIndex)
{
    auto tmp = testsupport::TempDir();
    dbtest::MakeDataFolder(tmp->path());
    const QString dbf = TableFile(tmp->path(), kAnnexe, "dbf");
    const QByteArray before = dbtest::ReadAll(dbf);
    ASSERT_EQ(before[28], '\x01');
    QFile::remove(TableFile(tmp->path(), kAnnexe, "mdx"));
    EXPECT_EQ(IoCode([&] { dbase::Table t(dbf, dbase::Table::Mode::Shared); }), dbase::kTableNotFound);

    ClearProductionIndexFlag(dbf);
    QByteArray after = dbtest::ReadAll(dbf);
    EXPECT_EQ(after[28], '\0');
    after[28] = before[28];
    EXPECT_EQ(after, before);
    dbase::Table t(dbf, dbase::Table::Mode::Shared);
    EXPECT_EQ(t.Index(), nullptr);

    EXPECT_EQ(IoCode([&] { ClearProductionIndexFlag(tmp->filePath(QStringLiteral("none.dbf"))); }), dbase::kIoError);
}
