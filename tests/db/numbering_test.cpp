#include "DbTestUtil.h"
#include "support/TestSupport.h"

#include "db/Numbering.h"
#include "dbase/EngineError.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace db;
using dbtest::Append;
using dbtest::Open;

namespace {

class NumberingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_tmp = testsupport::TempDir();
        ASSERT_TRUE(m_tmp->isValid());
        m_dir = m_tmp->path();
        dbtest::MakeDataFolder(m_dir);
        m_conf = Open(m_dir, kBailConf);
        m_leases = Open(m_dir, kBailStd);
        m_lessors = Open(m_dir, kLocateur);
    }

    void SetCounters(long long leases, int lessors)
    {
        TConfigEdit e(*m_conf);
        e.SetLeaseCounter(leases);
        e.SetLessorCounter(lessors);
        e.Post();
    }

    long long LeaseCounter()
    {
        const dbase::Record r = ReadConfigRow(*m_conf);
        return r.AsInteger(r.Index(QStringLiteral("NOBAIL"))).value_or(-1);
    }

    void AddLeaseRow(TLeaseKind kind, const QString &number)
    {
        Append(*m_leases, {{"NOBAIL", number}, {"BAILAHCOOP", LeaseKey(kind, number)}});
    }

    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_dir;
    std::unique_ptr<dbase::Table> m_conf, m_leases, m_lessors;
};

} // namespace

TEST_F(NumberingTest, EditingAnEmptyConfigurationTableCreatesItsRow)
{
    ASSERT_EQ(m_conf->RecordCount(), 0u);
    {
        TConfigEdit e(*m_conf);
        EXPECT_EQ(e.Recno(), 1u);
        EXPECT_EQ(e.LeaseCounter(), 0);
        e.SetLeaseCounter(41);
        e.Post();
    }
    {
        TConfigEdit again(*m_conf); // the row now exists: no second one
        EXPECT_EQ(again.LeaseCounter(), 41);
    }
    EXPECT_EQ(m_conf->RecordCount(), 1u);
}

TEST_F(NumberingTest, CounterAtTheMaximumRestartsAndProposesTheFirstFreeNumber)
{
    SetCounters(kMaxLeaseNumber, 0);
    EXPECT_EQ(ProposeLeaseNumber(*m_conf, *m_leases), QStringLiteral("1"));
    EXPECT_EQ(LeaseCounter(), 0); // the reset is saved

    SetCounters(kMaxLeaseNumber, 0);
    AddLeaseRow(TLeaseKind::NN, QStringLiteral("1"));
    AddLeaseRow(TLeaseKind::OO, QStringLiteral("2"));
    EXPECT_EQ(ProposeLeaseNumber(*m_conf, *m_leases), QStringLiteral("3"));
    // Step 2 takes the same number and saves the counter.
    EXPECT_EQ(AssignLeaseNumber(*m_conf, *m_leases), QStringLiteral("3"));
    EXPECT_EQ(LeaseCounter(), 3);
}

TEST_F(NumberingTest, ProposalDoesNotTouchTheCounterAndSkipsUsedNumbers)
{
    SetCounters(10, 0);
    AddLeaseRow(TLeaseKind::NN, QStringLiteral("11"));
    AddLeaseRow(TLeaseKind::NN, QStringLiteral("12"));
    EXPECT_EQ(ProposeLeaseNumber(*m_conf, *m_leases), QStringLiteral("13"));
    EXPECT_EQ(LeaseCounter(), 10);
}

TEST_F(NumberingTest, LeasesOfEveryKindShareOneNumberSpace)
{
    SetCounters(4, 0);
    AddLeaseRow(TLeaseKind::NN, QStringLiteral("5")); // a regular lease typed by hand
    auto annexe = Open(m_dir, kAnnexe);
    const QString n = AddLease(*m_conf, *m_leases, annexe.get(), TLeaseKind::ON);
    EXPECT_EQ(n, QStringLiteral("6"));
    EXPECT_EQ(LeaseCounter(), 6);

    // The new lease has its key and an Annex row with its number.
    dbase::Cursor byKey(*m_leases);
    byKey.SetOrder(QStringLiteral("BAILAHCOOP"));
    ASSERT_TRUE(byKey.FindKey(m_leases->KeyFromText(byKey.OrderTag(), QStringLiteral("ON       6"))));
    EXPECT_EQ(byKey.Current().AsString(QStringLiteral("NOBAIL")), QStringLiteral("6"));
    dbase::Cursor annex(*annexe);
    annex.SetOrder(QStringLiteral("NOBAIL"));
    EXPECT_TRUE(annex.FindKey(annexe->KeyFromText(annex.OrderTag(), QStringLiteral("6"))));

    // A regular lease gets no Annex row.
    EXPECT_EQ(AddLease(*m_conf, *m_leases, annexe.get(), TLeaseKind::NN), QStringLiteral("7"));
    EXPECT_EQ(annexe->RecordCount(), 1u);
}

TEST_F(NumberingTest, DeletedLeasesFreeTheirNumber)
{
    SetCounters(0, 0);
    AddLeaseRow(TLeaseKind::NN, QStringLiteral("1"));
    m_leases->LockRecord(1);
    m_leases->DeleteRecord(1);
    m_leases->UnlockRecord(1);
    EXPECT_EQ(ProposeLeaseNumber(*m_conf, *m_leases), QStringLiteral("1"));
}

TEST_F(NumberingTest, NewLeaseTakesTheDefaultLessor)
{
    {
        TConfigEdit e(*m_conf);
        e.Row().SetInteger(e.Row().Index(QStringLiteral("NOLOCDEF")), 17);
        e.Post();
    }
    AddLease(*m_conf, *m_leases, nullptr, TLeaseKind::NO);
    dbase::Record r;
    ASSERT_TRUE(m_leases->ReadRecord(1, r));
    EXPECT_EQ(r.AsInteger(r.Index(QStringLiteral("NOLOCATEUR"))), 17);
    EXPECT_EQ(r.AsString(QStringLiteral("BAILAHCOOP")), QStringLiteral("NO       1"));
}

TEST_F(NumberingTest, LessorCounterWrapsToOneAndSkipsUsedNumbers)
{
    SetCounters(0, kMaxLessorNumber);
    for (const char *n : {"1", "2", "4"})
        Append(*m_lessors, {{"NOM", QStringLiteral("Lessor ") + QLatin1String(n)}, {"NOLOCATEUR", QLatin1String(n)}});
    EXPECT_EQ(AssignLessorNumber(*m_conf, *m_lessors), 3);
    SetCounters(0, 3);
    EXPECT_EQ(AssignLessorNumber(*m_conf, *m_lessors), 5);
    SetCounters(0, 0);
    auto fresh = testsupport::TempDir();
    dbtest::MakeDataFolder(fresh->path());
    auto conf = Open(fresh->path(), kBailConf);
    auto lessors = Open(fresh->path(), kLocateur);
    EXPECT_EQ(AssignLessorNumber(*conf, *lessors), 1); // first lessor of an empty table
}

TEST_F(NumberingTest, ConfigurationLockHeldByAnotherWindowIsReported)
{
    auto other = Open(m_dir, kBailConf); // another window's cursor on the same table
    TConfigEdit holder(*m_conf);
    try {
        TConfigEdit waiter(*other);
        FAIL() << "the second edit got the lock";
    } catch (const dbase::EDBEngineError &e) {
        EXPECT_EQ(e.Code(), dbase::kLockedHere);
    }
}
