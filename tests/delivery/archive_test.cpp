// The archive: pages stored as documents in the archive tables, read back by Perl XBase, and
// an archive that cannot be opened leaving a log line and nothing else.

#include "delivery/Archive.h"
#include "delivery/KelStream.h"
#include "dbase/Database.h"
#include "printout/Printout.h"

#include "TestSupport.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace delivery;
using printout::TPrintout;

namespace {

std::unique_ptr<TPrintout> Pages(int count)
{
    auto p = std::make_unique<TPrintout>(nullptr, printout::TPrinter::Virtual(), QStringLiteral("Archive"));
    for (int i = 1; i <= count; ++i) {
        p->NewPage(1);
        p->Canvas()->TextOut(100, -100 * i, QStringLiteral("Page %1").arg(i));
        p->EndPage();
    }
    return p;
}

// A log in a state folder of the test's own.
class TLogFolder {
public:
    TLogFolder()
        : m_dir(testsupport::TempDir())
    {
        qputenv("XDG_STATE_HOME", m_dir->path().toLocal8Bit());
    }
    ~TLogFolder() { qunsetenv("XDG_STATE_HOME"); }
    QString Text() const
    {
        QFile f(DiagnosticLogPath());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

TEST(Archive, AnArchiveThatCannotBeOpenedIsLoggedAndNothingElse)
{
    TLogFolder log;
    auto p = Pages(2);
    // No archive folder in the settings: the database name is not defined.
    EXPECT_EQ(ArchivePages(*p, 1, 2, true, QStringLiteral("Bail 12")), 0);
    const QString unset = log.Text();
    EXPECT_TRUE(unset.contains(QStringLiteral(" KelArch.dbf : "))) << unset.toStdString();
    EXPECT_TRUE(unset.contains(QStringLiteral("KelDocLk.dbf : "))) << unset.toStdString();
    // A folder without the tables.
    auto empty = testsupport::TempDir();
    dbase::Session::Instance().DefineDatabase(QLatin1String(kArchiveDatabase), QStringLiteral("DBASE"),
                                              {QStringLiteral("PATH=") + empty->path()});
    EXPECT_EQ(ArchivePages(*p, 1, 2, false, QString()), 0);
    EXPECT_GT(log.Text().count(QStringLiteral(" KelArch.dbf : ")), unset.count(QStringLiteral(" KelArch.dbf : ")));
    EXPECT_TRUE(QDir(empty->path()).entryList(QDir::Files).isEmpty()); // the program never makes them
}

TEST(Archive, PagesArchivedTwiceAreTwoDocumentsThatLoadBack)
{
    if (!testsupport::HaveProgram(QStringLiteral("perl")))
        GTEST_SKIP() << "perl is not installed";
    TLogFolder log;
    auto dir = testsupport::TempDir();
    ASSERT_EQ(testsupport::Run(testsupport::Bailtool(), {QStringLiteral("make-archive"), dir->path()}), 0);
    dbase::Session::Instance().DefineDatabase(QLatin1String(kArchiveDatabase), QStringLiteral("DBASE"),
                                              {QStringLiteral("PATH=") + dir->path()});
    auto p = Pages(3);
    p->SetArchiveLink(1, 3, QStringLiteral(" 1 2BAIL      LEASE-000012         EXT1                EXT2"));
    EXPECT_TRUE(HasArchiveLinks(*p));
    EXPECT_EQ(ArchivePages(*p, 1, 3, true, QStringLiteral("Bail 12 de Gagnon")), 1);
    EXPECT_EQ(ArchivePages(*p, 2, 3, false, QString(61, QLatin1Char('x'))), 1);
    EXPECT_TRUE(log.Text().isEmpty());

    // What another program reads: numbers, dates, descriptions and the documents' bytes.
    const QString script = QStringLiteral(R"(
use XBase; my ($dir) = @ARGV;
my $t = XBase->new("$dir/KelArch.dbf") or die XBase->errstr;
for my $i (0 .. $t->last_record) {
  my ($del, $no, $date, $desc, $doc) = $t->get_record($i, 'NODOCUM', 'DATE', 'DESC', 'DOCUMENT');
  open(my $f, '>:raw', "$dir/doc$no.bin") or die; print $f $doc; close $f;
  print "$no|$date|$desc\n";
}
my $l = XBase->new("$dir/KelDocLk.dbf") or die XBase->errstr;
for my $i (0 .. $l->last_record) {
  my @r = $l->get_record($i, 'NOCIE', 'NODIV', 'FICHIER', 'CODE', 'CODEEXT', 'CODEEXT2', 'NODOCUM');
  shift @r; print "link|", join('|', @r), "\n";
}
)");
    QString out, err;
    ASSERT_EQ(testsupport::Run(QStringLiteral("perl"), {QStringLiteral("-e"), script, dir->path()}, &out, &err), 0)
        << err.toStdString();
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    ASSERT_EQ(lines.size(), 3) << out.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("1|%1|Bail 12 de Gagnon").arg(today));
    EXPECT_EQ(lines[1], QStringLiteral("2|%1|%2").arg(today, QString(60, QLatin1Char('x'))));
    QStringList link = lines[2].split(QLatin1Char('|'));
    for (QString &field : link)
        field = field.trimmed(); // how a reader pads character fields is its own business
    EXPECT_EQ(link, (QStringList{QStringLiteral("link"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("BAIL"),
                                 QStringLiteral("LEASE-000012"), QStringLiteral("EXT1"), QStringLiteral("EXT2"),
                                 QStringLiteral("1")}));
    for (const auto &[number, pages] : {std::pair{1, 3}, std::pair{2, 2}}) {
        QFile f(dir->filePath(QStringLiteral("doc%1.bin").arg(number)));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        TKelMemoryStream s;
        s.SetFromCompressed(f.readAll());
        std::unique_ptr<TPrintout> back;
        s.LoadFromStream(nullptr, back);
        EXPECT_EQ(back->PageCount(), pages);
        EXPECT_TRUE(back->PageMetafile(pages)->SameRecords(*p->PageMetafile(3)));
    }
}

} // namespace
