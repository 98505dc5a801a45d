#include "DbTestUtil.h"
#include "support/TestSupport.h"

#include "dataset/Field.h"
#include "dataset/Table.h"
#include "db/FieldProps.h"
#include "db/LeaseRules.h"
#include "db/Numbering.h"
#include "db/Settings.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace db;
using dataset::TTable;

namespace {

class LeaseRulesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_tmp = testsupport::TempDir();
        ASSERT_TRUE(m_tmp->isValid());
        m_dir = m_tmp->path();
        dbtest::MakeDataFolder(m_dir);
        OpenOn(m_lease, kBailStd, "BAILAHCOOP");
        OpenOn(m_verif, kBailStd, "NOBAIL");
        OpenOn(m_conf, kBailConf, nullptr);
        OpenOn(m_annex, kAnnexe, "NOBAIL");
        OpenOn(m_annexCopy, kAnnexe, "NOBAIL");
    }

    void OpenOn(TTable &t, const TTableDesc &desc, const char *order)
    {
        t.SetTableName(TableFile(m_dir, desc, "dbf"));
        if (order)
            t.SetIndexFieldNames(QLatin1String(order));
        t.Open();
        ApplyFieldProperties(t);
    }

    void SetCounter(long long n)
    {
        m_conf.Edit();
        m_conf.FieldByName(QStringLiteral("NOBAIL"))->SetAsInteger(n);
        m_conf.Post();
    }

    void AddLease(TLeaseKind kind, const QString &number, const QString &name = QString())
    {
        m_lease.Append();
        m_lease.FieldByName(QStringLiteral("NOBAIL"))->SetAsString(number);
        m_lease.FieldByName(QStringLiteral("BAILAHCOOP"))->SetAsString(LeaseKey(kind, number));
        m_lease.FieldByName(QStringLiteral("A_NOM1"))->SetAsString(name);
        m_lease.Post();
    }

    void AddAnnex(const QString &number, double amount)
    {
        m_annex.Append();
        m_annex.FieldByName(QStringLiteral("NOBAIL"))->SetAsString(number);
        m_annex.FieldByName(QStringLiteral("MNTBAIL"))->SetAsFloat(amount);
        m_annex.FieldByName(QStringLiteral("LOG_APP"))->SetAsBoolean(true);
        m_annex.Post();
    }

    QString S(TTable &t, const char *field) { return t.FieldByName(QLatin1String(field))->AsString(); }
    bool B(TTable &t, const char *field) { return t.FieldByName(QLatin1String(field))->AsBoolean(); }
    bool Null(TTable &t, const char *field) { return t.FieldByName(QLatin1String(field))->IsNull(); }

    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_dir;
    TTable m_lease, m_verif, m_conf, m_annex, m_annexCopy;
};

