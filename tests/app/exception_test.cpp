// The application exception handler: the texts users meet when sharing a data folder.

#include "AppTestUtil.h"

#include "app/AppException.h"
#include "dataset/Common.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

using namespace apptest;

namespace {

std::exception_ptr Engine(int code, const QString &message = QStringLiteral("Record locked."))
{
    return std::make_exception_ptr(dbase::EDBEngineError(dbase::kInvalidOperation, QStringLiteral("Table error.")).Add(code, message));
}

struct TCase {
    int code;
    const char *french;
    const char *english;
};

class ExceptionTest : public ::testing::Test {
protected:
    void TearDown() override { db::InitSettings(); }
};

TEST_F(ExceptionTest, EngineCodesUsersMeetAreExplainedInBothLanguages)
{
    const TCase cases[] = {
        {8708, "Cet enregistrement a déjà été détruit.\rVeuillez accéder a un autre enregistrement\ravant de poursuivre.",
         "This record has already been erased.\rPlease access another record."},
        {10241, "Cet enregistrement est déjà en cours\rd'édition dans une autre application\rou par un autre usager du réseau.",
         "This record is being edited in another\rapplication or by another network user."},
        {10243, "Un fichier est ouvert en exclusif par cette\rapplication ou par un autre usager du réseau.",
         "A file is being used in exclusive mode in this\rapplication or by another network user."},
        {10247, "Cet enregistrement est déjà en cours\rd'édition dans une autre fenêtre.",
         "This record is being edited in another window."},
    };
    for (const char *language : {"F", "A"}) {
        db::SetWorkingLanguage(QLatin1String(language));
        const bool french = language[0] == 'F';
        for (const TCase &c : cases) {
            const app::TErrorBox box = app::DescribeException(Engine(c.code));
            EXPECT_EQ(box.icon, QMessageBox::Critical);
            EXPECT_EQ(box.caption, french ? QStringLiteral("Erreur d'accès") : QStringLiteral("Access error"));
            EXPECT_EQ(box.text, QString::fromUtf8(french ? c.french : c.english)) << c.code;
        }
        // The last entry decides: a lock refusal wrapped in a generic one.
        const app::TErrorBox wrapped = app::DescribeException(std::make_exception_ptr(
            dbase::EDBEngineError(dbase::kCorruptFile, QStringLiteral("x")).Add(dbase::kLockedHere, QStringLiteral("y"))));
        EXPECT_EQ(wrapped.text, QString::fromUtf8(french ? cases[3].french : cases[3].english));
        // A missing file names the file, not the engine's label.
        const app::TErrorBox missing =
            app::DescribeException(Engine(dbase::kTableNotFound, QStringLiteral("File: /data/Annexe.dbf")));
        EXPECT_EQ(missing.text, french ? QStringLiteral("Fichier introuvable :\r/data/Annexe.dbf")
                                       : QStringLiteral("File not found :\r/data/Annexe.dbf"));
    }
    // Any other language reads as English.
    db::SetWorkingLanguage(QStringLiteral("x"));
    EXPECT_EQ(app::DescribeException(Engine(10247)).caption, QStringLiteral("Access error"));
}

TEST_F(ExceptionTest, OutOfResourcesAndOtherErrorsKeepTheirOwnMessages)
{
    db::SetWorkingLanguage(QStringLiteral("F"));
    app::TErrorBox box = app::DescribeException(std::make_exception_ptr(std::bad_alloc()));
    EXPECT_EQ(box.icon, QMessageBox::Information);
    EXPECT_EQ(box.caption, QStringLiteral("Attention"));
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("Impossible de d'exécuter cette commande")));
    db::SetWorkingLanguage(QStringLiteral("A"));
    box = app::DescribeException(std::make_exception_ptr(std::bad_alloc()));
    EXPECT_EQ(box.caption, QStringLiteral("Warning"));
    EXPECT_EQ(box.text, QStringLiteral("This command cannot be executed, the application is out of resources.\r"
                                       "Pleace close one or more window(s) of this application before continuing."));

    box = app::DescribeException(Engine(dbase::kCorruptFile, QStringLiteral("BailStd.mdx: bad tag header.")));
    EXPECT_EQ(box.text, QStringLiteral("Table error.\nBailStd.mdx: bad tag header."));
    box = app::DescribeException(std::make_exception_ptr(std::runtime_error("disque plein")));
    EXPECT_EQ(box.text, QStringLiteral("disque plein"));
    EXPECT_FALSE(box.silent);
    EXPECT_TRUE(app::DescribeException(std::make_exception_ptr(dataset::EAbort())).silent);
}

// Throws from its event handler, as a window's handler does when the engine refuses.
class TThrower : public QObject {
public:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw dbase::EDBEngineError(dbase::kLockedByOther, QStringLiteral("locked"));
        return QObject::event(e);
    }
};

TEST_F(ExceptionTest, ExceptionsLeavingEventHandlersAreShownAndTheLoopGoesOn)
{
    db::SetWorkingLanguage(QStringLiteral("A"));
    TBoxRecorder boxes;
    TThrower thrower;
    QApplication::postEvent(&thrower, new QEvent(QEvent::User));
    bool ranAfter = false;
    QTimer::singleShot(0, [&] { ranAfter = true; });
    Settle();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, QStringLiteral("Access error"));
    EXPECT_EQ(boxes.Boxes()[0].text, QStringLiteral("This record is being edited in another\napplication or by another network user."));
    EXPECT_TRUE(ranAfter);

    // The dataset layer's handlers report through the same place.
    dataset::HandleEventException(Engine(dbase::kLockedHere));
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].text, QStringLiteral("This record is being edited in another window."));
}

} // namespace
