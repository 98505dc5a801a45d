#include "../entry/EntryTestUtil.h"
#include "app/Config.h"
#include "dataset/DBCheckBox.h"
#include "dataset/DBEdit.h"
#include "dataset/Field.h"
#include "dataset/Table.h"
#include "db/Numbering.h"
#include "db/Settings.h"

#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using app::TConfigForm;
using entrytest::TBoxAnswers;
using entrytest::TDataFolder;

namespace {

dataset::TField *F(TConfigForm &f, const char *name)
{
    return f.BailConfTable().FieldByName(QLatin1String(name));
}

// Sets fields of the configuration row from outside the dialog.
void Configure(bool automatic, long long counter)
{
    dataset::TTable t;
    t.SetDatabaseName(QLatin1String(db::kDatabaseName));
    t.SetTableName(QStringLiteral("BailConf.dbf"));
    t.Open();
    t.Edit();
    t.FieldByName(QStringLiteral("GENAUTO"))->SetAsBoolean(automatic);
    t.FieldByName(QStringLiteral("NOBAIL"))->SetAsInteger(counter);
    t.Post();
}

// Shows the dialog and replaces the counter's text by typing.
void TypeCounter(TConfigForm &f, const QString &text)
{
    f.show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    f.NoBailEdit()->setFocus();
    QTest::keyClick(f.NoBailEdit(), Qt::Key_End);
    for (int i = 0; i < 12; ++i)
        QTest::keyClick(f.NoBailEdit(), Qt::Key_Backspace);
    QTest::keyClicks(f.NoBailEdit(), text);
}

// Size of the configuration file: grows or changes only when something is written.
QByteArray ConfBytes(const TDataFolder &folder)
{
    QFile file(folder.File(db::kBailConf));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

} // namespace

TEST(ConfigDialog, NegativeCounterIsZeroWithoutAutomaticNumberingAndRefusedWithIt)
{
    TDataFolder folder(0, 1);
    Configure(true, 12);
    {
        // Typed with automatic numbering on, which is then turned off.
        TConfigForm f;
        ASSERT_TRUE(f.Opened());
        TypeCounter(f, QStringLiteral("-5"));
        QTest::mouseClick(f.GenAutoBox(), Qt::LeftButton);
        EXPECT_FALSE(f.NoBailEdit()->isEnabled());
        TBoxAnswers boxes;
        f.Pb_OkClick();
        EXPECT_TRUE(boxes.Texts().empty());
        EXPECT_EQ(f.result(), QDialog::Accepted);
        EXPECT_EQ(F(f, "NOBAIL")->AsInteger(), 0);
    }
    Configure(true, 12);
    {
        TConfigForm f;
        f.show();
        ASSERT_TRUE(f.NoBailEdit()->isEnabled());
        TypeCounter(f, QStringLiteral("-5"));
        TBoxAnswers boxes;
        f.Pb_OkClick();
        ASSERT_EQ(boxes.Texts().size(), 1u);
        EXPECT_EQ(boxes.Texts()[0], QStringLiteral("Le numéro de bail doit avoir une valeur positive."));
        EXPECT_EQ(boxes.Captions()[0], QLatin1String("Erreur"));
        EXPECT_TRUE(f.isVisible());
        EXPECT_TRUE(f.NoBailEdit()->hasFocus());
        EXPECT_EQ(f.NoBailEdit()->selectedText(), QLatin1String("-5"));
        f.Pb_AnnulerClick();
    }
}

TEST(ConfigDialog, TypedCounterNumbersTheNextLeaseAndEmptyMeansZero)
{
    TDataFolder folder(0, 1);
    Configure(true, 12);
    {
        TConfigForm f;
        f.show();
        TypeCounter(f, QStringLiteral("1000"));
        f.Pb_OkClick();
    }
    dbase::Table conf(folder.File(db::kBailConf), dbase::Table::Mode::Shared);
    dbase::Table leases(folder.File(db::kBailStd), dbase::Table::Mode::Shared);
    EXPECT_EQ(db::AssignLeaseNumber(conf, leases), QLatin1String("1001"));
    {
        TConfigForm f;
        f.show();
        TypeCounter(f, QString());
        f.Pb_OkClick();
        EXPECT_EQ(F(f, "NOBAIL")->AsInteger(), 0);
    }
    EXPECT_EQ(db::AssignLeaseNumber(conf, leases), QLatin1String("1"));
}

TEST(ConfigDialog, CounterTakesEightDigitsAtMost)
{
    TDataFolder folder;
    Configure(true, 0);
    TConfigForm f;
    f.show();
    TypeCounter(f, QStringLiteral("123456789"));
    EXPECT_EQ(f.NoBailEdit()->text(), QLatin1String("12345678"));
    f.Pb_AnnulerClick();
}

TEST(ConfigDialog, OkWithoutChangeWritesNothing)
{
    TDataFolder folder(0, 1);
    Configure(false, 7);
    const QByteArray before = ConfBytes(folder);
    TConfigForm f;
    f.show();
    TBoxAnswers boxes;
    f.Pb_OkClick();
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(ConfBytes(folder), before);
}

TEST(ConfigDialog, EscapeCancelsTheEditWithoutAsking)
{
    TDataFolder folder(0, 1);
    Configure(false, 7);
    const QByteArray before = ConfBytes(folder);
    TConfigForm f;
    f.show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    f.GenAutoBox()->setFocus();
    QTest::mouseClick(f.GenAutoBox(), Qt::LeftButton);
    ASSERT_EQ(f.BailConfTable().State(), dataset::TDataSetState::Edit);
    TBoxAnswers boxes;
    QTest::keyClick(f.GenAutoBox(), Qt::Key_Escape);
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.result(), QDialog::Rejected);
    EXPECT_EQ(ConfBytes(folder), before);
}

