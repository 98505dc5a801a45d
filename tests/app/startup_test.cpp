// Start-up over real data folders: seeding, marker files, upgrade, index check.

#include "AppTestUtil.h"

#include "app/Help.h"
#include "app/Main.h"
#include "app/Reindex.h"
#include "app/Startup.h"
#include "db/Numbering.h"
#include "db/Restruct.h"
#include "dbase/Database.h"
#include "dbase/Table.h"

#include <QFileInfo>
#include <QPushButton>
#include <QSettings>
#include <gtest/gtest.h>

using namespace apptest;

namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db::InitSettings();
        m_dir = testsupport::TempDir();
        m_cwd = std::make_unique<TCurrentDir>(m_dir->path());
    }
    void TearDown() override
    {
        m_form.reset();
        Settle();
        m_cwd.reset();
        db::InitSettings();
    }
    QString File(const QString &name) const { return m_dir->filePath(name); }
    bool Exists(const QString &name) const { return QFileInfo::exists(File(name)); }
    app::TMainForm &Start()
    {
        m_form = std::make_unique<app::TMainForm>();
        m_form->Start();
        return *m_form;
    }
    QString ConfiguredLanguage() const
    {
        dbase::Table t(db::TableFile(m_dir->path(), db::kBailConf, "dbf"), dbase::Table::Mode::ReadOnly);
        return db::ReadConfigRow(t).AsString(QStringLiteral("LANGUETRAV"));
    }
    void SetConfiguredLanguage(const QString &language)
    {
        dbase::Table t(db::TableFile(m_dir->path(), db::kBailConf, "dbf"), dbase::Table::Mode::Shared);
        db::TConfigEdit edit(t);
        edit.Row().SetString(QStringLiteral("LANGUETRAV"), language);
        edit.Post();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TCurrentDir> m_cwd;
    std::unique_ptr<app::TMainForm> m_form;
};

TEST_F(StartupTest, FirstStartWithOnlyTheEnglishMarkerSeedsEnglishAndReindexes)
{
    Touch(File(QStringLiteral("en.txt")));
    TBoxRecorder boxes;
    app::TMainForm &form = Start();

    EXPECT_EQ(form.DataDir(), QDir(m_dir->path()).canonicalPath() + QLatin1Char('/'));
    EXPECT_EQ(QDir(dbase::Session::Instance().DirectoryOf(QStringLiteral("DBBailData"))).canonicalPath(),
              QDir(m_dir->path()).canonicalPath());
    for (const char *table : {"BailStd.dbf", "BailConf.dbf", "Annexe.dbf", "Locateur.dbf"})
        EXPECT_TRUE(Exists(QLatin1String(table))) << table;
    EXPECT_EQ(db::WorkingLanguage(), QStringLiteral("A"));
    EXPECT_EQ(ConfiguredLanguage(), QStringLiteral("A"));
    EXPECT_FALSE(Exists(QStringLiteral("en.txt")));
    EXPECT_EQ(QFileInfo(app::THelp::Instance().HelpFile()).fileName(), QStringLiteral("baila"));
    EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(form.Item(QStringLiteral("IDM_Bail"))->text(), QStringLiteral("&Lease"));

    // No index yet: the reindex window is up and cannot be left before it has run.
    app::TReindexForm *reindex = form.ReindexForm();
    ASSERT_NE(reindex, nullptr);
    EXPECT_TRUE(reindex->isVisible());
    EXPECT_EQ(reindex->windowTitle(), QStringLiteral("File indexing"));
    EXPECT_FALSE(reindex->CloseButton()->isEnabled());
    EXPECT_FALSE(reindex->close());
    reindex->ReindexButton()->click();
    Settle();
    EXPECT_EQ(form.ReindexForm(), nullptr);
    for (const char *index : {"BailStd.mdx", "Locateur.mdx", "Annexe.mdx"})
        EXPECT_TRUE(Exists(QLatin1String(index))) << index;
}