TEST_F(LeaseRulesTest, NewLeaseRunsFromJulyFirstToJuneThirtyWhateverTheMonth)
{
    m_lease.Insert();
    m_lease.FieldByName(QStringLiteral("NOBAIL"))->SetAsString(QStringLiteral("12"));
    SetNewLeaseDefaults(m_lease, TLeaseKind::ON, 3, QStringLiteral("F"), QDate(2024, 12, 15));
    EXPECT_EQ(S(m_lease, "C_DEBUT"), QLatin1String("2024/07/01"));
    EXPECT_EQ(S(m_lease, "C_FIN"), QLatin1String("2025/06/30"));
    EXPECT_EQ(S(m_lease, "D_DATETOUT"), QLatin1String("2024/07/01"));
    EXPECT_EQ(S(m_lease, "C_DUREE"), QLatin1String("12 mois"));
    EXPECT_EQ(S(m_lease, "LANGUEIMP"), QLatin1String("F"));
    EXPECT_EQ(S(m_lease, "BAILAHCOOP"), QLatin1String("ON      12"));
    EXPECT_EQ(m_lease.FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger(), 3);
    for (const char *yes : {"B_FINRESID", "D_MOIS1", "D_MOIS2", "D_MODE_CHQ", "E_REGLEMEN", "E_ACCESTER"})
        EXPECT_TRUE(B(m_lease, yes)) << yes;
    // Answers left for the user stay empty; every other logical is a definite No.
    for (const char *empty : {"E_REMIS", "G_MEME"})
        EXPECT_TRUE(Null(m_lease, empty)) << empty;
    for (const char *no : {"B_MEUBLE", "B_EXT", "B_LAVEUSE", "D_SEMAINE1", "D_SEMAINE2", "D_MODE_ARG", "E_CONCIERG",
                           "E_ANIMAUX", "E_CHAUFFAP", "E_NEIGEESL", "F_LOG1", "F_LOG2", "G_MOIS", "G_SEMAINE"}) {
        EXPECT_FALSE(Null(m_lease, no)) << no;
        EXPECT_FALSE(B(m_lease, no)) << no;
    }
    EXPECT_TRUE(Null(m_lease, "C_DEBUTIND"));
    m_lease.Cancel();

    // In January the lease still starts on the first of July of that year; English texts.
    m_lease.Insert();
    SetNewLeaseDefaults(m_lease, TLeaseKind::NN, 0, QStringLiteral("A"), QDate(2025, 1, 3));
    EXPECT_EQ(S(m_lease, "C_DEBUT"), QLatin1String("2025/07/01"));
    EXPECT_EQ(S(m_lease, "C_FIN"), QLatin1String("2026/06/30"));
    EXPECT_EQ(S(m_lease, "C_DUREE"), QLatin1String("12 months"));
    EXPECT_EQ(S(m_lease, "LANGUEIMP"), QLatin1String("A"));
    EXPECT_TRUE(Null(m_lease, "NOLOCATEUR"));
    m_lease.Cancel();
}

TEST(LeaseDates, SplitDatesReadAsCalendarDaysOrNothing)
{
    const auto check = [](const char *day, int month, const char *year) {
        return CheckSplitDate({QLatin1String(day), month, QLatin1String(year)});
    };
    EXPECT_EQ(check("5", 7, "2024").outcome, TSplitDateOutcome::Valid);
    EXPECT_EQ(check("5", 7, "2024").date, QLatin1String("2024/07/05"));
    EXPECT_EQ(check("", 0, "").outcome, TSplitDateOutcome::Empty);
    EXPECT_EQ(check("29", 2, "2024").date, QLatin1String("2024/02/29"));
    for (const auto &[d, m, y] : {std::tuple{"31", 2, "2024"}, {"29", 2, "2023"}, {"5", 0, "2024"}, {"", 7, "2024"},
                                  {"5", 7, ""}, {"5", 7, "24"}, {"0", 7, "2024"}, {"", 3, ""}})
        EXPECT_EQ(check(d, m, y).outcome, TSplitDateOutcome::Invalid) << d << " " << m << " " << y;

    EXPECT_EQ(SplitDateErrorText(QStringLiteral("31"), QStringLiteral("février"), QStringLiteral("2024"), QStringLiteral("F")),
              QStringLiteral("\"31 / février / 2024\" n'est pas une date valide"));
    EXPECT_EQ(SplitDateErrorText(QStringLiteral("31"), QStringLiteral("February"), QStringLiteral("2024"), QStringLiteral("A")),
              QStringLiteral("\"31 / February / 2024\" is not a valid date"));
}

TEST(LeaseDates, FullDateTextsClearConvertOrFailInFrench)
{
    EXPECT_EQ(CheckFullDateText(QString()), QString());
    EXPECT_EQ(CheckFullDateText(QStringLiteral("    /  /  ")), QString());
    EXPECT_EQ(CheckFullDateText(QStringLiteral("2024/03/09")), QLatin1String("2024/03/09"));
    SetWorkingLanguage(QStringLiteral("A"));
    try {
        CheckFullDateText(QStringLiteral("2024/02/30"));
        ADD_FAILURE() << "an impossible day was accepted";
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("\"2024/02/30\" n'est pas une date valide"));
    }
    EXPECT_THROW(CheckFullDateText(QStringLiteral("2024/3/")), EConvertError);
    InitSettings();
}