TEST(ConfigDialog, EmptyConfigurationAsksToKeepTheNewRow)
{
    TDataFolder folder;
    {
        dataset::TTable t;
        t.SetDatabaseName(QLatin1String(db::kDatabaseName));
        t.SetTableName(QStringLiteral("BailConf.dbf"));
        t.Open();
        while (!t.IsEmpty())
            t.Delete();
    }
    TConfigForm f;
    ASSERT_TRUE(f.Opened());
    ASSERT_TRUE(f.BailConfTable().IsEmpty());
    f.show();
    QTest::mouseClick(f.GenAutoBox(), Qt::LeftButton);
    EXPECT_EQ(f.BailConfTable().State(), dataset::TDataSetState::Insert);
    TBoxAnswers yes;
    f.Pb_OkClick();
    ASSERT_EQ(yes.Texts().size(), 1u);
    EXPECT_EQ(yes.Texts()[0], QStringLiteral("Désirez-vous conserver les modifications ?"));
    dataset::TTable t;
    t.SetDatabaseName(QLatin1String(db::kDatabaseName));
    t.SetTableName(QStringLiteral("BailConf.dbf"));
    t.Open();
    EXPECT_FALSE(t.IsEmpty());
    EXPECT_TRUE(t.FieldByName(QStringLiteral("GENAUTO"))->AsBoolean());
}

TEST(ConfigDialog, ClosingAppliesTheLanguageAndTheSaveTonerFlag)
{
    TDataFolder folder;
    Configure(false, 0);
    {
        TConfigForm f;
        f.show();
        f.BailConfTable().Edit();
        F(f, "LANGUETRAV")->SetAsString(QStringLiteral("A"));
        F(f, "SAVETONER")->SetAsBoolean(true);
        f.Pb_OkClick();
    }
    EXPECT_EQ(db::WorkingLanguage(), QLatin1String("A"));
    EXPECT_TRUE(db::SaveToner());
    {
        TConfigForm f; // now in English
        EXPECT_EQ(f.OkButton()->text(), QLatin1String("&Ok"));
        EXPECT_EQ(f.findChild<QWidget *>(QStringLiteral("Gb_NumeroBail"))->property("title").toString(),
                  QLatin1String("&Lease number"));
        f.BailConfTable().Edit();
        F(f, "LANGUETRAV")->SetAsString(QStringLiteral("F"));
        F(f, "SAVETONER")->SetAsBoolean(false);
        f.Pb_OkClick();
    }
    EXPECT_EQ(db::WorkingLanguage(), QLatin1String("F"));
    EXPECT_FALSE(db::SaveToner());
}

TEST(ConfigDialog, RowHeldByAnotherProcessAsksToRetry)
{
    TDataFolder folder;
    Configure(false, 0);
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Only the parent keeps the ends it writes: if it dies, the child reads EOF and ends.
        close(ready[0]);
        close(release[1]);
        dbase::Table conf(folder.File(db::kBailConf), dbase::Table::Mode::Shared);
        db::TConfigEdit edit(conf);
        char c = 1;
        (void)!write(ready[1], &c, 1);
        (void)!read(release[0], &c, 1);
        _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    {
        TBoxAnswers no({QMessageBox::No});
        TConfigForm f;
        EXPECT_FALSE(f.Opened());
        ASSERT_EQ(no.Texts().size(), 1u);
        EXPECT_TRUE(no.Texts()[0].startsWith(QStringLiteral("Le fichier de configuration déjà ouvert")));
        EXPECT_EQ(no.Captions()[0], QLatin1String("Attention"));
    }
    {
        // Yes retries; once the other process lets go the dialog opens.
        int asked = 0;
        ui::SetMessageBoxHook([&](QMessageBox &) {
            if (++asked == 2) {
                char r = 1;
                (void)!write(release[1], &r, 1);
                waitpid(child, nullptr, 0);
            }
            return QMessageBox::Yes;
        });
        TConfigForm f;
        ui::SetMessageBoxHook({});
        EXPECT_TRUE(f.Opened());
        EXPECT_EQ(asked, 2);
    }
}