TEST_F(StartupTest, FrenchMarkerWinsAndOnlyItIsDeleted)
{
    Touch(File(QStringLiteral("fr.txt")));
    Touch(File(QStringLiteral("en.txt")));
    MakeDataFolder(m_dir->path());
    Start();
    EXPECT_EQ(db::WorkingLanguage(), QStringLiteral("F"));
    EXPECT_EQ(ConfiguredLanguage(), QStringLiteral("F"));
    EXPECT_FALSE(Exists(QStringLiteral("fr.txt")));
    EXPECT_TRUE(Exists(QStringLiteral("en.txt")));
    EXPECT_EQ(QFileInfo(app::THelp::Instance().HelpFile()).fileName(), QStringLiteral("Bailf"));
    EXPECT_EQ(m_form->ReindexForm(), nullptr); // every index is there
}

TEST_F(StartupTest, ConfiguredLanguageLeavesTheMarkersAlone)
{
    MakeDataFolder(m_dir->path());
    SetConfiguredLanguage(QStringLiteral("A"));
    Touch(File(QStringLiteral("fr.txt")));
    Touch(File(QStringLiteral("en.txt")));
    Start();
    EXPECT_EQ(db::WorkingLanguage(), QStringLiteral("A"));
    EXPECT_TRUE(Exists(QStringLiteral("fr.txt")));
    EXPECT_TRUE(Exists(QStringLiteral("en.txt")));
}

TEST_F(StartupTest, NoMarkerMeansFrenchAndTheSaveTonerFlagIsRead)
{
    MakeDataFolder(m_dir->path());
    {
        dbase::Table t(db::TableFile(m_dir->path(), db::kBailConf, "dbf"), dbase::Table::Mode::Shared);
        db::TConfigEdit edit(t);
        edit.Row().SetBoolean(edit.Row().Index(QStringLiteral("SAVETONER")), true);
        edit.Post();
    }
    Start();
    EXPECT_EQ(ConfiguredLanguage(), QStringLiteral("F"));
    EXPECT_TRUE(db::SaveToner());
}

TEST_F(StartupTest, ReindexMarkerWithAllIndexesOpensTheWindowAndIsDeleted)
{
    MakeDataFolder(m_dir->path());
    Touch(File(QStringLiteral("Reindex.cmd")));
    app::TMainForm &form = Start();
    app::TReindexForm *reindex = form.ReindexForm();
    ASSERT_NE(reindex, nullptr);
    EXPECT_FALSE(Exists(QStringLiteral("Reindex.cmd")));
    EXPECT_FALSE(reindex->CloseButton()->isEnabled());
    reindex->ReindexButton()->click();
    Settle();
    EXPECT_EQ(form.ReindexForm(), nullptr);
}

TEST_F(StartupTest, SeedsInTheDataFolderAreUsedFirstAndAMissingSeedLeavesNoHalfFolder)
{
    // The folder's own lease seed, recognisable by an extra field.
    dbase::Table::Create(File(QStringLiteral("BailStd.dat")),
                         {{QStringLiteral("NOBAIL"), dbase::FieldType::Character, 8, 0},
                          {QStringLiteral("MARQUE"), dbase::FieldType::Character, 4, 0}});
    EXPECT_TRUE(app::SeedDataFolder(m_dir->path(), {testsupport::SeedDir()}));
    EXPECT_EQ(db::ReadTableHeader(File(QStringLiteral("BailStd.dbf"))).fields.size(), 2u);
    EXPECT_FALSE(app::SeedDataFolder(m_dir->path(), {testsupport::SeedDir()})); // not a first start

    auto other = testsupport::TempDir();
    try {
        app::SeedDataFolder(other->path(), {other->path()}); // no seeds anywhere
        FAIL() << "seeded without seeds";
    } catch (const dbase::EDBEngineError &e) {
        EXPECT_EQ(e.Code(), dbase::kTableNotFound);
        EXPECT_EQ(e.Errors().back().message, QStringLiteral("File: BailStd.dat"));
    }
    db::CopyFile(db::TableFile(testsupport::SeedDir(), db::kBailStd, "dat"), other->filePath(QStringLiteral("BailStd.dat")));
    EXPECT_THROW(app::SeedDataFolder(other->path(), {other->path()}), dbase::EDBEngineError);
    // The lease table made before the failure is gone again: the next start seeds anew.
    EXPECT_FALSE(QFileInfo::exists(other->filePath(QStringLiteral("BailStd.dbf"))));
}

