// bailtool's drawing commands on a demo folder: what the pages say, where files go, and that a
// command that writes nothing fails.

#include "ToolTestUtil.h"

#include "db/AnnexRows.h"
#include "db/Demo.h"
#include "db/Schema.h"
#include "dbase/Table.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tooltest;

namespace {

class ToolPages : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = testsupport::TempDir().release();
        db::MakeDemoFolder(s_dir->path(), 40, 4);
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    static QString Dir() { return s_dir->path(); }

    // Number and rent text of the first standard lease printed in that language.
    static std::pair<QString, QString> StandardLease(const char *language)
    {
        dbase::Table t(db::TableFile(Dir(), db::kBailStd, "dbf"), dbase::Table::Mode::ReadOnly);
        dbase::Record r;
        for (uint32_t i = 1; t.ReadRecord(i, r); ++i)
            if (r.AsString(QStringLiteral("BAILAHCOOP")).startsWith(QLatin1String("NN"))
                && r.AsString(QStringLiteral("LANGUEIMP")) == QLatin1String(language))
                return {r.AsString(QStringLiteral("NOBAIL")).trimmed(), r.AsString(QStringLiteral("D_LOYER"))};
        return {};
    }

    // Runs bailtool from a working directory of the test's choosing.
    static int ToolIn(const QString &cwd, const QStringList &args, QString *err)
    {
        QProcess p;
        p.setWorkingDirectory(cwd);
        p.start(testsupport::Bailtool(), args);
        if (!p.waitForStarted(10000) || !p.waitForFinished(300000))
            return -1;
        *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -3;
    }

    static QTemporaryDir *s_dir;
};

QTemporaryDir *ToolPages::s_dir = nullptr;

} // namespace

TEST_F(ToolPages, RentReadsOneCurrencySignInEitherLanguage)
{
    for (const char *language : {"F", "A"}) {
        SCOPED_TRACE(language);
        const auto [number, rent] = StandardLease(language);
        ASSERT_FALSE(number.isEmpty());
        ASSERT_FALSE(rent.isEmpty());
        auto out = testsupport::TempDir();
        const QString prefix = out->filePath(QStringLiteral("lease"));
        QString listing, err;
        ASSERT_EQ(Tool({QStringLiteral("render"), Dir(), QStringLiteral("--lease"), number, QStringLiteral("--pages"),
                        QStringLiteral("2-2"), QStringLiteral("--emf"), prefix}, nullptr, &err), 0)
            << err.toStdString();
        ASSERT_EQ(Tool({QStringLiteral("emf"), prefix + QStringLiteral("-2.emf")}, &listing, &err), 0) << err.toStdString();
        // The form prints "$" beside the rent line; the drawn value carries none of its own.
        const QStringList runs = listing.split(QLatin1Char('\n')).filter(rent);
        ASSERT_FALSE(runs.isEmpty()) << "rent " << rent.toStdString() << " not drawn";
        for (const QString &run : runs)
            EXPECT_FALSE(run.contains(QLatin1Char('$'))) << run.toStdString();
    }
}

TEST_F(ToolPages, PdfWithARelativeNameGoesToTheCurrentDirectory)
{
    const QString number = StandardLease("F").first;
    auto work = testsupport::TempDir();
    QString err;
    ASSERT_EQ(ToolIn(work->path(), {QStringLiteral("render"), Dir(), QStringLiteral("--lease"), number, QStringLiteral("--pages"),
                                    QStringLiteral("1-1"), QStringLiteral("--emf"), QStringLiteral("sub/page")}, &err), 0)
        << err.toStdString();
    ASSERT_TRUE(QFileInfo::exists(work->filePath(QStringLiteral("sub/page-1.emf"))));
    const QString name = QStringLiteral("relative-%1.pdf").arg(QCoreApplication::applicationPid());
    ASSERT_EQ(ToolIn(work->path(), {QStringLiteral("pdf"), name, QStringLiteral("sub/page-1.emf")}, &err), 0)
        << err.toStdString();
    EXPECT_TRUE(QFileInfo(work->filePath(name)).size() > 0);
    const QString besideProgram = QFileInfo(testsupport::Bailtool()).dir().filePath(name);
    EXPECT_FALSE(QFileInfo::exists(besideProgram));
    QFile::remove(besideProgram);
}

TEST_F(ToolPages, RenderThatDrawsNoPageFailsAndWritesNothing)
{
    QString out, err;
    const QString standard = StandardLease("F").first;
    auto target = testsupport::TempDir();
    for (const char *kind : {"--png", "--emf"}) {
        // No Annex for a standard lease.
        EXPECT_EQ(Tool({QStringLiteral("render"), Dir(), QStringLiteral("--lease"), standard, QStringLiteral("--pages"),
                        QStringLiteral("5-12"), QLatin1String(kind), target->filePath(QStringLiteral("p"))}, &out, &err), 1);
        EXPECT_TRUE(err.contains(QLatin1String("pages 5-12")) && err.contains(standard)) << err.toStdString();
        EXPECT_TRUE(out.isEmpty());
    }
    EXPECT_TRUE(QDir(target->path()).isEmpty());
}

