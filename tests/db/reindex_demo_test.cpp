#include "DbTestUtil.h"
#include "support/TestSupport.h"

#include "db/BailKey.h"
#include "db/Demo.h"
#include "db/Numbering.h"
#include "dbase/Cursor.h"
#include "dbase/EngineError.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace db;
using dbtest::Open;

namespace {

void Delete(dbase::Table &t, uint32_t recno)
{
    t.LockRecord(recno);
    t.DeleteRecord(recno);
    t.UnlockRecord(recno);
}

QStringList TagNames(dbase::Table &t)
{
    QStringList names;
    if (t.Index())
        for (const auto &tag : t.Index()->Tags())
            names << tag.name + QLatin1Char('=') + tag.expression.trimmed();
    return names;
}

} // namespace

TEST(Reindex, PacksDeletedRowsAndRebuildsEveryTag)
{
    auto tmp = testsupport::TempDir();
    MakeDemoFolder(tmp->path(), 60, 5);
    {
        auto leases = Open(tmp->path(), kBailStd);
        Delete(*leases, 1);
        Delete(*leases, 30);
        auto lessors = Open(tmp->path(), kLocateur);
        Delete(*lessors, 5);
    }
    std::vector<std::string> keptRow;
    {
        auto leases = Open(tmp->path(), kBailStd);
        dbase::Record r;
        leases->ReadRecord(2, r);
        keptRow.push_back(r.Bytes());
    }
    bool sawAll = false;
    QStringList progress;
    const auto steps = ReindexDataFolder(tmp->path(), [&](const QString &t) { progress << t; });
    sawAll = progress == QStringList{QStringLiteral("BailStd"), QStringLiteral("Locateur"), QStringLiteral("Annexe")};
    EXPECT_TRUE(sawAll) << progress.join(',').toStdString();
    for (const auto &s : steps)
        EXPECT_TRUE(s.ok) << s.table.toStdString() << ": " << s.error.toStdString();

    auto leases = Open(tmp->path(), kBailStd);
    EXPECT_EQ(leases->RecordCount(), 58u);
    dbase::Record r;
    ASSERT_TRUE(leases->ReadRecord(1, r));
    EXPECT_EQ(r.Bytes(), keptRow[0]); // the old second row is now the first
    EXPECT_EQ(TagNames(*leases), (QStringList{"NOBAIL=NOBAIL", "NOLOCATEUR=NOLOCATEUR", "BAILAHCOOP=BAILAHCOOP", "NOMLOC=A_NOM1"}));
    dbase::Cursor byNumber(*leases);
    byNumber.SetOrder(QStringLiteral("NOBAIL"));
    EXPECT_FALSE(byNumber.FindKey(leases->KeyFromText(byNumber.OrderTag(), QStringLiteral("1"))));
    EXPECT_TRUE(byNumber.FindKey(leases->KeyFromText(byNumber.OrderTag(), QStringLiteral("2"))));
    auto lessors = Open(tmp->path(), kLocateur);
    EXPECT_EQ(lessors->RecordCount(), 4u);
    EXPECT_EQ(TagNames(*lessors), (QStringList{"NOLOCATEUR=NOLOCATEUR", "NOM=NOM"}));
}

TEST(Reindex, MissingAnnexIndexIsCreatedAgain)
{
    auto tmp = testsupport::TempDir();
    MakeDemoFolder(tmp->path(), 40, 3);
    const QString mdx = TableFile(tmp->path(), kAnnexe, "mdx");
    ASSERT_TRUE(QFile::remove(mdx));
    EXPECT_TRUE(IndexMissing(tmp->path()));
    for (const auto &s : ReindexDataFolder(tmp->path()))
        EXPECT_TRUE(s.ok) << s.error.toStdString();
    EXPECT_TRUE(QFileInfo::exists(mdx));
    EXPECT_FALSE(IndexMissing(tmp->path()));
    auto annexe = Open(tmp->path(), kAnnexe);
    EXPECT_EQ(TagNames(*annexe), QStringList{QStringLiteral("NOBAIL=NOBAIL")});
    EXPECT_GT(annexe->RecordCount(), 0u);
}

TEST(Reindex, PartlyMissingTagsAreCompleted)
{
    auto tmp = testsupport::TempDir();
    MakeDemoFolder(tmp->path(), 20, 2);
    {
        // The first tag of the drop order is gone, so no tag is dropped before the pack.
        auto leases = Open(tmp->path(), kBailStd, dbase::Table::Mode::Exclusive);
        leases->DropTag(QStringLiteral("NOBAIL"));
    }
    for (const auto &s : ReindexDataFolder(tmp->path()))
        EXPECT_TRUE(s.ok) << s.table.toStdString() << ": " << s.error.toStdString();
    auto leases = Open(tmp->path(), kBailStd);
    QStringList names = TagNames(*leases);
    names.sort();
    EXPECT_EQ(names, (QStringList{"BAILAHCOOP=BAILAHCOOP", "NOBAIL=NOBAIL", "NOLOCATEUR=NOLOCATEUR", "NOMLOC=A_NOM1"}));
}

TEST(Reindex, TableOpenElsewhereStopsBeforeAnyChange)
{
    auto tmp = testsupport::TempDir();
    MakeDemoFolder(tmp->path(), 10, 2);
    auto held = Open(tmp->path(), kAnnexe);
    const QByteArray before = dbtest::ReadAll(TableFile(tmp->path(), kBailStd, "mdx"));
    try {
        ReindexDataFolder(tmp->path());
        FAIL() << "reindexed a table open elsewhere";
    } catch (const dbase::EDBEngineError &e) {
        EXPECT_EQ(e.Code(), dbase::kFileInUse);
    }
    EXPECT_EQ(dbtest::ReadAll(TableFile(tmp->path(), kBailStd, "mdx")), before);
}

