#include "app/AppException.h"

#include "app/Startup.h"
#include "dataset/Common.h"
#include "db/Settings.h"
#include "dbase/EngineError.h"
#include "ui/MessageBoxes.h"

#include <new>

namespace app {

namespace {

// Texts for the engine codes that sharing a data folder produces.
struct TEngineText {
    int code;
    const char *french;
    const char *english;
};

const TEngineText kEngineTexts[] = {
    {dbase::kRecordDeleted,
     "Cet enregistrement a déjà été détruit.\rVeuillez accéder a un autre enregistrement\ravant de poursuivre.",
     "This record has already been erased.\rPlease access another record."},
    {dbase::kTableNotFound, "Fichier introuvable :\r", "File not found :\r"},
    {dbase::kLockedByOther,
     "Cet enregistrement est déjà en cours\rd'édition dans une autre application\rou par un autre usager du réseau.",
     "This record is being edited in another\rapplication or by another network user."},
    {dbase::kFileInUse,
     "Un fichier est ouvert en exclusif par cette\rapplication ou par un autre usager du réseau.",
     "A file is being used in exclusive mode in this\rapplication or by another network user."},
    {dbase::kLockedHere, "Cet enregistrement est déjà en cours\rd'édition dans une autre fenêtre.",
     "This record is being edited in another window."},
};

QString Work(const char *french, const char *english)
{
    return db::PickWorkText(QString::fromUtf8(french), QString::fromUtf8(english));
}

TErrorBox OwnMessage(const QString &message)
{
    return {QMessageBox::Critical, QString::fromUtf8(kApplicationTitle), message, false};
}

} // namespace

TErrorBox DescribeException(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const dataset::EAbort &) {
        return {QMessageBox::NoIcon, {}, {}, true};
    } catch (const dbase::EDBEngineError &e) {
        for (const TEngineText &t : kEngineTexts) {
            if (t.code != e.Code())
                continue;
            TErrorBox box{QMessageBox::Critical, Work("Erreur d'accès", "Access error"), Work(t.french, t.english), false};
            // The entry reads "File: <path>": the user needs the path only.
            if (t.code == dbase::kTableNotFound)
                box.text += e.Errors().back().message.mid(6);
            return box;
        }
        return OwnMessage(e.Message());
    } catch (const std::bad_alloc &) {
        return {QMessageBox::Information, Work("Attention", "Warning"),
                Work("Impossible de d'exécuter cette commande, l'application manque de ressources.\r"
                     "Fermez une ou plusieurs fenêtre(s) de l'application avant de poursuivre.",
                     "This command cannot be executed, the application is out of resources.\r"
                     "Pleace close one or more window(s) of this application before continuing."),
                false};
    } catch (const std::exception &e) {
        return OwnMessage(QString::fromUtf8(e.what()));
    } catch (...) {
        return OwnMessage(Work("Erreur inconnue.", "Unknown error."));
    }
}

void ShowException(std::exception_ptr error)
{
    const TErrorBox box = DescribeException(error);
    if (box.silent)
        return;
    try {
        ui::ShowMessageBox(box.icon, box.caption, box.text, QMessageBox::Ok, QMessageBox::Ok);
    } catch (...) {
        // Showing the message failed too (no memory left): nothing more can be done here.
    }
}

void InstallExceptionHandler()
{
    dataset::SetEventExceptionHandler([](std::exception_ptr e) { ShowException(e); });
}

TApplication::TApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    InstallExceptionHandler();
}

TApplication::~TApplication()
{
    dataset::SetEventExceptionHandler({});
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowException(std::current_exception());
        return true;
    }
}

} // namespace app
