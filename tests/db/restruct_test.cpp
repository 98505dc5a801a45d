#include "DbTestUtil.h"
#include "support/TestSupport.h"

#include "db/Restruct.h"
#include "dbase/Cursor.h"
#include "dbase/EngineError.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace db;
using dbase::FieldType;

namespace {

dbase::FieldDef Field(const char *name, FieldType type, int width, int decimals = 0)
{
    dbase::FieldDef f;
    f.name = QLatin1String(name);
    f.type = type;
    f.width = width;
    f.decimals = decimals;
    return f;
}

// A lease table as an older release wrote it: narrow names and texts, with tags.
QString MakeOldLeaseTable(const QString &dir, int nameWidth)
{
    const QString path = dir + QStringLiteral("/BailStd.dbf");
    dbase::Table::Create(path, {Field("NOBAIL", FieldType::Character, 8), Field("NOLOCATEUR", FieldType::Numeric, 6),
                                Field("A_NOM1", FieldType::Character, nameWidth), Field("A_NOM2", FieldType::Character, 30),
                                Field("D_LOYER", FieldType::Character, 20), Field("B_AUTRE", FieldType::Character, 60),
                                Field("C_DEBUT", FieldType::Date, 8), Field("E_REMIS", FieldType::Logical, 1),
                                Field("G_CHANG2", FieldType::Character, 60)});
    dbase::Table t(path, dbase::Table::Mode::Exclusive);
    dbtest::Append(t, {{"NOBAIL", QStringLiteral("1")}, {"NOLOCATEUR", QStringLiteral("3")}, {"A_NOM1", QStringLiteral("Côté, Hélène")},
                       {"D_LOYER", QStringLiteral("850,00 $")}, {"C_DEBUT", QStringLiteral("20240701")}, {"E_REMIS", QStringLiteral("T")},
                       {"G_CHANG2", QString(60, QLatin1Char('x'))}});
    dbtest::Append(t, {{"NOBAIL", QStringLiteral("2")}, {"A_NOM1", QString(nameWidth, QLatin1Char('N'))}, {"A_NOM2", QStringLiteral("Roy")}});
    dbtest::Append(t, {{"NOBAIL", QStringLiteral("3")}, {"A_NOM1", QStringLiteral("Bouchard")}});
    t.AddTag(QStringLiteral("NOBAIL"), QStringLiteral("NOBAIL"));
    t.AddTag(QStringLiteral("NOMLOC"), QStringLiteral("A_NOM1"));
    return path;
}

int WidthOf(const QString &path, const char *name)
{
    for (const auto &f : ReadTableHeader(path).fields)
        if (f.name == QLatin1String(name))
            return f.width;
    return -1;
}

} // namespace

TEST(Upgrade, OldLeaseTableIsWidenedKeepingEveryValue)
{
    auto tmp = testsupport::TempDir();
    const QString path = MakeOldLeaseTable(tmp->path(), 30);
    std::vector<std::string> before;
    {
        dbase::Table t(path, dbase::Table::Mode::ReadOnly);
        dbase::Record r;
        for (uint32_t i = 1; i <= 3; ++i) {
            t.ReadRecord(i, r);
            before.push_back(r.Bytes());
        }
    }
    const auto steps = UpgradeDataFolder(tmp->path());
    ASSERT_EQ(steps.size(), 1u); // no lessor table in the folder
    EXPECT_EQ(steps[0].table, QStringLiteral("BailStd"));
    EXPECT_TRUE(steps[0].triggered);
    EXPECT_TRUE(steps[0].widened) << steps[0].error.toStdString();
    EXPECT_EQ(WidthOf(path, "A_NOM1"), 50);
    EXPECT_EQ(WidthOf(path, "A_NOM2"), 50);
    EXPECT_EQ(WidthOf(path, "D_LOYER"), 50);
    EXPECT_EQ(WidthOf(path, "B_AUTRE"), 100);
    EXPECT_EQ(WidthOf(path, "G_CHANG2"), 100);
    EXPECT_EQ(WidthOf(path, "NOBAIL"), 8); // not in the list

    dbase::Table t(path, dbase::Table::Mode::Shared);
    const auto oldHeader = std::vector<int>{8, 6, 30, 30, 20, 60, 8, 1, 60};
    dbase::Record r;
    for (uint32_t i = 1; i <= 3; ++i) {
        ASSERT_TRUE(t.ReadRecord(i, r));
        // Each old value is the prefix of the new one; the new positions are blanks.
        size_t oldAt = 1;
        for (size_t f = 0; f < t.Fields().size(); ++f) {
            const std::string raw = r.RawField(int(f));
            const std::string old = before[i - 1].substr(oldAt, size_t(oldHeader[f]));
            oldAt += size_t(oldHeader[f]);
            EXPECT_EQ(raw.substr(0, old.size()), old) << "row " << i << " field " << f;
            EXPECT_EQ(raw.substr(old.size()), std::string(raw.size() - old.size(), ' '));
        }
    }
    ASSERT_TRUE(t.ReadRecord(1, r));
    EXPECT_EQ(r.AsString(QStringLiteral("A_NOM1")), QStringLiteral("Côté, Hélène"));
    EXPECT_EQ(r.AsDate(r.Index(QStringLiteral("C_DEBUT"))), QDate(2024, 7, 1));

    // The tags still find rows, now on the wider key.
    dbase::Cursor c(t);
    c.SetOrder(QStringLiteral("NOMLOC"));
    EXPECT_EQ(t.Tag(c.OrderTag()).keyLength, 50);
    ASSERT_TRUE(c.FindKey(t.KeyFromText(c.OrderTag(), QStringLiteral("Bouchard"))));
    EXPECT_EQ(c.Recno(), 3u);
    ASSERT_TRUE(c.First());
    EXPECT_EQ(c.Recno(), 3u); // "Bouchard" < "Côté" < "NNN..."
    dbtest::Append(t, {{"NOBAIL", QStringLiteral("4")}, {"A_NOM1", QString(50, QLatin1Char('A'))}});
    ASSERT_TRUE(c.First());
    EXPECT_EQ(c.Recno(), 4u);
}

