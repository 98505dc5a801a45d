// Saves pictures of the application's windows, in French and in English, into the
// "screens" folder beside this program (or the folder given as argument): main window, its
// toolbar with a lease window open and a button under the mouse, reindex window, help viewer,
// About box, printer set-up, and Qt's question box and save dialog.

#include "ExampleSupport.h"

#include "app/About.h"
#include "app/AppException.h"
#include "app/Help.h"
#include "app/Main.h"
#include "app/Reindex.h"
#include "app/Splash.h"
#include "printout/PrinterSetup.h"
#include "ui/KelSpeedButton.h"
#include "ui/MessageBoxes.h"

#include <QAction>
#include <QEnterEvent>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include <memory>

namespace {

QString g_out;

void Save(QWidget &w, const QString &name)
{
    w.show();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    const QString path = g_out + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!w.grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

} // namespace

int main(int argc, char **argv)
{
    examples::ChoosePlatform();
    app::TApplication application(argc, argv);
    g_out = examples::OutputFolder(argc, argv, examples::BesideProgram(QStringLiteral("screens")));
    examples::TDemoData demo;
    if (!demo.Make(40, 6))
        return 1;
    QDir::setCurrent(demo.Path());

    app::TSplashScreen splash;
    Save(splash, QStringLiteral("splash"));

    for (const char *language : {"F", "A"}) {
        const QString suffix = QLatin1String(language[0] == 'F' ? "_fr" : "_en");
        app::TMainForm form;
        form.Start();
        examples::UseLanguage(language);
        // The main window also puts Qt's own texts into the language.
        form.SetLanguage();
        form.resize(996, 617);
        form.SetStatusText(1, QStringLiteral("40"));
        Save(form, QStringLiteral("main") + suffix);
        // With a child window holding the toolbar.
        form.Item(QStringLiteral("IDM_Proprietaire"))->trigger();
        Save(form, QStringLiteral("main_lessor") + suffix);
        form.Item(QStringLiteral("IDM_Toutfermer"))->trigger();
        // A lease window holds the toolbar; the preview button is under the mouse.
        form.Item(QStringLiteral("IDM_BailLogementlStd"))->trigger();
        ui::TKelSpeedButton *preview = form.Button(QStringLiteral("SBPreview"));
        QEnterEvent enter(QPointF(20, 20), QPointF(20, 20), preview->mapToGlobal(QPointF(20, 20)));
        QApplication::sendEvent(preview, &enter);
        Save(form, QStringLiteral("main_lease_hot") + suffix);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(preview, &leave);
        form.Item(QStringLiteral("IDM_Toutfermer"))->trigger();

        auto *reindex = new app::TReindexForm(form.DataDir(), &form);
        Save(*reindex, QStringLiteral("reindex") + suffix);
        reindex->deleteLater();

        app::THelp::Instance().Command(app::kHelpContext, 8);
        app::THelpViewer *viewer = app::THelp::Instance().Viewer();
        viewer->resize(860, 560);
        Save(*viewer, QStringLiteral("help") + suffix);
        app::THelp::Instance().Command(app::kHelpKey, 0, QLatin1String(language[0] == 'F' ? "fen" : "win"));
        Save(*viewer, QStringLiteral("help_index") + suffix);
        app::THelp::Instance().Command(app::kHelpQuit);

        app::TAboutBox about(form.DataDir(), &form);
        Save(about, QStringLiteral("about") + suffix);

        printout::TPrinterSetupDialog setup(&form);
        Save(setup, QStringLiteral("printer_setup") + suffix);

        // Qt's own dialogs, in the working language too.
        const std::unique_ptr<QMessageBox> question = ui::BuildMessageBox(
            QMessageBox::Question, QStringLiteral("Attention"),
            db::PickWorkText(QStringLiteral("Désirez-vous conserver les modifications ?"),
                             QStringLiteral("Do you want to keep the changes ?")),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No, &form);
        Save(*question, QStringLiteral("question") + suffix);
        QFileDialog save(&form, QString(), form.DataDir(), QStringLiteral("PDF (*.pdf)"));
        save.setOption(QFileDialog::DontUseNativeDialog);
        save.setAcceptMode(QFileDialog::AcceptSave);
        save.resize(760, 460);
        Save(save, QStringLiteral("save_dialog") + suffix);
    }
    QDir::setCurrent(QDir::rootPath());
    return 0;
}
