// Edit masks and number formats, without widgets: what a mask shows and what it stores.

#include "dataset/EditMask.h"
#include "dataset/Field.h"

#include <QLocale>
#include <gtest/gtest.h>

using dataset::TEditMask;

TEST(EditMask, PostalCodeKeepsItsBlankAndUpperCases)
{
    const TEditMask m(QStringLiteral(">l9l\\ 9l9;1; "));
    EXPECT_EQ(m.Length(), 7);
    EXPECT_TRUE(m.SaveLiterals());
    EXPECT_EQ(m.Blank(), QLatin1Char(' '));
    EXPECT_EQ(m.QtInputMask(), QStringLiteral(">a0a\\ 0a0; "));
    EXPECT_EQ(m.DisplayFromValue(QStringLiteral("h2x 1y4")), QStringLiteral("H2X 1Y4"));
    EXPECT_EQ(m.ValueFromDisplay(QStringLiteral("H2X 1Y4")), QStringLiteral("H2X 1Y4"));
    EXPECT_EQ(m.ValueFromDisplay(QStringLiteral("       ")), QString());
    EXPECT_EQ(m.ValueFromDisplay(QStringLiteral("H2X    ")), QStringLiteral("H2X"));
}

TEST(EditMask, TelephoneStoresDigitsOnly)
{
    const TEditMask m(QStringLiteral("!\\(999\\)\\ 999-9999;0; "));
    EXPECT_EQ(m.Length(), 14);
    EXPECT_EQ(m.StoredLength(), 10);
    EXPECT_FALSE(m.SaveLiterals());
    EXPECT_EQ(m.QtInputMask(), QStringLiteral("\\(000\\)\\ 000\\-0000; "));
    EXPECT_EQ(m.DisplayFromValue(QStringLiteral("5145551234")), QStringLiteral("(514) 555-1234"));
    EXPECT_EQ(m.ValueFromDisplay(QStringLiteral("(514) 555-1234")), QStringLiteral("5145551234"));
    EXPECT_EQ(m.ValueFromDisplay(QStringLiteral("(   )    -    ")), QString());
    EXPECT_EQ(m.FormatText(QStringLiteral("5145551234")), QStringLiteral("(514) 555-1234"));
    EXPECT_EQ(m.FormatText(QString()), QString());
}

TEST(EditMask, DatesAndHoursStoreTheirSeparators)
{
    const TEditMask date(QStringLiteral("!9999/99/99;1; "));
    EXPECT_EQ(date.DisplayFromValue(QStringLiteral("2024/07/01")), QStringLiteral("2024/07/01"));
    EXPECT_EQ(date.ValueFromDisplay(QStringLiteral("2024/07/01")), QStringLiteral("2024/07/01"));
    EXPECT_EQ(date.ValueFromDisplay(QStringLiteral("    /  /  ")), QString());
    const TEditMask hour(QStringLiteral("!99:99;1; "));
    EXPECT_EQ(hour.ValueFromDisplay(QStringLiteral("07:30")), QStringLiteral("07:30"));
    EXPECT_EQ(hour.DisplayFromValue(QStringLiteral("17:00")), QStringLiteral("17:00"));
}

TEST(EditMask, RequiredPositionsAndDefaults)
{
    const TEditMask m(QStringLiteral("000-LL"));
    EXPECT_TRUE(m.SaveLiterals());         // literals saved unless told otherwise
    EXPECT_EQ(m.Blank(), QLatin1Char('_')); // the default blank
    EXPECT_EQ(m.QtInputMask(), QStringLiteral("999\\-AA;_"));
    EXPECT_TRUE(m.IsComplete(QStringLiteral("123-AB")));
    EXPECT_FALSE(m.IsComplete(QStringLiteral("12_-AB")));
    EXPECT_TRUE(m.IsComplete(QStringLiteral("___-__")));
    // Escaped separators and case switching.
    const TEditMask e(QStringLiteral("\\;>ll<>ll;0;*"));
    EXPECT_EQ(e.Length(), 5);
    EXPECT_EQ(e.QtInputMask(), QStringLiteral("\\;>aa!aa;*"));
    EXPECT_EQ(e.DisplayFromValue(QStringLiteral("abCd")), QStringLiteral(";ABCd"));
    EXPECT_EQ(e.ValueFromDisplay(QStringLiteral(";AB**")), QStringLiteral("AB"));
    EXPECT_TRUE(TEditMask(QStringLiteral(";0;.")).IsEmpty());
}

TEST(EditMask, DottedMasks)
{
    EXPECT_EQ(TEditMask::Dotted(QString(), 7), QStringLiteral("ccccccc;0;."));
    EXPECT_EQ(TEditMask::Dotted(QString(), 0), QStringLiteral(";0;."));
    EXPECT_EQ(TEditMask::Dotted(QStringLiteral(">l9l\\ 9l9;1; "), 7), QStringLiteral(">l9l\\ 9l9;1;."));
    EXPECT_EQ(TEditMask::Dotted(QStringLiteral("!9999/99/99;1; "), 0), QStringLiteral("!9999/99/99;1;."));
    const TEditMask dots(TEditMask::Dotted(QString(), 7));
    EXPECT_EQ(dots.Blank(), QLatin1Char('.'));
    // Unfilled positions show a dot-like leader so that a typed period stays a period.
    EXPECT_NE(dots.QtBlank(), QLatin1Char('.'));
    const QString shown = dots.DisplayFromValue(QStringLiteral("St."));
    EXPECT_EQ(shown, QStringLiteral("St.") + QString(4, dots.QtBlank()));
    EXPECT_EQ(dots.ValueFromDisplay(shown), QStringLiteral("St."));
    EXPECT_EQ(dots.ValueFromDisplay(QStringLiteral("a b") + QString(4, dots.QtBlank())), QStringLiteral("a b"));
}

TEST(FormatFloat, PatternsOfTheLeaseTables)
{
    const QString dp = QLocale::system().decimalPoint();
    EXPECT_EQ(dataset::FormatFloat(QStringLiteral("#0.0"), 3.5), QStringLiteral("3") + dp + QStringLiteral("5"));
    EXPECT_EQ(dataset::FormatFloat(QStringLiteral("#0.0"), 0), QStringLiteral("0") + dp + QStringLiteral("0"));
    EXPECT_EQ(dataset::FormatFloat(QStringLiteral("#####0.00"), 1234.5), QStringLiteral("1234") + dp + QStringLiteral("50"));
    EXPECT_EQ(dataset::FormatFloat(QStringLiteral("#####0.00"), -2.5), QStringLiteral("-2") + dp + QStringLiteral("50"));
    EXPECT_EQ(dataset::FormatFloat(QStringLiteral("#######0"), 12345678), QStringLiteral("12345678"));
    EXPECT_EQ(dataset::FormatFloat(QStringLiteral("#######0"), 0.4), QStringLiteral("0"));
    EXPECT_EQ(dataset::FormatFloat(QStringLiteral("#.##"), 0.5), dp + QStringLiteral("5"));
    EXPECT_EQ(dataset::FormatFloat(QStringLiteral("#,##0.00 $"), 1234567.891),
              QStringLiteral("1") + QLocale::system().groupSeparator() + QStringLiteral("234")
                  + QLocale::system().groupSeparator() + QStringLiteral("567") + dp + QStringLiteral("89 $"));
}
