// The reindex window over real data folders, with another process holding a table.

#include "AppTestUtil.h"

#include "app/Reindex.h"
#include "app/Startup.h"
#include "dbase/Table.h"

#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>

#include <thread>
#include <unistd.h>

using namespace apptest;

namespace {

// Another process with a table of the folder open until Release().
class THeldTable {
public:
    explicit THeldTable(const QString &path)
    {
        if (::pipe(m_ready) != 0 || ::pipe(m_release) != 0)
            throw std::runtime_error("pipe");
        m_thread = std::thread([this, path] {
            m_status = testsupport::InChild([&] {
                ::close(m_release[1]); // else the child's own copy keeps its read waiting
                dbase::Table t(path, dbase::Table::Mode::Shared);
                char c = 1;
                if (::write(m_ready[1], &c, 1) != 1)
                    return 3;
                ::read(m_release[0], &c, 1); // returns once the parent closes its end
                return 0;
            });
        });
        char c = 0;
        if (::read(m_ready[0], &c, 1) != 1)
            throw std::runtime_error("the holder did not start");
    }
    ~THeldTable() { Release(); }
    int Release()
    {
        if (m_release[1] >= 0) {
            ::close(m_release[1]);
            m_release[1] = -1;
            m_thread.join();
            for (int fd : {m_ready[0], m_ready[1], m_release[0]})
                ::close(fd);
        }
        return m_status;
    }

private:
    int m_ready[2] = {-1, -1};
    int m_release[2] = {-1, -1};
    std::thread m_thread;
    int m_status = -1;
};

class ReindexTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db::InitSettings();
        m_dir = testsupport::TempDir();
        MakeDataFolder(m_dir->path());
        m_owner = std::make_unique<QMainWindow>();
        m_owner->show();
    }
    void TearDown() override
    {
        m_owner.reset();
        Settle();
        db::InitSettings();
    }
    QString Path(const db::TTableDesc &t, const char *ext) const { return db::TableFile(m_dir->path(), t, ext); }
    app::TReindexForm *Open() { return new app::TReindexForm(m_dir->path() + QLatin1Char('/'), m_owner.get()); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QMainWindow> m_owner;
};

TEST_F(ReindexTest, LostAnnexIndexIsRebuiltAndTheWindowClosesItself)
{
    ASSERT_TRUE(QFile::remove(Path(db::kAnnexe, "mdx")));
    QPointer<app::TReindexForm> form = Open();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), form.data()); // the owner takes no input
    EXPECT_FALSE(form->CloseButton()->isEnabled());
    EXPECT_FALSE(form->close());
    TBoxRecorder boxes;
    form->ReindexButton()->click();
    Settle();
    EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Texts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(QFileInfo::exists(Path(db::kAnnexe, "mdx")));
    dbase::Table annexe(Path(db::kAnnexe, "dbf"), dbase::Table::Mode::ReadOnly);
    EXPECT_GE(annexe.FindTag(QStringLiteral("NOBAIL")), 0);
    EXPECT_TRUE(annexe.Header().productionIndex);
}

TEST_F(ReindexTest, TableHeldByAnotherProcessAsksToRetry)
{
    ASSERT_TRUE(QFile::remove(Path(db::kAnnexe, "mdx")));
    QPointer<app::TReindexForm> form = Open();
    auto holder = std::make_unique<THeldTable>(Path(db::kBailStd, "dbf"));
    TBoxRecorder boxes;
    // Retry while still held, then the other user lets go and retry succeeds.
    boxes.Answer(QMessageBox::Retry);
    boxes.onBox = [&](const TShownBox &) {
        if (boxes.Boxes().size() == 2)
            holder->Release();
    };
    boxes.Answer(QMessageBox::Retry);
    form->ReindexButton()->click();
    Settle();
    ASSERT_EQ(boxes.Boxes().size(), 2u) << boxes.Texts().join(QLatin1Char('|')).toStdString();
    for (const TShownBox &b : boxes.Boxes()) {
        EXPECT_EQ(b.icon, QMessageBox::Question);
        EXPECT_EQ(b.caption, QStringLiteral("Attention"));
        EXPECT_EQ(b.text, QStringLiteral("Un des fichiers est déjà ouvert par une autre\napplication ou un autre usager du réseau."));
        EXPECT_EQ(b.buttons, QMessageBox::Retry | QMessageBox::Cancel);
    }
    EXPECT_EQ(holder->Release(), 0);
    EXPECT_TRUE(form.isNull());
    EXPECT_TRUE(QFileInfo::exists(Path(db::kAnnexe, "mdx")));
}

