// bailtool export of a lease's pages: the .docx and .xlsx read back by independent readers
// (python-docx, openpyxl), converted by LibreOffice, and the workbook's numbers still numbers
// when the program runs under a French locale.

#include "ToolTestUtil.h"

#include "db/Demo.h"
#include "db/Schema.h"
#include "dbase/Table.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

using namespace tooltest;

namespace {

const char kPython[] = "/usr/bin/python3"; // Debian's, with its modules

bool HaveModule(const char *module)
{
    return QFileInfo::exists(QLatin1String(kPython))
           && testsupport::Run(QLatin1String(kPython), {QStringLiteral("-c"), QStringLiteral("import %1").arg(QLatin1String(module))}) == 0;
}

QJsonObject Read(const QString &kind, const QString &path)
{
    QString out, err;
    const int rc = testsupport::Run(QLatin1String(kPython),
                                    {QStringLiteral(BAIL_TESTS_DIR "/tool/export_reader.py"), kind, path}, &out, &err);
    EXPECT_EQ(rc, 0) << err.toStdString();
    return QJsonDocument::fromJson(out.toUtf8()).object();
}

// The PDF text LibreOffice makes of a document, empty when it could not (it exits 0 anyway).
QString OfficeText(const QString &file, const QString &work)
{
    const QString outDir = work + QStringLiteral("/pdf");
    QDir().mkpath(outDir);
    testsupport::Run(QStringLiteral("soffice"),
                     {QStringLiteral("-env:UserInstallation=file://%1/profile").arg(work), QStringLiteral("--headless"),
                      QStringLiteral("--convert-to"), QStringLiteral("pdf"), QStringLiteral("--outdir"), outDir, file});
    const QString pdf = outDir + QLatin1Char('/') + QFileInfo(file).completeBaseName() + QStringLiteral(".pdf");
    QString text;
    if (QFileInfo::exists(pdf))
        testsupport::Run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}, &text);
    return text;
}

class ExportCommand : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = testsupport::TempDir().release();
        db::MakeDemoFolder(s_dir->path(), 3, 1);
        dbase::Table t(db::TableFile(s_dir->path(), db::kBailStd, "dbf"), dbase::Table::Mode::ReadOnly);
        dbase::Record r;
        ASSERT_TRUE(t.ReadRecord(1, r));
        s_lease = r.AsString(QStringLiteral("NOBAIL")).trimmed();
        s_lessee = r.AsString(QStringLiteral("A_NOM1")).trimmed();
        s_rent = r.AsString(QStringLiteral("D_LOYER")).trimmed();
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    // Exports the lease with env added to bailtool's environment; the output file's path.
    static QString Export(const char *flag, const QString &name, const QStringList &env = {})
    {
        const QString out = s_dir->filePath(name);
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        for (const QString &kv : env)
            e.insert(kv.section(QLatin1Char('='), 0, 0), kv.section(QLatin1Char('='), 1));
        p.setProcessEnvironment(e);
        p.setWorkingDirectory(s_dir->path());
        p.start(testsupport::Bailtool(), {QStringLiteral("export"), s_dir->path(), QStringLiteral("--lease"), s_lease,
                                          QLatin1String(flag), out});
        EXPECT_TRUE(p.waitForFinished(120000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        EXPECT_TRUE(QFileInfo::exists(out));
        QString listing;
        EXPECT_GT(QFileInfo(s_dir->filePath(QStringLiteral("emf.txt"))).size(), 1000);
        EXPECT_EQ(testsupport::Run(QStringLiteral("unzip"), {QStringLiteral("-tq"), out}, &listing), flag == QLatin1String("--pdf") ? 9 : 0)
            << listing.toStdString();
        return out;
    }

    static QTemporaryDir *s_dir;
    static QString s_lease, s_lessee, s_rent;
};

QTemporaryDir *ExportCommand::s_dir = nullptr;
QString ExportCommand::s_lease, ExportCommand::s_lessee, ExportCommand::s_rent;

} // namespace