TEST_F(LeaseRulesTest, TickedAnswersRequireTheirDates)
{
    m_lease.Insert();
    EXPECT_EQ(CheckConditionalDates(m_lease, QStringLiteral("F")).target, TDateTarget::None);
    m_lease.FieldByName(QStringLiteral("E_REMIS"))->SetAsBoolean(true);
    TConditionalDateIssue issue = CheckConditionalDates(m_lease, QStringLiteral("F"));
    EXPECT_EQ(issue.target, TDateTarget::ByLawsDate);
    EXPECT_EQ(issue.caption, QLatin1String("Attention"));
    EXPECT_EQ(issue.text, QStringLiteral("La date de remise du règlement est invalide"));
    issue = CheckConditionalDates(m_lease, QStringLiteral("A"));
    EXPECT_EQ(issue.caption, QLatin1String("Warning"));
    EXPECT_EQ(issue.text, QStringLiteral("The date on which the by-law were\rgiven to the lessee is invalide"));

    // The building date wins over the by-laws date; the first box over the second.
    m_lease.FieldByName(QStringLiteral("F_LOG2"))->SetAsBoolean(true);
    issue = CheckConditionalDates(m_lease, QStringLiteral("F"));
    EXPECT_EQ(issue.target, TDateTarget::ReadyDate2);
    EXPECT_EQ(issue.text, QStringLiteral("La date à laquelle le logement était prêt\rpour l'habitation est invalide."));
    m_lease.FieldByName(QStringLiteral("F_LOG1"))->SetAsBoolean(true);
    EXPECT_EQ(CheckConditionalDates(m_lease, QStringLiteral("F")).target, TDateTarget::ReadyDate1);
    m_lease.FieldByName(QStringLiteral("F_PRETHAB1"))->SetAsDate(QDate(2021, 5, 1));
    EXPECT_EQ(CheckConditionalDates(m_lease, QStringLiteral("A")).target, TDateTarget::ReadyDate2);
    EXPECT_EQ(CheckConditionalDates(m_lease, QStringLiteral("A")).text,
              QStringLiteral("The date on which the immovable became ready\rfor habitation is invalid."));
    m_lease.FieldByName(QStringLiteral("F_PRETHAB2"))->SetAsDate(QDate(2021, 5, 1));
    m_lease.FieldByName(QStringLiteral("E_DATE"))->SetAsDate(QDate(2024, 6, 1));
    EXPECT_EQ(CheckConditionalDates(m_lease, QStringLiteral("F")).target, TDateTarget::None);
    m_lease.Cancel();
}

TEST_F(LeaseRulesTest, TypedNumbersMustBeGivenAndFreeAmongAllKinds)
{
    AddLease(TLeaseKind::ON, QStringLiteral("A-7"));
    EXPECT_EQ(CheckManualLeaseNumber(QStringLiteral("  "), m_verif), TLeaseNumberCheck::Empty);
    EXPECT_EQ(CheckManualLeaseNumber(QStringLiteral("A-7"), m_verif), TLeaseNumberCheck::Exists);
    EXPECT_EQ(CheckManualLeaseNumber(QStringLiteral("A-8"), m_verif), TLeaseNumberCheck::Ok);
    // A lease saved through another cursor after this one last moved is seen.
    AddLease(TLeaseKind::NN, QStringLiteral("A-8"));
    EXPECT_EQ(CheckManualLeaseNumber(QStringLiteral("A-8"), m_verif), TLeaseNumberCheck::Exists);
    SetWorkingLanguage(QStringLiteral("A"));
    EXPECT_EQ(LeaseNumberMessage(TLeaseNumberCheck::Empty), QStringLiteral("Le numéro de bail est obligatoire"));
    EXPECT_EQ(LeaseNumberMessage(TLeaseNumberCheck::Exists), QStringLiteral("Ce numéro de bail existe déjà."));
    InitSettings();
}

TEST_F(LeaseRulesTest, AutomaticNumberSkipsNumbersTakenSinceTheProposal)
{
    SetCounter(41);
    AddLease(TLeaseKind::NN, QStringLiteral("42"));
    AddLease(TLeaseKind::ON, QStringLiteral("43"));
    EXPECT_EQ(ProposeLeaseNumber(*m_conf.EngineTable(), *m_verif.EngineTable()), QLatin1String("44"));
    AddLease(TLeaseKind::NN, QStringLiteral("44")); // saved elsewhere meanwhile
    EXPECT_EQ(TakeAutomaticLeaseNumber(m_conf, m_verif), QLatin1String("45"));
    EXPECT_EQ(m_conf.FieldByName(QStringLiteral("NOBAIL"))->AsInteger(), 45);
}

