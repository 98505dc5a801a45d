#include "EntryTestUtil.h"
#include "dataset/Common.h"
#include "dataset/Field.h"
#include "dataset/Table.h"
#include "entry/Locateur.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <gtest/gtest.h>

#include <set>
#include <sys/wait.h>
#include <unistd.h>

using dataset::TTable;
using entry::TLocateurForm;
using entrytest::TBoxAnswers;
using entrytest::TDataFolder;

namespace {

long long Int(TTable &t, const char *field)
{
    return t.FieldByName(QLatin1String(field))->AsInteger();
}

void AddLessor(TTable &t, const QString &name)
{
    t.Insert();
    t.FieldByName(QStringLiteral("NOM"))->SetAsString(name);
    t.Post();
}

void SetConf(TTable &conf, const char *field, long long value)
{
    conf.Edit();
    conf.FieldByName(QLatin1String(field))->SetAsInteger(value);
    conf.Post();
}

// Lessors of the folder by number, read through a table of their own.
std::multiset<long long> LessorNumbers()
{
    TTable t;
    t.SetDatabaseName(QLatin1String(db::kDatabaseName));
    t.SetTableName(QStringLiteral("Locateur.dbf"));
    t.Open();
    std::multiset<long long> numbers;
    for (t.First(); !t.Eof(); t.Next())
        numbers.insert(Int(t, "NOLOCATEUR"));
    return numbers;
}

} // namespace

TEST(LessorNumbering, FirstLessorGetsOneAndTheCounterWrapsToTheFirstFreeNumber)
{
    TDataFolder folder;
    TLocateurForm w;
    TTable &t = w.LocateurTable();
    AddLessor(t, QStringLiteral("Alpha"));
    EXPECT_EQ(Int(t, "NOLOCATEUR"), 1);
    EXPECT_EQ(t.FieldByName(QStringLiteral("NOM"))->AsString(), QLatin1String("Alpha"));
    w.BailConfTable().Refresh();
    EXPECT_EQ(Int(w.BailConfTable(), "NOLOCATEUR"), 1);

    // At 9999 the counter restarts, and number 1 is taken.
    SetConf(w.BailConfTable(), "NOLOCATEUR", 9999);
    AddLessor(t, QStringLiteral("Beta"));
    EXPECT_EQ(Int(t, "NOLOCATEUR"), 2);
    EXPECT_EQ(t.State(), dataset::TDataSetState::Browse);
    EXPECT_EQ(LessorNumbers(), (std::multiset<long long>{1, 2}));

    // A lessor saved again keeps its number.
    t.Edit();
    t.FieldByName(QStringLiteral("RUE"))->SetAsString(QStringLiteral("rue Principale"));
    t.Post();
    EXPECT_EQ(Int(t, "NOLOCATEUR"), 2);
    w.BailConfTable().Refresh();
    EXPECT_EQ(Int(w.BailConfTable(), "NOLOCATEUR"), 2);
}

TEST(LessorNumbering, SavedLessorsAreAnnouncedToLeaseWindows)
{
    TDataFolder folder;
    TLocateurForm w;
    std::vector<int> saved;
    QObject::connect(&entry::TLessorEvents::Instance(), &entry::TLessorEvents::LessorSaved, &w,
                     [&](int n) { saved.push_back(n); });
    AddLessor(w.LocateurTable(), QStringLiteral("Alpha"));
    EXPECT_EQ(saved, std::vector<int>{1}); // once, with its final number
}