TEST_F(ReindexTest, CancelWhileHeldKeepsTheWindowUntilTheIndexesExist)
{
    db::SetWorkingLanguage(QStringLiteral("A"));
    ASSERT_TRUE(QFile::remove(Path(db::kLocateur, "mdx")));
    QPointer<app::TReindexForm> form = Open();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("File indexing"));
    EXPECT_EQ(form->ReindexButton()->text(), QStringLiteral("&Reindex"));
    {
        THeldTable holder(Path(db::kAnnexe, "dbf"));
        TBoxRecorder boxes;
        boxes.Answer(QMessageBox::Cancel);
        form->ReindexButton()->click();
        Settle();
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].caption, QStringLiteral("Warning"));
        EXPECT_EQ(boxes.Boxes()[0].text, QStringLiteral("The configuration file is in use by another\napplication or network user."));
    }
    ASSERT_FALSE(form.isNull()); // an index is still missing
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->CloseButton()->isEnabled());
    EXPECT_FALSE(form->close());
    // Not stuck: the rebuild can be asked for again.
    ASSERT_TRUE(form->ReindexButton()->isEnabled());
    form->ReindexButton()->click();
    Settle();
    EXPECT_TRUE(form.isNull());
    EXPECT_TRUE(QFileInfo::exists(Path(db::kLocateur, "mdx")));
}

TEST_F(ReindexTest, DeletedRowsVanishFromTheTables)
{
    {
        dbase::Table t(Path(db::kLocateur, "dbf"), dbase::Table::Mode::Shared);
        for (int i = 1; i <= 6; ++i) {
            dbase::Record r = t.NewRecord();
            r.SetString(QStringLiteral("NOM"), QStringLiteral("Locateur %1").arg(i));
            r.SetInteger(r.Index(QStringLiteral("NOLOCATEUR")), i);
            t.AppendRecord(r);
        }
        for (uint32_t recno : {2u, 5u}) {
            t.LockRecord(recno);
            t.DeleteRecord(recno);
            t.UnlockRecord(recno);
        }
    }
    Touch(m_dir->filePath(QStringLiteral("Reindex.cmd")));
    QPointer<app::TReindexForm> form = Open();
    EXPECT_FALSE(form->CloseButton()->isEnabled()); // the marker asks for a rebuild first
    QFile::remove(m_dir->filePath(QStringLiteral("Reindex.cmd")));
    form->ReindexButton()->click();
    Settle();
    EXPECT_TRUE(form.isNull());
    dbase::Table t(Path(db::kLocateur, "dbf"), dbase::Table::Mode::ReadOnly);
    EXPECT_EQ(t.RecordCount(), 4u);
    dbase::Record r;
    QStringList names;
    for (uint32_t i = 1; t.ReadRecord(i, r); ++i)
        names << r.AsString(QStringLiteral("NOM"));
    EXPECT_EQ(names, QStringList({QStringLiteral("Locateur 1"), QStringLiteral("Locateur 3"), QStringLiteral("Locateur 4"),
                                  QStringLiteral("Locateur 6")}));
}

TEST_F(ReindexTest, FailedTableIsReportedAndTheOthersAreStillDone)
{
    // A lease table without the fields of its tags: its tags cannot be added.
    QFile::remove(Path(db::kBailStd, "dbf"));
    QFile::remove(Path(db::kBailStd, "mdx"));
    dbase::Table::Create(m_dir->filePath(QStringLiteral("BailStd.dbf")),
                         {{QStringLiteral("AUTRE"), dbase::FieldType::Character, 8, 0}});
    QFile::remove(Path(db::kAnnexe, "mdx"));
    QPointer<app::TReindexForm> form = Open();
    TBoxRecorder boxes;
    form->ReindexButton()->click();
    Settle();
    ASSERT_EQ(boxes.Boxes().size(), 1u) << boxes.Texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(boxes.Boxes()[0].caption, QStringLiteral("Erreur"));
    EXPECT_EQ(boxes.Boxes()[0].text, QStringLiteral("Une erreur est survenue en réindexant les fichiers."));
    EXPECT_TRUE(QFileInfo::exists(Path(db::kAnnexe, "mdx")));
    ASSERT_FALSE(form.isNull()); // the lease index could not be made
    EXPECT_FALSE(form->close());
}

} // namespace
