#include "db/BailKey.h"

#include "dbase/Mdx.h"

#include <gtest/gtest.h>

using namespace db;

TEST(LeaseKey, PadsTheNumberToEightAfterTheKindPrefix)
{
    EXPECT_EQ(LeaseKey(false, false, QStringLiteral("7")), QStringLiteral("NN       7"));
    EXPECT_EQ(LeaseKey(false, false, QStringLiteral("12")), QStringLiteral("NN      12"));
    EXPECT_EQ(LeaseKey(false, false, QStringLiteral("12345678")), QStringLiteral("NN12345678"));
    EXPECT_EQ(LeaseKey(true, true, QStringLiteral("4071")), QStringLiteral("OO    4071"));
    EXPECT_EQ(LeaseKey(true, false, QStringLiteral("1")), QStringLiteral("ON       1"));
    EXPECT_EQ(LeaseKey(false, true, QStringLiteral("1")), QStringLiteral("NO       1"));
    // A typed number longer than the field is not cut here.
    EXPECT_EQ(LeaseKey(TLeaseKind::NN, QStringLiteral("123456789")), QStringLiteral("NN123456789"));
}

TEST(LeaseKey, KindsAndPrefixesRoundTrip)
{
    for (TLeaseKind k : {TLeaseKind::NN, TLeaseKind::ON, TLeaseKind::NO, TLeaseKind::OO}) {
        EXPECT_EQ(KindFromPrefix(KindPrefix(k)), k);
        EXPECT_EQ(KindFromPrefix(LeaseKey(k, QStringLiteral("55"))), k);
        EXPECT_EQ(KindPrefix(k), KindPrefix(IsElderly(k), IsCooperative(k)));
    }
    EXPECT_EQ(KindFromPrefix(QStringLiteral("oo")), TLeaseKind::OO);
    EXPECT_FALSE(KindFromPrefix(QStringLiteral("NX")).has_value());
    EXPECT_FALSE(KindFromPrefix(QStringLiteral("N")).has_value());
}

TEST(LeaseKey, KindRangeHoldsExactlyTheKeysOfItsKind)
{
    const auto [low, high] = KindRange(TLeaseKind::ON);
    ASSERT_EQ(low.size(), 10u);
    ASSERT_EQ(high.size(), 10u);
    EXPECT_EQ(low, std::string("ON") + std::string(8, '\0'));
    EXPECT_EQ(high, std::string("ON") + std::string(8, '\xFF'));
    auto inside = [&, low = low, high = high](const QString &key) {
        const dbase::KeyBytes k = dbase::EncodeCharKey(key.toStdString(), 10);
        return dbase::CompareKeys(dbase::KeyType::Character, k, low) >= 0
               && dbase::CompareKeys(dbase::KeyType::Character, k, high) <= 0;
    };
    EXPECT_TRUE(inside(LeaseKey(TLeaseKind::ON, QStringLiteral("1"))));
    EXPECT_TRUE(inside(LeaseKey(TLeaseKind::ON, QStringLiteral("99999999"))));
    EXPECT_FALSE(inside(LeaseKey(TLeaseKind::NN, QStringLiteral("1"))));
    EXPECT_FALSE(inside(LeaseKey(TLeaseKind::OO, QStringLiteral("1"))));
    EXPECT_FALSE(inside(LeaseKey(TLeaseKind::NO, QStringLiteral("99999999"))));
}

TEST(TextHelpers, TrimRemovesControlsAndBlanksAtBothEnds)
{
    EXPECT_EQ(Trim(QStringLiteral("  abc\t")), QStringLiteral("abc"));
    EXPECT_EQ(Trim(QStringLiteral("   ")), QString());
    EXPECT_EQ(Trim(QString()), QString());
    EXPECT_EQ(Trim(QStringLiteral("\r\n a b \x01")), QStringLiteral("a b"));
    EXPECT_EQ(Trim(QStringLiteral("é")), QStringLiteral("é"));
}

TEST(TextHelpers, PadLeftFillsToTheWidthOnly)
{
    EXPECT_EQ(PadLeft(QStringLiteral("12"), 8), QStringLiteral("      12"));
    EXPECT_EQ(PadLeft(QStringLiteral("123456789"), 8), QStringLiteral("123456789"));
    EXPECT_EQ(PadLeft(QString(), 3), QStringLiteral("   "));
    EXPECT_EQ(PadLeft(QStringLiteral("abc"), 0), QStringLiteral("abc"));
}
