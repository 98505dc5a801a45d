// Pictures of the lessor window, the lessor picker, the configuration dialog, the rent
// amount dialog and the lease search, in French and in English, on a demo data folder; the
// picker and the rent amount dialog a second time with the mouse over one of their buttons:
//   entry_screens [output folder]   (default: screens/ in the current folder)

#include "ExampleSupport.h"

#include "app/Config.h"
#include "app/Findbail.h"
#include "entry/Inputmnt.h"
#include "entry/Locateur.h"
#include "entry/Pickloc.h"

#include <QApplication>
#include <QEnterEvent>

namespace {

// The window as shown; with hover, once more with the mouse over that button (path-hot.png).
bool Save(QWidget &w, const QString &path, QWidget *hover = nullptr)
{
    w.show();
    QApplication::processEvents();
    bool ok = w.grab().save(path + QStringLiteral(".png"));
    std::printf("%s %s.png\n", ok ? "wrote" : "FAILED", qPrintable(path));
    if (hover) {
        const QPointF inside = QRectF(hover->rect()).center();
        QEnterEvent enter(inside, inside, hover->mapToGlobal(inside));
        QCoreApplication::sendEvent(hover, &enter);
        QApplication::processEvents();
        const bool hot = w.grab().save(path + QStringLiteral("-hot.png"));
        std::printf("%s %s-hot.png\n", hot ? "wrote" : "FAILED", qPrintable(path));
        ok = ok && hot;
    }
    w.hide();
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    examples::ChoosePlatform();
    QApplication app(argc, argv);
    const QString out = examples::OutputFolder(argc, argv, QStringLiteral("screens"));
    examples::TDemoData demo;
    if (!demo.Make(40, 8))
        return 1;
    demo.DefineDatabase();
    try {
        bool ok = true;
        for (const char *language : {"F", "A"}) {
            examples::UseLanguage(language);
            const QString suffix = QLatin1String(language[0] == 'F' ? "fr" : "en");
            {
                entry::TLocateurForm lessors;
                ok &= Save(lessors, out + QStringLiteral("/lessor-") + suffix);
            }
            {
                entry::TPickLocDlg picker(nullptr, entry::TPickLocDlg::TOwnerKind::Lease, 3);
                ok &= Save(picker, out + QStringLiteral("/lessor-picker-") + suffix, picker.SelectButton());
            }
            {
                app::TConfigForm config;
                ok &= Save(config, out + QStringLiteral("/configuration-") + suffix);
            }
            {
                entry::TInputMntDlg amount;
                amount.SetAmount(725.5);
                ok &= Save(amount, out + QStringLiteral("/rent-amount-") + suffix, amount.CancelButton());
            }
            {
                app::TFindBailDlg search;
                ok &= Save(search, out + QStringLiteral("/lease-search-") + suffix);
            }
        }
        return ok ? 0 : 1;
    } catch (const dbase::EDBEngineError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
        return 1;
    }
}
