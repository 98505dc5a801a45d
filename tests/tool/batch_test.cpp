// bailtool batch on a demo folder: the pages, their order and their texts read back from the PDF,
// the leases skipped, and a job that prints nothing failing.

#include "ToolTestUtil.h"

#include "db/Demo.h"
#include "db/Schema.h"
#include "dbase/Table.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

using namespace tooltest;

namespace {

struct TLease {
    QString kind;
    long long lessor = 0;
};

class ToolBatch : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = testsupport::TempDir().release();
        db::MakeDemoFolder(s_dir->path(), 24, 3);
        // Each tenant named after the lease, so that each lease's first page can be recognised.
        dbase::Table t(db::TableFile(Dir(), db::kBailStd, "dbf"), dbase::Table::Mode::Shared);
        dbase::Record r = t.NewRecord();
        for (uint32_t i = 1; t.ReadRecord(i, r); ++i) {
            const QString n = r.AsString(QStringLiteral("NOBAIL")).trimmed();
            s_leases[n] = {r.AsString(QStringLiteral("BAILAHCOOP")).left(2), r.AsInteger(r.Index(QStringLiteral("NOLOCATEUR"))).value_or(0)};
            t.LockRecord(i, &r);
            r.SetString(QStringLiteral("A_NOM1"), QStringLiteral("Tenant-%1").arg(n));
            t.WriteRecord(i, r);
            t.UnlockRecord(i);
        }
        dbase::Table annex(db::TableFile(Dir(), db::kAnnexe, "dbf"), dbase::Table::Mode::ReadOnly);
        dbase::Record a = annex.NewRecord();
        for (uint32_t i = 1; annex.ReadRecord(i, a); ++i)
            s_annex << a.AsString(QStringLiteral("NOBAIL")).trimmed();
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    static QString Dir() { return s_dir->path(); }
    static int Pages(const QString &n)
    {
        return s_leases[n].kind.startsWith(QLatin1Char('O')) && s_annex.contains(n) ? 12 : 4;
    }
    static QString FirstOf(const QString &kind, bool annex)
    {
        for (const auto &[n, l] : s_leases)
            if (l.kind == kind && s_annex.contains(n) == annex)
                return n;
        return QString();
    }
    // The tenant named on each page that names one, "" for the others.
    static QStringList PageTenants(const QString &pdf, int pages)
    {
        QStringList out;
        for (int page = 1; page <= pages; ++page) {
            QString text;
            EXPECT_EQ(testsupport::Run(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                                                     QString::number(page), pdf, QStringLiteral("-")},
                                       &text),
                      0);
            const auto m = QRegularExpression(QStringLiteral("Tenant-(\\d+)")).match(text);
            out << (m.hasMatch() ? m.captured(1) : QString());
        }
        return out;
    }
    static int PdfPageCount(const QString &pdf)
    {
        QString info;
        if (testsupport::Run(QStringLiteral("pdfinfo"), {pdf}, &info) != 0)
            return -1;
        const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    }

    static QTemporaryDir *s_dir;
    static std::map<QString, TLease> s_leases;
    static QStringList s_annex;
};

QTemporaryDir *ToolBatch::s_dir = nullptr;
std::map<QString, TLease> ToolBatch::s_leases;
QStringList ToolBatch::s_annex;

} // namespace

