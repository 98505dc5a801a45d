// Saves pictures of the preview's mail panel (one message, and recipients per page) and of
// the Internet parameters dialog, in French and in English.
// Usage: mail_screens [OUTPUT_DIR]   (default: the current folder)

#include "ExampleSupport.h"

#include "preview/InternetSettingsForm.h"
#include "preview/MailPanel.h"
#include "preview/Preview.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>

using namespace printout;
using preview::TFPrintPreview;

namespace {

std::unique_ptr<TPrintout> MakePrintout(bool french, bool perPage)
{
    auto p = std::make_unique<TPrintout>(nullptr, TPrinter::Virtual(),
                                         french ? QStringLiteral("Bail / Logement 12") : QStringLiteral("Lease / Dwelling 12"));
    p->SetPageColor(0xFFFFFF);
    for (int page = 1; page <= 3; ++page) {
        p->NewPage(1);
        TPageCanvas &c = *p->Canvas();
        c.SetFontName(QStringLiteral("Arial"));
        c.SetFontHeight(45);
        c.SetTextAlign(emf::TA_BASELINE);
        c.TextOut(200, -300, french ? QStringLiteral("BAIL DE LOGEMENT, page %1").arg(page) : QStringLiteral("LEASE OF A DWELLING, page %1").arg(page));
        c.SetBrushStyle(TBrushStyle::Clear);
        c.Rectangle(115, -150, 2045, -2650);
        p->EndPage();
    }
    if (perPage) {
        p->SetMailRecipients(1, 2, {}, QStringLiteral("gerance@exemple.qc.ca"), QStringLiteral("olivier.roy@exemple.qc.ca"));
        p->SetMailRecipients(3, 3, {}, {}, QStringLiteral("lea.gagnon@exemple.qc.ca\nmarc.gagnon@exemple.qc.ca"));
        p->SetHasMailRecipients(true);
    }
    return p;
}

} // namespace

int main(int argc, char **argv)
{
    examples::ChoosePlatform();
    // The pictures show no one's own settings, accounts or passwords.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QApplication app(argc, argv);
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    const QString dir = examples::OutputFolder(argc, argv, QDir::currentPath());
    bool ok = true;
    for (const bool french : {true, false}) {
        examples::UseLanguage(french ? "F" : "A");
        const QString lang = french ? QStringLiteral("fr") : QStringLiteral("en");
        for (const bool multiple : {false, true}) {
            TFPrintPreview w(nullptr, MakePrintout(french, multiple));
            w.resize(1100, 820);
            w.show();
            preview::TMailPanel *panel = w.MailPanel();
            panel->SetAccounts({{QStringLiteral("bureau@gestion-roy.qc.ca"), QStringLiteral("Hélène Roy"), QString(),
                                 QStringLiteral("Gestion Roy"), QString()}});
            w.OpenMailPanel(multiple);
            if (!multiple) {
                panel->ToBox()->setPlainText(QStringLiteral("olivier.roy@exemple.qc.ca\nmaude.roy@exemple.qc.ca"));
                panel->BccBox()->setPlainText(QStringLiteral("archives@gestion-roy.qc.ca"));
                panel->OtherFiles()->addItem(QStringLiteral("/home/bureau/Règlements de l'immeuble.pdf"));
                panel->TextBox()->setPlainText(french ? QStringLiteral("Bonjour,\nVoici votre bail à signer.")
                                                      : QStringLiteral("Hello,\nHere is your lease to sign."));
            }
            ok &= examples::SaveShown(w, dir + QStringLiteral("/mail-%1-%2.png").arg(lang, multiple ? QStringLiteral("multiple") : QStringLiteral("single")));
        }
        preview::TInternetSettingsForm form(nullptr, french, QStringLiteral("smtp.gestion-roy.qc.ca"), QStringLiteral("hroy"));
        form.SmtpPassword()->setText(QStringLiteral("secret"));
        form.show();
        ok &= examples::SaveShown(form, dir + QStringLiteral("/internet-settings-%1.png").arg(lang));
    }
    return ok ? 0 : 1;
}
