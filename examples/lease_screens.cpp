// The four pages of the standard and the cooperative lease windows, whole (not only what
// the window shows), in French and in English, for the regular and the elderly kind, on a
// demo lease:
//   lease_screens [folder]   (default: screens/ beside the program)
// Files: lease_<kind>_<language>_page<n>.png, lease_<kind>_<language>_window.png for
// the window as it opens, and lease_<kind>_<language>_window_hot.png with the lessor
// selection button under the mouse.

#include "ExampleSupport.h"

#include "entry/BailCoop.h"
#include "entry/Bailstd.h"
#include "ui/KelSpeedButton.h"

#include <QApplication>
#include <QEnterEvent>
#include <QScrollArea>
#include <QTabWidget>

#include <memory>

int main(int argc, char **argv)
{
    examples::ChoosePlatform();
    QApplication app(argc, argv);
    const QString out = examples::OutputFolder(argc, argv, examples::BesideProgram(QStringLiteral("screens")));
    examples::TDemoData demo;
    if (!demo.Make(40, 5))
        return 1;
    demo.DefineDatabase();

    bool ok = true;
    for (const char *language : {"F", "A"}) {
        examples::UseLanguage(language);
        for (const char *kind : {"NN", "ON", "NO", "OO"}) {
            const bool elderly = kind[0] == 'O';
            const bool coop = kind[1] == 'O';
            const QString stem = QStringLiteral("%1/lease_%2_%3_").arg(out, QLatin1String(kind), QLatin1String(language));
            try {
                std::unique_ptr<entry::TBailStdForm> window(coop ? new entry::TBailCoopForm(nullptr, elderly)
                                                                 : new entry::TBailStdForm(nullptr, elderly));
                window->setAttribute(Qt::WA_DeleteOnClose, false);
                entry::TBailStdForm &form = *window;
                form.resize(1000, 760);
                form.show();
                QCoreApplication::processEvents();
                ok = examples::SavePicture(form.grab().toImage(), stem + QStringLiteral("window.png")) && ok;
                for (int p = 0; p < entry::TBailStdForm::kPageCount; ++p) {
                    form.Pages()->setCurrentIndex(p);
                    QCoreApplication::processEvents();
                    QWidget *sheet = form.PageArea(p)->findChild<QWidget *>(QStringLiteral("Pg_Sheet%1").arg(p + 1));
                    ok = examples::SavePicture(sheet->grab().toImage(), stem + QStringLiteral("page%1.png").arg(p + 1)) && ok;
                }
                form.Pages()->setCurrentIndex(0);
                auto *lessor = form.findChild<ui::TKelSpeedButton *>(QLatin1String(coop ? "Pb_SelLocateur" : "SpB_SelLocateur"));
                QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), lessor->mapToGlobal(QPointF(4, 4)));
                QApplication::sendEvent(lessor, &enter);
                QCoreApplication::processEvents();
                ok = examples::SavePicture(form.grab().toImage(), stem + QStringLiteral("window_hot.png")) && ok;
            } catch (const dbase::EDBEngineError &e) {
                std::fprintf(stderr, "lease window: %s\n", qPrintable(e.Message()));
                return 1;
            }
        }
    }
    std::printf("%s\n", qPrintable(out));
    return ok ? 0 : 1;
}
