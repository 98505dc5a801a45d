// The eight pages of the Annex window, whole, in French and in English, over an elderly
// demo lease:
//   annex_screens [folder]   (default: screens/ beside the program)
// Files: annex_<language>_page<n>.png, annex_<language>_window.png and
// annex_<language>_window_hot.png (the mouse over the return button).

#include "ExampleSupport.h"

#include "entry/Annexe.h"
#include "entry/Bailstd.h"

#include <QApplication>
#include <QEnterEvent>
#include <QScrollArea>
#include <QTabWidget>

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
        const QString stem = QStringLiteral("%1/annex_%2_").arg(out, QLatin1String(language));
        try {
            entry::TBailStdForm lease(nullptr, true);
            lease.setAttribute(Qt::WA_DeleteOnClose, false);
            const bool isNew = lease.PrepareAnnexEdit();
            entry::TAnnexeForm form(&lease, lease.AnnexeTable());
            if (isNew)
                lease.ResetAnnexFields(&form);
            form.show();
            QCoreApplication::processEvents();
            ok = examples::SavePicture(form.grab().toImage(), stem + QStringLiteral("window.png")) && ok;
            // Once more with the mouse over the return button.
            if (auto *retour = form.findChild<QWidget *>(QStringLiteral("Pb_Retour"))) {
                const QPointF inside = QRectF(retour->rect()).center();
                QEnterEvent enter(inside, inside, retour->mapToGlobal(inside));
                QCoreApplication::sendEvent(retour, &enter);
                QCoreApplication::processEvents();
                ok = examples::SavePicture(form.grab().toImage(), stem + QStringLiteral("window_hot.png")) && ok;
                QEvent leave(QEvent::Leave);
                QCoreApplication::sendEvent(retour, &leave);
            } else {
                std::fprintf(stderr, "no return button\n");
                ok = false;
            }
            for (int p = 0; p < entry::TAnnexeForm::kPageCount; ++p) {
                form.Pages()->setCurrentIndex(p);
                QCoreApplication::processEvents();
                ok = examples::SavePicture(form.PageArea(p)->widget()->grab().toImage(), stem + QStringLiteral("page%1.png").arg(p + 1)) && ok;
            }
            form.hide();
            lease.AnnexeTable().Cancel();
            lease.BailStdTable().Cancel();
        } catch (const dbase::EDBEngineError &e) {
            std::fprintf(stderr, "annex window: %s\n", qPrintable(e.Message()));
            return 1;
        }
    }
    std::printf("%s\n", qPrintable(out));
    return ok ? 0 : 1;
}
