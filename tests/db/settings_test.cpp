#include "db/Settings.h"

#include <QObject>

#include <gtest/gtest.h>

using namespace db;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { InitSettings(); }
    void TearDown() override
    {
        InitSettings();
        SetLeaseSearchHook({});
    }
};

} // namespace

TEST_F(SettingsTest, StartValues)
{
    EXPECT_EQ(ShortDateFormat(), QStringLiteral("yyyy/mm/dd"));
    EXPECT_EQ(DateSeparator(), QLatin1Char('/'));
    EXPECT_EQ(WorkingLanguage(), QStringLiteral("F"));
    EXPECT_EQ(PrintingLanguage(), QStringLiteral("F"));
    EXPECT_FALSE(SaveToner());

    SetWorkingLanguage(QStringLiteral("A"));
    SetPrintingLanguage(QStringLiteral("A"));
    SetSaveToner(true);
    InitSettings();
    EXPECT_EQ(WorkingLanguage(), QStringLiteral("F"));
    EXPECT_EQ(PrintingLanguage(), QStringLiteral("F"));
    EXPECT_FALSE(SaveToner());
}

TEST_F(SettingsTest, OnlyCapitalFIsFrench)
{
    EXPECT_TRUE(IsFrench(QStringLiteral("F")));
    for (const char *other : {"A", "f", "E", " ", "", "FA"})
        EXPECT_FALSE(IsFrench(QString::fromLatin1(other))) << other;
}

TEST_F(SettingsTest, LanguagesKeepOneCharacter)
{
    // The configuration row stores a padded text; only its first character is the code.
    SetWorkingLanguage(QStringLiteral("A "));
    EXPECT_EQ(WorkingLanguage(), QStringLiteral("A"));
    SetWorkingLanguage(QStringLiteral("Fr"));
    EXPECT_EQ(WorkingLanguage(), QStringLiteral("F"));
    SetWorkingLanguage(QString());
    EXPECT_EQ(WorkingLanguage(), QString());
    EXPECT_FALSE(IsFrench(WorkingLanguage()));
}

TEST_F(SettingsTest, PickersFollowTheirOwnLanguage)
{
    const QString fr = QStringLiteral("Bail"), en = QStringLiteral("Lease");
    EXPECT_EQ(PickWorkText(fr, en), fr);
    EXPECT_EQ(PickPrintText(fr, en), fr);

    SetPrintingLanguage(QStringLiteral("A"));
    EXPECT_EQ(PickWorkText(fr, en), fr);
    EXPECT_EQ(PickPrintText(fr, en), en);

    SetWorkingLanguage(QStringLiteral("X"));
    SetPrintingLanguage(QStringLiteral("F"));
    EXPECT_EQ(PickWorkText(fr, en), en);
    EXPECT_EQ(PickPrintText(fr, en), fr);

    SetPrintingLanguage(QStringLiteral("A"));
    EXPECT_EQ(PickPrintText(fr), QString());
}

TEST_F(SettingsTest, DateTextRoundTrips)
{
    EXPECT_EQ(DateText(QDate(2026, 2, 3)), QStringLiteral("2026/02/03"));
    EXPECT_EQ(DateText(QDate(987, 12, 31)), QStringLiteral("0987/12/31"));
    EXPECT_EQ(DateText(QDate()), QString());
    for (const QDate d : {QDate(2024, 2, 29), QDate(1999, 12, 31), QDate(2000, 1, 1)})
        EXPECT_EQ(ParseDateText(DateText(d)), d);
}

TEST_F(SettingsTest, ParseRejectsImpossibleAndMalformedDates)
{
    for (const char *bad : {"2026/02/30", "2025/02/29", "2026/13/01", "2026/00/10", "2026/04/31",
                            "2026/01/00", "0000/01/01", "2026-01-01", "2026/1/01", "26/01/01",
                            "2026/01/011", "2026/0a/01", " 2026/01/0", "", "    /  /  "})
        EXPECT_FALSE(ParseDateText(QString::fromLatin1(bad)).has_value()) << bad;
    EXPECT_EQ(ParseDateText(QStringLiteral("2000/02/29")), QDate(2000, 2, 29));
}

TEST_F(SettingsTest, LeaseSearchHookReceivesOwnerAndCanBeRemoved)
{
    QObject mainWindow;
    EXPECT_EQ(RunLeaseSearch(&mainWindow), QString());

    QObject *seen = nullptr;
    SetLeaseSearchHook([&](QObject *owner) {
        seen = owner;
        return QStringLiteral("ON      12");
    });
    EXPECT_EQ(RunLeaseSearch(&mainWindow), QStringLiteral("ON      12"));
    EXPECT_EQ(seen, &mainWindow);

    SetLeaseSearchHook({});
    EXPECT_EQ(RunLeaseSearch(&mainWindow), QString());
}