TEST_F(ExportCommand, DocxOfALeaseReadsBackInPythonDocxAndLibreOffice)
{
    if (!testsupport::HaveProgram(QStringLiteral("unzip")))
        GTEST_SKIP() << "unzip is not installed";
    const QString docx = Export("--docx", QStringLiteral("lease.docx"));
    if (!HaveModule("docx"))
        GTEST_SKIP() << "python3-docx is not installed";
    const QJsonObject d = Read(QStringLiteral("docx"), docx);
    EXPECT_EQ(d[QStringLiteral("width")].toDouble(), 612);
    EXPECT_EQ(d[QStringLiteral("height")].toDouble(), 792);
    EXPECT_EQ(d[QStringLiteral("top")].toDouble(), 18);
    EXPECT_EQ(d[QStringLiteral("rule")].toString(), QStringLiteral("EXACTLY (4)"));
    const QJsonArray pages = d[QStringLiteral("pages")].toArray();
    EXPECT_GE(pages.size(), 4);
    for (const QJsonValue &count : pages)
        EXPECT_GT(count.toInt(), 20); // the page's lines and the empty paragraphs between them
    const QString text = d[QStringLiteral("text")].toString();
    EXPECT_TRUE(text.contains(s_lessee)) << s_lessee.toStdString();
    EXPECT_TRUE(text.contains(s_rent)) << s_rent.toStdString();
    // Stops lie inside the text width, and runs carry the page's fonts.
    const QJsonArray tabs = d[QStringLiteral("tabs")].toArray();
    ASSERT_FALSE(tabs.isEmpty());
    for (const QJsonValue &para : tabs)
        for (const QJsonValue &stop : para.toArray()) {
            EXPECT_GT(stop.toArray()[1].toDouble(), 0);
            EXPECT_LT(stop.toArray()[1].toDouble(), 612 - 36);
        }
    bool bold = false, lessee = false;
    int arial = 0, all = 0;
    for (const QJsonValue &v : d[QStringLiteral("runs")].toArray()) {
        const QJsonArray run = v.toArray();
        arial += run[1].toString() == QLatin1String("Arial");
        ++all;
        EXPECT_GT(run[2].toDouble(), 4);
        EXPECT_LT(run[2].toDouble(), 72);
        bold |= run[3].toBool();
        lessee |= run[0].toString().contains(s_lessee);
    }
    EXPECT_GT(arial, all * 3 / 4); // the form's face; its clauses are in Times
    EXPECT_TRUE(bold);
    EXPECT_TRUE(lessee);

    if (!testsupport::HaveProgram(QStringLiteral("soffice")) || !testsupport::HaveProgram(QStringLiteral("pdftotext")))
        GTEST_SKIP() << "LibreOffice or pdftotext is not installed";
    const QString office = OfficeText(docx, s_dir->path());
    EXPECT_TRUE(office.contains(s_lessee)) << office.left(500).toStdString();
    // The form's four pages and the eight of the lease's Annex each on a page of their own:
    // none pushed on by an empty one, nor run over onto the next.
    const QStringList sheets = office.split(QLatin1Char('\f'));
    EXPECT_EQ(office.count(QLatin1Char('\f')), 12); // one after each page
    for (int i = 1; i <= 12; ++i) {
        const QString footer = i <= 4 ? QStringLiteral("Page %1 of 10").arg(i) : QStringLiteral("Page %1 of 8").arg(i - 4);
        EXPECT_TRUE(sheets.value(i - 1).contains(footer)) << footer.toStdString();
    }
    EXPECT_TRUE(office.contains(s_rent));
}