TEST(LessorNumbering, TwoProcessesNeverGiveTheSameNumber)
{
    TDataFolder folder;
    constexpr int kEach = 15;
    pid_t children[2];
    for (pid_t &child : children) {
        child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int rc = 0;
            try {
                TTable locateur, conf;
                for (auto [t, file] : {std::pair{&locateur, "Locateur.dbf"}, std::pair{&conf, "BailConf.dbf"}}) {
                    t->SetDatabaseName(QLatin1String(db::kDatabaseName));
                    t->SetTableName(QLatin1String(file));
                }
                locateur.SetIndexFieldNames(QStringLiteral("NOM"));
                locateur.Open();
                conf.Open();
                for (int i = 0; i < kEach; ++i) {
                    locateur.Insert();
                    locateur.FieldByName(QStringLiteral("NOM"))->SetAsString(QStringLiteral("P%1-%2").arg(getpid()).arg(i));
                    locateur.Post();
                    if (entry::NumberNewLessor(locateur, conf) == 0)
                        rc = 2;
                }
            } catch (...) {
                rc = 1;
            }
            _exit(rc);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    const auto numbers = LessorNumbers();
    ASSERT_EQ(numbers.size(), size_t(2 * kEach));
    EXPECT_EQ(std::set<long long>(numbers.begin(), numbers.end()).size(), size_t(2 * kEach));
    EXPECT_EQ(*numbers.begin(), 1);
    EXPECT_EQ(*numbers.rbegin(), 2 * kEach);
}

TEST(LessorWindow, ClosingMakesTheFirstLessorByNameTheDefault)
{
    TDataFolder folder;
    QPointer<TLocateurForm> w = new TLocateurForm;
    for (const char *name : {"C", "A", "B"})
        AddLessor(w->LocateurTable(), QLatin1String(name));
    TTable conf;
    conf.SetDatabaseName(QLatin1String(db::kDatabaseName));
    conf.SetTableName(QStringLiteral("BailConf.dbf"));
    conf.Open();
    EXPECT_EQ(Int(conf, "NOLOCDEF"), 0);
    EXPECT_TRUE(w->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
    conf.Refresh();
    EXPECT_EQ(Int(conf, "NOLOCDEF"), 2); // A was numbered second
}

TEST(LessorWindow, ClosingWithNoLessorsLeavesNoDefault)
{
    TDataFolder folder;
    QPointer<TLocateurForm> w = new TLocateurForm;
    EXPECT_TRUE(w->close());
    TTable conf;
    conf.SetDatabaseName(QLatin1String(db::kDatabaseName));
    conf.SetTableName(QStringLiteral("BailConf.dbf"));
    conf.Open();
    EXPECT_EQ(Int(conf, "NOLOCDEF"), 0);
}

TEST(LessorWindow, ClosingWhileEditingAsksToKeepTheChanges)
{
    TDataFolder folder;
    {
        QPointer<TLocateurForm> w = new TLocateurForm;
        AddLessor(w->LocateurTable(), QStringLiteral("Alpha"));
        w->LocateurTable().Edit();
        w->LocateurTable().FieldByName(QStringLiteral("NOM"))->SetAsString(QStringLiteral("Changed"));
        TBoxAnswers cancel({QMessageBox::Cancel});
        EXPECT_FALSE(w->close());
        EXPECT_EQ(cancel.Texts(), std::vector<QString>{QStringLiteral("Désirez-vous conserver les modifications ?")});
        EXPECT_EQ(w->LocateurTable().State(), dataset::TDataSetState::Edit);
        TBoxAnswers no({QMessageBox::No});
        EXPECT_TRUE(w->close());
    }
    TTable t;
    t.SetDatabaseName(QLatin1String(db::kDatabaseName));
    t.SetTableName(QStringLiteral("Locateur.dbf"));
    t.Open();
    EXPECT_EQ(t.FieldByName(QStringLiteral("NOM"))->AsString(), QLatin1String("Alpha"));
}

TEST(LessorWindow, DeletingTheDefaultLessorClearsTheDefault)
{
    TDataFolder folder;
    TLocateurForm w;
    TTable &t = w.LocateurTable();
    AddLessor(t, QStringLiteral("Alpha"));
    AddLessor(t, QStringLiteral("Beta"));
    SetConf(w.BailConfTable(), "NOLOCDEF", 2);
    ASSERT_EQ(Int(t, "NOLOCATEUR"), 2);

    {
        TBoxAnswers no({QMessageBox::No});
        EXPECT_THROW(t.Delete(), dataset::EAbort); // the silent stop the navigator swallows
        EXPECT_EQ(no.Texts(), std::vector<QString>{QStringLiteral("Désirez-vous détruire cet enregistrement ?")});
    }
    EXPECT_EQ(LessorNumbers().size(), 2u);

    TBoxAnswers yes;
    t.Delete();
    EXPECT_EQ(LessorNumbers(), std::multiset<long long>{1});
    w.BailConfTable().Refresh();
    EXPECT_TRUE(w.BailConfTable().FieldByName(QStringLiteral("NOLOCDEF"))->IsNull());
    EXPECT_EQ(t.State(), dataset::TDataSetState::Browse);
}

TEST(LessorWindow, ALessorWithLeasesCannotBeDeleted)
{
    TDataFolder folder(6, 2);
    TLocateurForm w;
    TTable &t = w.LocateurTable();
    // The lessor of some lease.
    TTable leases;
    leases.SetDatabaseName(QLatin1String(db::kDatabaseName));
    leases.SetTableName(QStringLiteral("BailStd.dbf"));
    leases.Open();
    const long long used = Int(leases, "NOLOCATEUR");
    ASSERT_NE(used, 0);
    t.SetIndexFieldNames(QStringLiteral("NOLOCATEUR"));
    ASSERT_TRUE(t.FindKey(used));
    t.SetIndexFieldNames(QStringLiteral("NOM"));
    const size_t before = LessorNumbers().size();

    w.BailConfTable().Refresh();
    const long long defaultBefore = Int(w.BailConfTable(), "NOLOCDEF");
    TBoxAnswers yes;
    EXPECT_THROW(t.Delete(), dataset::EAbort); // the window has told the user why
    ASSERT_EQ(yes.Texts().size(), 2u);
    EXPECT_EQ(yes.Texts()[1], QStringLiteral("Vous ne pouvez détruire un locateur\nauquel des baux sont associés."));
    EXPECT_EQ(yes.Captions()[1], QLatin1String("Attention"));
    EXPECT_EQ(LessorNumbers().size(), before);
    EXPECT_EQ(t.State(), dataset::TDataSetState::Browse);
    EXPECT_EQ(Int(t, "NOLOCATEUR"), used);
    w.BailConfTable().Refresh();
    EXPECT_EQ(Int(w.BailConfTable(), "NOLOCDEF"), defaultBefore);
}
