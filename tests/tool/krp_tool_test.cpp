// bailtool and printout files: a lease rendered to a .krp lists its pages and turns into a
// PDF, and damaged files end the commands with 0 or 1, never a crash or a hang.

#include "ToolTestUtil.h"

#include "db/Demo.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tooltest;

TEST(ToolPrintoutFile, RenderedLeaseListsItsPagesBecomesAPdfAndSurvivesDamage)
{
    auto dir = testsupport::TempDir();
    const QString data = dir->filePath(QStringLiteral("data"));
    db::MakeDemoFolder(data, 6, 2);
    const QString krp = dir->filePath(QStringLiteral("one.krp"));
    QString out, err;
    ASSERT_EQ(Tool({QStringLiteral("render"), data, QStringLiteral("--lease"), QStringLiteral("1"), QStringLiteral("--krp"), krp},
                   &out, &err),
              0)
        << err.toStdString();
    ASSERT_EQ(Tool({QStringLiteral("krp"), krp}, &out, &err), 0) << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("version: 0102"))) << out.toStdString();
    const QStringList pageLines = out.split(QLatin1Char('\n')).filter(QRegularExpression(QStringLiteral("^page \\d+: \\d+ records")));
    EXPECT_GE(pageLines.size(), 4);
    EXPECT_TRUE(out.contains(QStringLiteral("pages: %1").arg(pageLines.size())));

    const QString pdf = dir->filePath(QStringLiteral("one.pdf"));
    ASSERT_EQ(Tool({QStringLiteral("pdf"), pdf, krp}, &out, &err), 0) << err.toStdString();
    if (testsupport::HaveProgram(QStringLiteral("qpdf"))) {
        QString pages;
        ASSERT_EQ(testsupport::Run(QStringLiteral("qpdf"), {QStringLiteral("--show-npages"), pdf}, &pages), 0);
        EXPECT_EQ(pages.trimmed().toInt(), pageLines.size());
    }

    // Truncated at every twentieth of its length, and bytes flipped.
    QFile f(krp);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const QString bad = dir->filePath(QStringLiteral("bad.krp"));
    auto tryFile = [&](const QByteArray &content, const std::string &what) {
        QFile w(bad);
        ASSERT_TRUE(w.open(QIODevice::WriteOnly | QIODevice::Truncate));
        w.write(content);
        w.close();
        const int rc = Tool({QStringLiteral("krp"), bad}, &out, &err);
        EXPECT_TRUE(rc == 0 || rc == 1) << what << " exit " << rc;
    };
    for (int k = 0; k < 20; ++k)
        tryFile(bytes.left(bytes.size() * k / 20), "cut " + std::to_string(k));
    for (int k = 1; k < 20; ++k) {
        QByteArray flipped = bytes;
        flipped[flipped.size() * k / 20] = char(flipped[flipped.size() * k / 20] ^ 0xFF);
        tryFile(flipped, "flip " + std::to_string(k));
    }
}