TEST_F(ExportCommand, XlsxNumbersStayNumbersUnderAFrenchLocale)
{
    if (!testsupport::HaveProgram(QStringLiteral("unzip")))
        GTEST_SKIP() << "unzip is not installed";
    // A French locale of our own when the system has none installed.
    QStringList env{QStringLiteral("LC_ALL=fr_CA.UTF-8"), QStringLiteral("LANG=fr_CA.UTF-8")};
    const QString locales = s_dir->filePath(QStringLiteral("locales"));
    QDir().mkpath(locales);
    testsupport::Run(QStringLiteral("localedef"), {QStringLiteral("-i"), QStringLiteral("fr_CA"), QStringLiteral("-f"),
                                                  QStringLiteral("UTF-8"), locales + QStringLiteral("/fr_CA.UTF-8")});
    env << QStringLiteral("LOCPATH=") + locales;
    QProcess probe;
    QProcessEnvironment pe = QProcessEnvironment::systemEnvironment();
    for (const QString &kv : env)
        pe.insert(kv.section(QLatin1Char('='), 0, 0), kv.section(QLatin1Char('='), 1));
    probe.setProcessEnvironment(pe);
    probe.start(QStringLiteral("locale"), {QStringLiteral("decimal_point")});
    probe.waitForFinished();
    if (probe.readAllStandardOutput().trimmed() != ",")
        GTEST_SKIP() << "no French locale could be made (locales, localedef)";

    const QString xlsx = Export("--xlsx", QStringLiteral("lease.xlsx"), env);
    if (!HaveModule("openpyxl"))
        GTEST_SKIP() << "python3-openpyxl is not installed";
    const QJsonObject x = Read(QStringLiteral("xlsx"), xlsx);
    bool lessee = false, halfPoint = false;
    QString number;
    int firstRow = 1000000;
    for (const QJsonValue &v : x[QStringLiteral("cells")].toArray()) {
        const QJsonArray c = v.toArray();
        firstRow = std::min(firstRow, c[0].toString().remove(QRegularExpression(QStringLiteral("[A-Z]"))).toInt());
        if (c[1].toString() == s_lessee) {
            lessee = true;
            EXPECT_EQ(c[3].toString(), QStringLiteral("@"));
        }
        // Sizes such as 9.5 are written with a decimal point whatever the locale.
        halfPoint |= c[5].toDouble() != std::floor(c[5].toDouble());
        if (c[2].toString() == QLatin1String("n") && number.isEmpty() && c[1].toDouble() > 100) {
            number = QString::number(c[1].toDouble());
            EXPECT_EQ(c[3].toString(), QStringLiteral("0"));
        }
    }
    EXPECT_TRUE(lessee);
    EXPECT_TRUE(halfPoint);
    EXPECT_FALSE(number.isEmpty());
    EXPECT_EQ(firstRow, 5);

    if (!testsupport::HaveProgram(QStringLiteral("soffice")) || !testsupport::HaveProgram(QStringLiteral("pdftotext")))
        GTEST_SKIP() << "LibreOffice or pdftotext is not installed";
    const QString office = OfficeText(xlsx, s_dir->path());
    EXPECT_TRUE(office.contains(s_lessee)) << office.left(500).toStdString();
    EXPECT_TRUE(office.contains(number)) << number.toStdString();
}

TEST_F(ExportCommand, PdfAndRefusals)
{
    Export("--pdf", QStringLiteral("lease.pdf"));
    QString err;
    EXPECT_EQ(Tool({QStringLiteral("export"), s_dir->filePath(QStringLiteral("none.krp")), QStringLiteral("--docx"),
                    s_dir->filePath(QStringLiteral("x.docx"))}, nullptr, &err), 1);
    EXPECT_EQ(Tool({QStringLiteral("export"), s_dir->path(), QStringLiteral("--lease"), s_lease,
                    s_dir->filePath(QStringLiteral("x.docx"))}, nullptr, &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("--docx"))) << err.toStdString();
    EXPECT_EQ(Tool({QStringLiteral("export"), s_dir->path(), QStringLiteral("--lease"), s_lease, QStringLiteral("--xlsx"),
                    s_dir->filePath(QStringLiteral("no/such/folder.xlsx"))}, nullptr, &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("cannot be written"))) << err.toStdString();
}