// Cooperative leases of both kinds render their pages on the cooperative form, the elderly
// kind with its Annex; their PDF is sound and says what form it is.
TEST_F(ToolPages, CooperativeLeasesRenderTheirFormIntoAPdf)
{
    QString out, err;
    ASSERT_EQ(Tool({QStringLiteral("add-lease"), Dir(), QStringLiteral("--kind"), QStringLiteral("NO")}, &out, &err), 0)
        << err.toStdString();
    const QString regular = out.trimmed();
    QString elderly;
    {
        QStringList oo;
        dbase::Table leases(db::TableFile(Dir(), db::kBailStd, "dbf"), dbase::Table::Mode::ReadOnly);
        dbase::Record r;
        for (uint32_t i = 1; leases.ReadRecord(i, r); ++i)
            if (r.AsString(QStringLiteral("BAILAHCOOP")).startsWith(QLatin1String("OO")))
                oo << r.AsString(QStringLiteral("NOBAIL")).trimmed();
        dbase::Table annex(db::TableFile(Dir(), db::kAnnexe, "dbf"), dbase::Table::Mode::ReadOnly);
        for (uint32_t i = 1; elderly.isEmpty() && annex.ReadRecord(i, r); ++i)
            if (oo.contains(r.AsString(QStringLiteral("NOBAIL")).trimmed()))
                elderly = r.AsString(QStringLiteral("NOBAIL")).trimmed();
    }
    ASSERT_FALSE(elderly.isEmpty()) << "no elderly cooperative lease with an Annex in the demo";
    const struct {
        QString lease;
        int pages;
    } cases[] = {{regular, 4}, {elderly, 12}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.lease.toStdString());
        auto dir = testsupport::TempDir();
        QString listing;
        ASSERT_EQ(Tool({QStringLiteral("render"), Dir(), QStringLiteral("--lease"), c.lease, QStringLiteral("--emf"),
                        dir->filePath(QStringLiteral("p"))}, &listing, &err), 0)
            << err.toStdString();
        const QStringList pages = listing.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_EQ(pages.size(), c.pages) << listing.toStdString();
        const QString pdf = dir->filePath(QStringLiteral("lease.pdf"));
        ASSERT_EQ(Tool(QStringList{QStringLiteral("pdf"), pdf} + pages, nullptr, &err), 0) << err.toStdString();
        if (testsupport::HaveProgram(QStringLiteral("qpdf"))) {
            EXPECT_EQ(testsupport::Run(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf}), 0);
        }
        if (testsupport::HaveProgram(QStringLiteral("pdftotext"))) {
            QString text;
            ASSERT_EQ(testsupport::Run(QStringLiteral("pdftotext"),
                                       {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                                        pdf, QStringLiteral("-")},
                                       &text),
                      0);
            EXPECT_TRUE(text.contains(QString::fromUtf8("COOPÉRATIVE")) || text.contains(QLatin1String("COOPERATIVE")))
                << text.toStdString();
        }
    }
}

// An elderly lease with its Annex row renders as twelve pages, and their PDF reads as a
// schedule ending on the total rent.
TEST_F(ToolPages, ElderlyLeaseRendersItsEightAnnexPagesIntoAPdf)
{
    // The Annex row of a standard (not cooperative) elderly lease.
    QStringList elderly;
    {
        dbase::Table leases(db::TableFile(Dir(), db::kBailStd, "dbf"), dbase::Table::Mode::ReadOnly);
        dbase::Record r;
        for (uint32_t i = 1; leases.ReadRecord(i, r); ++i)
            if (r.AsString(QStringLiteral("BAILAHCOOP")).startsWith(QLatin1String("ON")))
                elderly << r.AsString(QStringLiteral("NOBAIL")).trimmed();
    }
    dbase::Table annex(db::TableFile(Dir(), db::kAnnexe, "dbf"), dbase::Table::Mode::ReadOnly);
    dbase::Record row;
    QString number;
    for (uint32_t i = 1; number.isEmpty() && annex.ReadRecord(i, row); ++i)
        if (elderly.contains(row.AsString(QStringLiteral("NOBAIL")).trimmed()))
            number = row.AsString(QStringLiteral("NOBAIL")).trimmed();
    ASSERT_FALSE(number.isEmpty()) << "no elderly standard lease with an Annex in the demo";
    double total = row.AsString(QStringLiteral("MNTBAIL")).trimmed().toDouble();
    for (const char *field : db::AnnexAmountFields())
        total += row.AsString(QLatin1String(field)).trimmed().toDouble();

    auto out = testsupport::TempDir();
    QString listing, err;
    ASSERT_EQ(Tool({QStringLiteral("render"), Dir(), QStringLiteral("--lease"), number, QStringLiteral("--emf"),
                    out->filePath(QStringLiteral("p"))}, &listing, &err), 0)
        << err.toStdString();
    QStringList pages;
    for (int p = 1; p <= 12; ++p)
        pages << out->filePath(QStringLiteral("p-%1.emf").arg(p));
    ASSERT_EQ(listing.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), 12) << listing.toStdString();
    const QString pdf = out->filePath(QStringLiteral("lease.pdf"));
    ASSERT_EQ(Tool(QStringList{QStringLiteral("pdf"), pdf} + pages, nullptr, &err), 0) << err.toStdString();
    if (testsupport::HaveProgram(QStringLiteral("qpdf"))) {
        EXPECT_EQ(testsupport::Run(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf}), 0);
    }
    if (testsupport::HaveProgram(QStringLiteral("pdftotext"))) {
        QString text;
        ASSERT_EQ(testsupport::Run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}, &text), 0);
        EXPECT_TRUE(text.contains(QLatin1String("ANNEXE AU BAIL")) || text.contains(QLatin1String("SCHEDULE TO THE LEASE")));
        EXPECT_TRUE(text.contains(QString::number(total, 'f', 2))) << total;
    }
}