// A lease table as an older release wrote it.
void MakeOldLeaseTable(const QString &path, int nameWidth)
{
    using dbase::FieldType;
    dbase::Table::Create(path, {{QStringLiteral("NOBAIL"), FieldType::Character, 8, 0},
                                {QStringLiteral("A_NOM1"), FieldType::Character, nameWidth, 0},
                                {QStringLiteral("A_NOM2"), FieldType::Character, 30, 0},
                                {QStringLiteral("D_LIEU"), FieldType::Character, 40, 0},
                                {QStringLiteral("E_REMIS"), FieldType::Logical, 1, 0}});
    dbase::Table t(path, dbase::Table::Mode::Exclusive);
    for (int i = 1; i <= 40; ++i) {
        dbase::Record r = t.NewRecord();
        r.SetString(QStringLiteral("NOBAIL"), QString::number(i));
        r.SetString(QStringLiteral("A_NOM1"), QStringLiteral("Gagnon-Lévesque %1").arg(i).leftJustified(nameWidth, QLatin1Char('x')));
        r.SetString(QStringLiteral("D_LIEU"), QStringLiteral("Trois-Rivières"));
        r.SetBoolean(r.Index(QStringLiteral("E_REMIS")), i % 2 == 0);
        t.AppendRecord(r);
    }
    t.AddTag(QStringLiteral("NOBAIL"), QStringLiteral("NOBAIL"));
}

int WidthOf(const QString &path, const char *field)
{
    for (const dbase::FieldDef &f : db::ReadTableHeader(path).fields)
        if (f.name == QLatin1String(field))
            return f.width;
    return -1;
}

TEST_F(StartupTest, OldLeaseTableIsWidenedAfterTheWarningKeepingEveryValue)
{
    MakeDataFolder(m_dir->path());
    const QString lease = db::TableFile(m_dir->path(), db::kBailStd, "dbf");
    QFile::remove(lease);
    QFile::remove(db::TableFile(m_dir->path(), db::kBailStd, "mdx"));
    MakeOldLeaseTable(lease, 30);
    std::vector<QStringList> before;
    {
        dbase::Table t(lease, dbase::Table::Mode::ReadOnly);
        dbase::Record r;
        for (uint32_t i = 1; t.ReadRecord(i, r); ++i)
            before.push_back({r.AsString(1), r.AsString(3), r.AsString(4)});
    }
    TBoxRecorder boxes;
    Start();
    ASSERT_EQ(boxes.Boxes().size(), 2u) << boxes.Texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(boxes.Boxes()[0].icon, QMessageBox::Warning);
    EXPECT_EQ(boxes.Boxes()[0].text, QStringLiteral("Assurez-vous d'être seul à utiliser le Bail de la Ostrevane avant "
                                                     "de mettre à jour les données"));
    EXPECT_EQ(boxes.Boxes()[0].buttons, QMessageBox::Ok);
    EXPECT_EQ(boxes.Boxes()[1].text, QStringLiteral("Mise à jour terminée!"));
    EXPECT_EQ(WidthOf(lease, "A_NOM1"), 50);
    EXPECT_EQ(WidthOf(lease, "A_NOM2"), 50);
    EXPECT_EQ(WidthOf(lease, "D_LIEU"), 80);
    dbase::Table t(lease, dbase::Table::Mode::ReadOnly);
    dbase::Record r;
    for (uint32_t i = 1; i <= before.size(); ++i) {
        ASSERT_TRUE(t.ReadRecord(i, r));
        EXPECT_EQ(QStringList({r.AsString(1), r.AsString(3), r.AsString(4)}), before[i - 1]);
        EXPECT_EQ(r.RawField(1).size(), 50u);
    }
}

