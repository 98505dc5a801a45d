// The batch print dialog in French and in English, on a demo folder, with a few leases ticked
// (one of them under the one-lessor choice):
//   batch_screens [folder]   (default: screens/ beside the program)
// Files: batch_<language>_all.png, batch_<language>_lessor.png.

#include "ExampleSupport.h"

#include "forms/Printbat.h"
#include "ui/Kelgrid.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QRadioButton>

namespace {

bool Save(QWidget &w, const QString &path)
{
    QCoreApplication::processEvents();
    return examples::SavePicture(w.grab().toImage(), path);
}

// Ticks the grid's rows as the Space key does: row by row, the key on each.
void Tick(forms::TPrintBatch &dialog, std::initializer_list<int> rows)
{
    ui::TKelDBGrid *grid = dialog.Grid();
    for (int row : rows) {
        grid->selectRow(row);
        QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QCoreApplication::sendEvent(grid, &space);
    }
}

} // namespace

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
        const QString stem = QStringLiteral("%1/batch_%2_").arg(out, QLatin1String(language));
        try {
            forms::TPrintBatch dialog;
            dialog.show();
            Tick(dialog, {0, 2, 3, 6});
            ok = Save(dialog, stem + QStringLiteral("all.png")) && ok;
            dialog.findChild<QRadioButton *>(QStringLiteral("Particulier"))->click();
            dialog.findChild<QComboBox *>(QStringLiteral("CBLocateur"))->setCurrentIndex(1);
            Tick(dialog, {1});
            ok = Save(dialog, stem + QStringLiteral("lessor.png")) && ok;
        } catch (const dbase::EDBEngineError &e) {
            std::fprintf(stderr, "batch dialog: %s\n", qPrintable(e.Message()));
            return 1;
        }
    }
    std::printf("%s\n", qPrintable(out));
    return ok ? 0 : 1;
}
