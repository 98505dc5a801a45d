// A printout file made by another program, from metafiles made by other programs, opens in
// the preview as a further document.

#include "preview/Preview.h"
#include "printout/Metafile.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>

TEST(PreviewPrintoutFile, AFileBuiltElsewhereFromForeignPagesOpensAsADocument)
{
    const QDir fixtures(QStringLiteral(BAIL_SHARED_DIR "/fixtures/emf"));
    if (!fixtures.exists() || !testsupport::HaveProgram(QStringLiteral("python3")))
        GTEST_SKIP() << "no shared fixtures or no python3";
    QStringList pages;
    for (const QString &name : fixtures.entryList({QStringLiteral("e2s_test-*.emf")})) {
        QFile f(fixtures.filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = f.readAll();
        quint32 total = 0;
        if (bytes.size() >= 52)
            std::memcpy(&total, bytes.constData() + 48, 4);
        try {
            (void)printout::TMetafile::FromEmf(bytes);
            if (total == quint32(bytes.size()))
                pages << f.fileName();
        } catch (const printout::EEmfError &) {
        }
        if (pages.size() == 2)
            break;
    }
    ASSERT_EQ(pages.size(), 2);
    auto dir = testsupport::TempDir();
    const QString file = dir->filePath(QStringLiteral("foreign.krp"));
    QString out, err;
    ASSERT_EQ(testsupport::Run(QStringLiteral("python3"),
                               QStringList{QStringLiteral(BAIL_TESTS_DIR "/delivery/krp_reader.py"), QStringLiteral("build"),
                                           file, QStringLiteral("Foreign")} + pages,
                               &out, &err),
              0)
        << err.toStdString();

    auto first = std::make_unique<printout::TPrintout>(nullptr, printout::TPrinter::Virtual(), QStringLiteral("Ours"));
    first->NewPage(1);
    first->EndPage();
    preview::TFPrintPreview w(nullptr, std::move(first));
    ASSERT_TRUE(w.OpenKrp(file));
    EXPECT_EQ(w.DocumentCount(), 2);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Foreign"));
    EXPECT_EQ(w.Current()->PageCount(), 2);
    EXPECT_EQ(w.PageIndicator()->text(), QStringLiteral("Page 1 de 2"));
}