TEST_F(ToolBatch, LeasesPrintInTheOrderGivenTwiceWhenListedTwiceMissingOnesNamed)
{
    if (!testsupport::HaveProgram(QStringLiteral("pdftotext")) || !testsupport::HaveProgram(QStringLiteral("qpdf")))
        GTEST_SKIP() << "pdftotext and qpdf are not installed";
    const QString oo = FirstOf(QStringLiteral("OO"), true), nn = FirstOf(QStringLiteral("NN"), false),
                  no = FirstOf(QStringLiteral("NO"), false), on = FirstOf(QStringLiteral("ON"), true);
    ASSERT_FALSE(oo.isEmpty() || nn.isEmpty() || no.isEmpty() || on.isEmpty());
    const QStringList asked{oo, nn, QStringLiteral("9999"), no, on, nn};
    const QString pdf = Dir() + QStringLiteral("/out/batch.pdf");
    QString out, err;
    ASSERT_EQ(Tool({QStringLiteral("batch"), Dir(), QStringLiteral("--leases"), asked.join(QLatin1Char(',')),
                    QStringLiteral("--pdf"), pdf},
                   &out, &err),
              0)
        << err.toStdString();
    EXPECT_EQ(out.trimmed(), QFileInfo(pdf).absoluteFilePath());
    EXPECT_TRUE(err.contains(QLatin1String("lease 9999: no such lease, skipped"))) << err.toStdString();
    ASSERT_EQ(testsupport::Run(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf}), 0);

    QStringList expected;
    for (const QString &n : asked) {
        if (!s_leases.count(n))
            continue;
        expected << n;
        for (int i = 1; i < Pages(n); ++i)
            expected << QString();
    }
    EXPECT_EQ(expected.size(), 12 + 4 + 4 + 12 + 4);
    ASSERT_EQ(PdfPageCount(pdf), expected.size());
    EXPECT_EQ(PageTenants(pdf, int(expected.size())), expected);
}

TEST_F(ToolBatch, LessorTakesItsLeasesAndFiltersAList)
{
    long long lessor = s_leases.begin()->second.lessor;
    int pages = 0;
    QString other;
    for (const auto &[n, l] : s_leases) {
        if (l.lessor == lessor)
            pages += Pages(n);
        else if (other.isEmpty())
            other = n;
    }
    const QString prefix = Dir() + QStringLiteral("/emf/lessor");
    QString out, err;
    ASSERT_EQ(Tool({QStringLiteral("batch"), Dir(), QStringLiteral("--lessor"), QString::number(lessor), QStringLiteral("--emf"),
                    prefix},
                   &out, &err),
              0)
        << err.toStdString();
    EXPECT_EQ(out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), pages);
    EXPECT_TRUE(QFile::exists(QStringLiteral("%1-%2.emf").arg(prefix).arg(pages)));
    EXPECT_FALSE(QFile::exists(QStringLiteral("%1-%2.emf").arg(prefix).arg(pages + 1)));

    // Beside a list, another lessor's lease is skipped and said; alone, nothing is written.
    const QString pdf = Dir() + QStringLiteral("/other.pdf");
    EXPECT_EQ(Tool({QStringLiteral("batch"), Dir(), QStringLiteral("--lessor"), QString::number(lessor), QStringLiteral("--leases"),
                    other, QStringLiteral("--pdf"), pdf},
                   &out, &err),
              1);
    EXPECT_TRUE(err.contains(QStringLiteral("lease %1: belongs to another lessor").arg(other))) << err.toStdString();
    EXPECT_TRUE(err.contains(QLatin1String("nothing written"))) << err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(ToolBatch, BadCommandLinesAreRefused)
{
    const QString pdf = Dir() + QStringLiteral("/bad.pdf");
    const QStringList cases[] = {
        {QStringLiteral("--all")},                                                      // no output
        {QStringLiteral("--all"), QStringLiteral("--leases"), QStringLiteral("1"), QStringLiteral("--pdf"), pdf}, // two choices
        {QStringLiteral("--pdf"), pdf},                                                 // no choice
        {QStringLiteral("--lessor"), QStringLiteral("x"), QStringLiteral("--pdf"), pdf}, // not a number
        {QStringLiteral("--lessor"), QStringLiteral("9999"), QStringLiteral("--pdf"), pdf}, // no such lessor
        {QStringLiteral("--leases"), QStringLiteral(","), QStringLiteral("--pdf"), pdf},
    };
    for (const QStringList &c : cases) {
        QString out, err;
        EXPECT_EQ(Tool(QStringList{QStringLiteral("batch"), Dir()} + c, &out, &err), 1) << c.join(' ').toStdString();
        EXPECT_FALSE(err.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(pdf));
    QString help;
    ASSERT_EQ(Tool({QStringLiteral("--help")}, &help), 0);
    EXPECT_TRUE(help.contains(QLatin1String("a number listed twice prints twice")));
}