TEST_F(LeaseRulesTest, CopyMakesTheNextFreeLeaseWithItsAnnexRow)
{
    SetCounter(11);
    AddLease(TLeaseKind::ON, QStringLiteral("12"), QStringLiteral("Laurier"));
    AddLease(TLeaseKind::NN, QStringLiteral("13"));
    AddAnnex(QStringLiteral("12"), 725.5);
    ASSERT_TRUE(m_lease.FindKey(LeaseKey(TLeaseKind::ON, QStringLiteral("12"))));
    m_lease.Edit();
    m_lease.FieldByName(QStringLiteral("D_LOYER"))->SetAsString(QStringLiteral("725,50"));
    m_lease.FieldByName(QStringLiteral("C_DEBUT"))->SetAsDate(QDate(2024, 7, 1));
    m_lease.FieldByName(QStringLiteral("E_CHAUFFAP"))->SetAsBoolean(true);
    m_lease.Post();
    ASSERT_TRUE(m_annex.FindKey(QStringLiteral("12")));

    const QString n = CopyLease(m_lease, m_verif, m_conf, &m_annex, &m_annexCopy);
    EXPECT_EQ(n, QLatin1String("14"));
    EXPECT_EQ(m_conf.FieldByName(QStringLiteral("NOBAIL"))->AsInteger(), 14);
    TTable check;
    OpenOn(check, kBailStd, "BAILAHCOOP");
    ASSERT_TRUE(check.FindKey(QStringLiteral("ON      14")));
    EXPECT_EQ(S(check, "NOBAIL"), QLatin1String("14"));
    EXPECT_EQ(S(check, "A_NOM1"), QLatin1String("Laurier"));
    EXPECT_EQ(S(check, "D_LOYER"), QLatin1String("725,50"));
    EXPECT_EQ(S(check, "C_DEBUT"), QLatin1String("2024/07/01"));
    EXPECT_TRUE(B(check, "E_CHAUFFAP"));
    TTable annexes;
    OpenOn(annexes, kAnnexe, "NOBAIL");
    ASSERT_TRUE(annexes.FindKey(QStringLiteral("14")));
    EXPECT_DOUBLE_EQ(annexes.FieldByName(QStringLiteral("MNTBAIL"))->AsFloat(), 725.5);
    EXPECT_TRUE(B(annexes, "LOG_APP"));
    ASSERT_TRUE(annexes.FindKey(QStringLiteral("12"))); // the original stays
}

TEST_F(LeaseRulesTest, CopyTakesNoAnnexOfAnotherLeaseNorForTheRegularKind)
{
    AddLease(TLeaseKind::ON, QStringLiteral("1"));
    AddLease(TLeaseKind::ON, QStringLiteral("2"));
    AddAnnex(QStringLiteral("1"), 500);
    // The Annex cursor stands on lease 1's row while lease 2, without an Annex, is copied.
    ASSERT_TRUE(m_annex.FindKey(QStringLiteral("1")));
    ASSERT_TRUE(m_lease.FindKey(LeaseKey(TLeaseKind::ON, QStringLiteral("2"))));
    const QString n = CopyLease(m_lease, m_verif, m_conf, &m_annex, &m_annexCopy);
    EXPECT_EQ(n, QLatin1String("3"));
    TTable annexes;
    OpenOn(annexes, kAnnexe, "NOBAIL");
    EXPECT_FALSE(annexes.FindKey(QStringLiteral("3")));

    AddLease(TLeaseKind::NN, QStringLiteral("9"));
    ASSERT_TRUE(m_lease.FindKey(LeaseKey(TLeaseKind::NN, QStringLiteral("9"))));
    m_annex.FindKey(QStringLiteral("1"));
    EXPECT_EQ(CopyLease(m_lease, m_verif, m_conf, &m_annex, &m_annexCopy), QLatin1String("4"));
    annexes.Refresh();
    EXPECT_FALSE(annexes.FindKey(QStringLiteral("4")));
}

} // namespace
