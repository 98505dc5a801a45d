// Pictures of the lessor window, the lessor picker, the configuration dialog, the rent
// amount dialog and the lease search, in French and in English, on a demo data folder; the
// picker and the rent amount dialog a second time with the mouse over one of their buttons:
//   entry_screens [output folder]   (default: screens/ in the current folder)

#include "app/Config.h"
#include "app/Findbail.h"
#include "db/Demo.h"
#include "db/Schema.h"
#include "db/Settings.h"
#include "dbase/Database.h"
#include "dbase/EngineError.h"
#include "entry/Inputmnt.h"
#include "entry/Locateur.h"
#include "entry/Pickloc.h"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QTemporaryDir>

#include <cstdio>

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
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screens");
    QDir().mkpath(out);

    QTemporaryDir dir;
    try {
        db::MakeDemoFolder(dir.path(), 40, 8);
        dbase::Session::Instance().DefineDatabase(QLatin1String(db::kDatabaseName), QStringLiteral("DBASE"),
                                                  {QStringLiteral("PATH=") + dir.path()});
        bool ok = true;
        for (const char *language : {"F", "A"}) {
            db::SetWorkingLanguage(QLatin1String(language));
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
