#include "forms/PrintCommand.h"

#include "dataset/Field.h"
#include "dataset/Table.h"
#include "db/Settings.h"
#include "forms/FormPrims.h"
#include "forms/PrintJob.h"
#include "preview/Preview.h"
#include "printout/Printer.h"
#include "printout/Printout.h"
#include "ui/MessageBoxes.h"
#include "ui/WaitCursor.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>

#include <memory>
#include <optional>

namespace forms {

namespace {

std::function<int(QPrintDialog &)> &DialogHook()
{
    static std::function<int(QPrintDialog &)> hook;
    return hook;
}

QPointer<preview::TFPrintPreview> &CurrentPreview()
{
    static QPointer<preview::TFPrintPreview> preview;
    return preview;
}

// The copies the print dialog was last left with; previews carry it too. 0 leaves the
// printer's own setting.
int g_dialogCopies = 0;

// The pages asked for; false when the user cancelled.
bool AskPages(QWidget *owner, int highest, int &first, int &last)
{
    first = 1;
    last = kAllPages;
    QPrinter *device = printout::ApplicationPrinter().Device();
    if (!device)
        return true; // no printer: the printout says so when it is printed
    QPrintDialog dialog(device, owner);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setMinMax(1, highest);
    dialog.setFromTo(1, highest);
    if (!RunLeasePrintDialog(dialog))
        return false;
    if (dialog.printRange() == QAbstractPrintDialog::PageRange && dialog.fromPage() > 0) {
        first = std::clamp(dialog.fromPage(), 1, kAllPages);
        last = std::clamp(dialog.toPage(), first, kAllPages);
    }
    return true;
}

} // namespace

TLeaseRows PositionPrintRows(const dataset::TTable &lease, dataset::TTable &lessor, dataset::TTable &annexPrint)
{
    const dataset::TField *number = lease.FindField(QStringLiteral("NOLOCATEUR"));
    const long long lessorNumber = number ? number->AsInteger() : 0;
    const bool lessorFound = lessor.Active() && lessorNumber != 0 && lessor.FindKey(lessorNumber);

    const dataset::TField *nobail = lease.FindField(QStringLiteral("NOBAIL"));
    const QString key = nobail ? nobail->AsString().trimmed() : QString();
    const bool annexFound = annexPrint.Active() && !key.isEmpty() && annexPrint.FindKey(key);

    return TLeaseRows{TRow(&lease), lessorFound ? TRow(&lessor) : TRow(), annexFound ? TRow(&annexPrint) : TRow()};
}

void PrintCurrentLease(QWidget *owner, TPrintButton button, dataset::TTable &lease, dataset::TTable &lessor,
                       dataset::TTable &annexPrint, bool windowAnnexPresent, bool repositionAfterDialog)
{
    std::optional<ui::TWaitCursor> wait(std::in_place);
    TLeaseRows rows = PositionPrintRows(lease, lessor, annexPrint);

    int first = 1, last = kAllPages;
    if (button == TPrintButton::SBPrint) {
        const dataset::TField *kind = lease.FindField(QStringLiteral("BAILAHCOOP"));
        const bool elderly = kind && IsElderlyKey(kind->AsString());
        const int highest = elderly && windowAnnexPresent ? kAllPages : kLeasePages;
        wait.reset(); // the dialog is answered with the normal cursor
        if (!AskPages(owner, highest, first, last))
            return;
        wait.emplace();
    }

    auto printout = std::make_unique<printout::TPrintout>(
        owner, false, db::PickWorkText(QStringLiteral("Bail de la Ostrevane"), QStringLiteral("Lease of the Ostrevane")));
    printout->SetPageColor(0x00FFFFFF);
    printout->SetCopies(g_dialogCopies);
    CalibrateFormFonts();
    if (repositionAfterDialog)
        rows = PositionPrintRows(lease, lessor, annexPrint);
    try {
        PrintLease(first, last, rows, *printout);
    } catch (const ENoPainter &e) {
        wait.reset();
        ui::ErrorBox(e.Message(), owner);
        return; // no empty preview, nothing sent to the printer
    }

    if (button == TPrintButton::SBPreview) {
        ShowLeasePreview(owner, std::move(printout));
        return;
    }
    try {
        printout->Print();
    } catch (const printout::EPrintError &e) {
        wait.reset();
        ui::ErrorBox(e.Message(), owner);
    }
}

bool RunLeasePrintDialog(QPrintDialog &dialog)
{
    printout::TPrinter &app = printout::ApplicationPrinter();
    QPrinter *device = dialog.printer();
    if (g_dialogCopies > 0)
        device->setCopyCount(g_dialogCopies);
    const int result = DialogHook() ? DialogHook()(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return false;
    g_dialogCopies = device->copyCount();
    // What else the dialog set (paper, tray, duplex, collation) goes with the job: the
    // printout copies the application printer.
    app.TakeJobSettings(*device);
    const printout::TPaper paper = printout::PrinterPaper(*device);
    if (paper.sizeCode != 0)
        app.SetPaper(paper);
    // Another queue chosen in the dialog becomes the application's printer.
    const QString chosen = device->printerName();
    if (!chosen.isEmpty() && chosen.compare(app.Name(), Qt::CaseInsensitive) != 0) {
        if (auto other = printout::TPrinter::Named(chosen)) {
            other->CopyJobSettings(app);
            other->SetPaper(app.Paper());
            printout::SetApplicationPrinter(std::move(other));
        }
    }
    return true;
}

int LeasePrintCopies()
{
    return g_dialogCopies;
}

int PrintWholeLease(const dataset::TTable &lease, dataset::TTable &lessor, dataset::TTable &annexPrint,
                    printout::TPrintout &printout)
{
    return PrintLease(1, kAllPages, PositionPrintRows(lease, lessor, annexPrint), printout);
}

void ShowLeasePreview(QWidget *owner, std::unique_ptr<printout::TPrintout> printout)
{
    QMdiArea *area = nullptr;
    for (QWidget *w = owner; w && !area; w = w->parentWidget()) {
        if (auto *sub = qobject_cast<QMdiSubWindow *>(w))
            area = sub->mdiArea();
        else if (auto *frame = qobject_cast<QMainWindow *>(w))
            area = qobject_cast<QMdiArea *>(frame->centralWidget()); // a dialog of the main window
    }
    preview::TFPrintPreview *preview = nullptr;
    if (area) {
        preview = preview::TFPrintPreview::ShowInMdi(area, std::move(printout));
    } else {
        // Outside the main window (a window of its own), the preview is a window too.
        preview = new preview::TFPrintPreview(nullptr, std::move(printout));
        preview->setAttribute(Qt::WA_DeleteOnClose);
        preview->resize(900, 1000);
        preview->show();
    }
    CurrentPreview() = preview;
}

preview::TFPrintPreview *CurrentLeasePreview()
{
    return CurrentPreview().data();
}

void SetLeasePrintDialogHook(std::function<int(QPrintDialog &)> hook)
{
    DialogHook() = std::move(hook);
}

} // namespace forms
