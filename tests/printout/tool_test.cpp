// bailtool's metafile commands as a user runs them.

#include "TestSupport.h"

#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(BailtoolEmf, ListsRecordsInTheDiagnosticFormat)
{
    const QString dir = testsupport::FixtureDir(QStringLiteral("emf"));
    REQUIRE_FIXTURES(dir);
    QString out, err;
    ASSERT_EQ(testsupport::Run(testsupport::Bailtool(), {QStringLiteral("emf"), dir + QStringLiteral("/poi_63327.emf")}, &out, &err), 0)
        << err.toStdString();
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GT(lines.size(), 3);
    EXPECT_EQ(lines.first(), QStringLiteral("0001                     EMR_HEADER   "));
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral("EMR_EOF   ")));
    EXPECT_TRUE(out.contains(QStringLiteral("     EMR_EXTCREATEFONTINDIRECTW   Tahoma ")));
    EXPECT_TRUE(out.contains(QRegularExpression(QStringLiteral("\\d{4}                EMR_EXTTEXTOUTW    Position \\( *-?\\d+, *-?\\d+\\)Hw\\.txt"))))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QRegularExpression(QStringLiteral("EMR_SELECTOBJECT   ihObject = [0-9a-f]+\n"))));

    // A damaged file: a message naming it and the damage, exit code 1, no listing.
    ASSERT_EQ(testsupport::Run(testsupport::Bailtool(),
                               {QStringLiteral("emf"), dir + QStringLiteral("/e2s_bad_corrupted_2014-12-14-080539.emf")}, &out, &err),
              1);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_TRUE(err.contains(QStringLiteral("description outside the header"))) << err.toStdString();
}

TEST(BailtoolEmf, RendersAPicture)
{
    const QString dir = testsupport::FixtureDir(QStringLiteral("emf"));
    REQUIRE_FIXTURES(dir);
    auto tmp = testsupport::TempDir();
    const QString png = tmp->filePath(QStringLiteral("page.png"));
    QString out, err;
    ASSERT_EQ(testsupport::Run(testsupport::Bailtool(),
                               {QStringLiteral("emf-png"), dir + QStringLiteral("/synthetic_letter600_lometric.emf"), png,
                                QStringLiteral("--dpi"), QStringLiteral("50")},
                               &out, &err),
              0)
        << err.toStdString();
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(425, 550)); // Letter at 50 dpi
    // The 10 mm margin box: a dark pixel at 10 mm from the left, halfway down.
    int darkest = 255;
    for (int x = 17; x <= 23; ++x)
        darkest = std::min(darkest, qGray(image.pixel(x, 275)));
    EXPECT_LT(darkest, 160);
    EXPECT_EQ(qGray(image.pixel(100, 275)), 255);
}