TEST(Demo, FolderIsDeterministicAndCoversEveryKind)
{
    auto a = testsupport::TempDir();
    auto b = testsupport::TempDir();
    const TDemoCounts counts = MakeDemoFolder(a->path(), 400, 15);
    MakeDemoFolder(b->path(), 400, 15);
    EXPECT_EQ(counts.leases, 400);
    EXPECT_EQ(counts.lessors, 15);
    for (const TTableDesc *t : Tables()) {
        QByteArray x = dbtest::ReadAll(TableFile(a->path(), *t, "dbf"));
        QByteArray y = dbtest::ReadAll(TableFile(b->path(), *t, "dbf"));
        x.replace(1, 3, "\0\0\0", 3);
        y.replace(1, 3, "\0\0\0", 3);
        EXPECT_TRUE(x == y) << t->name;
    }

    auto conf = Open(a->path(), kBailConf);
    const dbase::Record row = ReadConfigRow(*conf);
    EXPECT_EQ(row.AsString(QStringLiteral("LANGUETRAV")), QStringLiteral("F"));
    EXPECT_EQ(row.AsBoolean(row.Index(QStringLiteral("GENAUTO"))), true);
    EXPECT_EQ(row.AsInteger(row.Index(QStringLiteral("NOBAIL"))), 400);
    EXPECT_EQ(row.AsInteger(row.Index(QStringLiteral("NOLOCATEUR"))), 15);
    EXPECT_EQ(row.AsInteger(row.Index(QStringLiteral("NOLOCDEF"))), 1);

    auto leases = Open(a->path(), kBailStd);
    std::map<QString, int> kinds, languages;
    std::set<QString> numbers, elderlyNumbers;
    int filledEverywhere = 0, sparse = 0;
    const QRegularExpression postal(QStringLiteral("^[A-Z]\\d[A-Z] \\d[A-Z]\\d$"));
    // Amounts as a lessor types them, with the lease language's separator: the printed form
    // puts the "$" beside the field itself.
    const QRegularExpression frenchAmount(QStringLiteral("^\\d+,\\d\\d$"));
    const QRegularExpression englishAmount(QStringLiteral("^\\d+\\.\\d\\d$"));
    dbase::Record r;
    for (uint32_t i = 1; i <= leases->RecordCount(); ++i) {
        ASSERT_TRUE(leases->ReadRecord(i, r));
        const QString number = r.AsString(QStringLiteral("NOBAIL"));
        const QString key = r.AsString(QStringLiteral("BAILAHCOOP"));
        EXPECT_EQ(key, LeaseKey(*KindFromPrefix(key), number));
        EXPECT_TRUE(numbers.insert(number).second);
        ++kinds[key.left(2)];
        ++languages[r.AsString(QStringLiteral("LANGUEIMP"))];
        if (key.startsWith(QLatin1Char('O')))
            elderlyNumbers.insert(number);
        const auto lessor = r.AsInteger(r.Index(QStringLiteral("NOLOCATEUR")));
        EXPECT_TRUE(lessor && *lessor >= 1 && *lessor <= 15);
        int blanks = 0;
        for (int f = 0; f < r.FieldCount(); ++f)
            blanks += r.IsNull(f);
        filledEverywhere += blanks == 0;
        sparse += blanks > 100;
        const QString cp = r.AsString(QStringLiteral("A_CP1"));
        if (!cp.isEmpty()) {
            EXPECT_TRUE(postal.match(cp).hasMatch()) << cp.toStdString();
        }
        const bool english = r.AsString(QStringLiteral("LANGUEIMP")) == QLatin1String("A");
        for (const char *field : {"D_LOYER", "D_TOTAL1", "D_TOTAL2", "D_MNTPART1", "D_MNTPART2", "G_LOYER"}) {
            const QString amount = r.AsString(QLatin1String(field));
            if (!amount.isEmpty()) {
                EXPECT_TRUE((english ? englishAmount : frenchAmount).match(amount).hasMatch()) << field << " " << amount.toStdString();
            }
        }
        const QString tel = r.AsString(QStringLiteral("A_TELDOM1"));
        if (!tel.isEmpty()) {
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{10}$")).match(tel).hasMatch()) << tel.toStdString();
        }
    }
    EXPECT_EQ(numbers.size(), 400u);
    EXPECT_TRUE(numbers.count(QStringLiteral("1")) && numbers.count(QStringLiteral("400")));
    for (const char *k : {"NN", "ON", "NO", "OO"})
        EXPECT_GT(kinds[QLatin1String(k)], 10) << k;
    EXPECT_GT(languages[QStringLiteral("F")], 100);
    EXPECT_GT(languages[QStringLiteral("A")], 50);
    EXPECT_GT(filledEverywhere, 20);
    EXPECT_GT(sparse, 20);

    // One Annex row per elderly lease, linked by number.
    auto annexe = Open(a->path(), kAnnexe);
    std::set<QString> annexNumbers;
    for (uint32_t i = 1; i <= annexe->RecordCount(); ++i) {
        ASSERT_TRUE(annexe->ReadRecord(i, r));
        annexNumbers.insert(r.AsString(QStringLiteral("NOBAIL")));
    }
    EXPECT_EQ(annexNumbers, elderlyNumbers);
    EXPECT_EQ(counts.annexes, int(elderlyNumbers.size()));

    EXPECT_THROW(MakeDemoFolder(a->path(), 5, 1), dbase::EDBEngineError); // never over existing data
}