TEST_F(StartupTest, OldLeaseTableInUseElsewhereIsAnErrorAndStaysOld)
{
    MakeDataFolder(m_dir->path());
    const QString lease = db::TableFile(m_dir->path(), db::kBailStd, "dbf");
    QFile::remove(lease);
    QFile::remove(db::TableFile(m_dir->path(), db::kBailStd, "mdx"));
    MakeOldLeaseTable(lease, 30);
    TBoxRecorder boxes;
    {
        dbase::Table other(lease, dbase::Table::Mode::Shared); // another user has it open
        Start();
    }
    ASSERT_EQ(boxes.Boxes().size(), 3u) << boxes.Texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(boxes.Boxes()[0].icon, QMessageBox::Warning); // be alone first
    EXPECT_EQ(boxes.Boxes()[1].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes.Boxes()[1].caption, QStringLiteral("Erreur"));
    EXPECT_TRUE(boxes.Boxes()[1].text.contains(QFileInfo(lease).fileName())) << boxes.Boxes()[1].text.toStdString();
    EXPECT_EQ(boxes.Boxes()[2].text, QStringLiteral("Mise à jour terminée!"));
    EXPECT_EQ(WidthOf(lease, "A_NOM1"), 30);
}

TEST_F(StartupTest, FiftyWideLeaseTableIsLeftAloneWithoutAMessage)
{
    MakeDataFolder(m_dir->path());
    const QString lease = db::TableFile(m_dir->path(), db::kBailStd, "dbf");
    QFile::remove(lease);
    QFile::remove(db::TableFile(m_dir->path(), db::kBailStd, "mdx"));
    MakeOldLeaseTable(lease, 50); // A_NOM2 still 30 wide: not looked at
    TBoxRecorder boxes;
    Start();
    EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(WidthOf(lease, "A_NOM2"), 30);
}

TEST_F(StartupTest, OldLessorTableIsWidenedWithoutTheWarning)
{
    MakeDataFolder(m_dir->path());
    const QString lessor = db::TableFile(m_dir->path(), db::kLocateur, "dbf");
    QFile::remove(lessor);
    QFile::remove(db::TableFile(m_dir->path(), db::kLocateur, "mdx"));
    dbase::Table::Create(lessor, {{QStringLiteral("NOLOCATEUR"), dbase::FieldType::Numeric, 4, 0},
                                  {QStringLiteral("NOM"), dbase::FieldType::Character, 30, 0},
                                  {QStringLiteral("NOMREP"), dbase::FieldType::Character, 30, 0}});
    TBoxRecorder boxes;
    Start();
    ASSERT_EQ(boxes.Boxes().size(), 1u) << boxes.Texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(boxes.Boxes()[0].text, QStringLiteral("Mise à jour terminée!"));
    EXPECT_EQ(WidthOf(lessor, "NOM"), 50);
    EXPECT_EQ(WidthOf(lessor, "NOMREP"), 50);
}

} // namespace

namespace {

TEST(DataDirectory, UnreadableCurrentDirectoryFallsBackToTheProgramsFolder)
{
    auto dir = testsupport::TempDir();
    const QString gone = dir->filePath(QStringLiteral("gone"));
    ASSERT_TRUE(QDir().mkpath(gone));
    {
        TCurrentDir cwd(gone);
        EXPECT_EQ(app::DataDirectory(), QDir(gone).canonicalPath() + QLatin1Char('/'));
        ASSERT_TRUE(QDir().rmdir(gone));
        EXPECT_EQ(app::DataDirectory(), app::ExecutableDir() + QLatin1Char('/'));
    }
}

} // namespace

// The archive folder named in the program's settings file becomes the database name VESTRA.
TEST(ArchiveSetting, TheSettingsFileNamesTheArchiveFolder)
{
    auto config = testsupport::TempDir();
    // Qt reads XDG_CONFIG_HOME once per process: an earlier test may already have.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config->path());
    EXPECT_FALSE(app::DefineArchiveDatabase()); // no file, no folder
    QDir(config->path()).mkpath(QStringLiteral("Logiciels Kelvora"));
    QFile file(config->filePath(QStringLiteral("Logiciels Kelvora/leaseform.conf")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Archive]\nFolder=/srv/archive\n");
    file.close();
    EXPECT_TRUE(app::DefineArchiveDatabase());
    EXPECT_EQ(dbase::Session::Instance().DirectoryOf(QStringLiteral("VESTRA")), QStringLiteral("/srv/archive"));
}