TEST(Upgrade, CurrentWidthsAreLeftAlone)
{
    auto tmp = testsupport::TempDir();
    const QString path = MakeOldLeaseTable(tmp->path(), 50); // D_LOYER still narrow, but no trigger
    const QByteArray before = dbtest::ReadAll(path);
    const auto steps = UpgradeDataFolder(tmp->path());
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_FALSE(steps[0].triggered);
    EXPECT_FALSE(steps[0].widened);
    EXPECT_EQ(dbtest::ReadAll(path), before);
    EXPECT_EQ(WidthOf(path, "D_LOYER"), 20);

    // A current data folder needs nothing either.
    auto fresh = testsupport::TempDir();
    dbtest::MakeDataFolder(fresh->path());
    for (const TUpgradeStep &s : UpgradeDataFolder(fresh->path())) {
        EXPECT_FALSE(s.triggered) << s.table.toStdString();
        EXPECT_EQ(s.errorCode, 0);
    }
}

TEST(Upgrade, OldLessorTableIsWidened)
{
    auto tmp = testsupport::TempDir();
    const QString path = tmp->filePath(QStringLiteral("LOCATEUR.DBF")); // file names match without regard to case
    dbase::Table::Create(path, {Field("NOM", FieldType::Character, 30), Field("NOMREP", FieldType::Character, 30),
                                Field("FONCTION", FieldType::Character, 30), Field("NOLOCATEUR", FieldType::Numeric, 6)});
    {
        dbase::Table t(path, dbase::Table::Mode::Exclusive);
        dbtest::Append(t, {{"NOM", QStringLiteral("Gestion Laurentides")}, {"NOLOCATEUR", QStringLiteral("1")}});
        t.AddTag(QStringLiteral("NOM"), QStringLiteral("NOM"));
    }
    const auto steps = UpgradeDataFolder(tmp->path());
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].table, QStringLiteral("Locateur"));
    EXPECT_TRUE(steps[0].widened) << steps[0].error.toStdString();
    EXPECT_EQ(WidthOf(path, "NOM"), 50);
    EXPECT_EQ(WidthOf(path, "NOMREP"), 50);
    EXPECT_EQ(WidthOf(path, "FONCTION"), 30);
    dbase::Table t(path, dbase::Table::Mode::Shared);
    dbase::Record r;
    ASSERT_TRUE(t.ReadRecord(1, r));
    EXPECT_EQ(r.AsString(QStringLiteral("NOM")), QStringLiteral("Gestion Laurentides"));
}

TEST(Upgrade, TableHeldOpenElsewhereFailsWithTheInUseCode)
{
    auto tmp = testsupport::TempDir();
    const QString path = MakeOldLeaseTable(tmp->path(), 30);
    dbase::Table held(path, dbase::Table::Mode::Shared);

    TRestruct r(path);
    EXPECT_TRUE(r.ChangeField(QStringLiteral("a_nom1"), FieldType::Character, 0, 50));
    EXPECT_FALSE(r.ChangeField(QStringLiteral("NOPE"), FieldType::Character, 0, 50));
    try {
        r.Restructure();
        FAIL() << "restructured a table open elsewhere";
    } catch (const dbase::EDBEngineError &e) {
        // Not a refusal of the new structure: start-up tells the two apart by this code.
        EXPECT_EQ(e.Code(), dbase::kFileInUse);
        EXPECT_TRUE(e.Message().contains(path)) << e.Message().toStdString();
    }
    const auto steps = UpgradeDataFolder(tmp->path());
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_TRUE(steps[0].triggered);
    EXPECT_FALSE(steps[0].widened);
    EXPECT_EQ(steps[0].errorCode, dbase::kFileInUse);
    EXPECT_EQ(WidthOf(path, "A_NOM1"), 30); // the old structure stays
}

TEST(Upgrade, RefusedChangeIsARestructureFailure)
{
    auto tmp = testsupport::TempDir();
    const QString path = MakeOldLeaseTable(tmp->path(), 30);
    TRestruct r(path);
    ASSERT_EQ(r.FieldCount(), 9);
    EXPECT_EQ(r.Fields()[2].number, 3);
    r.ChangeField(QStringLiteral("A_NOM1"), FieldType::Character, 0, 120); // wider than a key may be
    try {
        r.Restructure();
        FAIL() << "no error";
    } catch (const dbase::EDBEngineError &e) {
        EXPECT_EQ(e.Code(), dbase::kRestructureFailed);
    }
    EXPECT_EQ(WidthOf(path, "A_NOM1"), 30);
}
