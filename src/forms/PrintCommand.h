#pragma once
// The single-lease print command of the lease windows: positions the lessor and Annex print
// cursors on the lease, asks for the pages (print) or takes them all (preview), records the
// lease's pages into a printout and prints it or hands it to a preview window.

#include "forms/PrintJob.h"

#include <QDate>

#include <functional>
#include <memory>

class QPrintDialog;
class QWidget;

namespace dataset {
class TTable;
}
namespace printout {
class TPrintout;
}
namespace preview {
class TFPrintPreview;
}

namespace forms {

// The toolbar button that asked for the command (the current-lease menu command is SBPrint).
enum class TPrintButton { SBPrint, SBPreview };

// Puts the lessor cursor (ordered on NOLOCATEUR) on the lease's lessor and the Annex print
// cursor (ordered on NOBAIL) on the lease's Annex row, and returns the rows the painters read:
// the lease's current row, and the lessor and Annex rows only where they were found.
TLeaseRows PositionPrintRows(const dataset::TTable &lease, dataset::TTable &lessor, dataset::TTable &annexPrint);

// The whole command for the current row of lease. windowAnnexPresent: the window's own Annex
// cursor stands on the lease's Annex row (the dialog then offers 12 pages to an elderly
// kind). repositionAfterDialog: the lessor and Annex print cursors are positioned again once
// the dialog is closed. Engine errors propagate; printer failures are shown in a box. The
// wait cursor is restored on every way out.
void PrintCurrentLease(QWidget *owner, TPrintButton button, dataset::TTable &lease, dataset::TTable &lessor,
                       dataset::TTable &annexPrint, bool windowAnnexPresent, bool repositionAfterDialog = false);

// Draws every page of the lease that is current in lease (4, or 12 for an elderly kind with
// its Annex row) after putting the lessor and Annex cursors on its rows; returns the pages drawn.
int PrintWholeLease(const dataset::TTable &lease, dataset::TTable &lessor, dataset::TTable &annexPrint,
                    printout::TPrintout &printout);

// Shows a print dialog prepared by the caller on the application printer's device (through
// the hook in tests) with the copies it was last left with; once accepted, its copies, job
// settings, paper and queue become the application's. False when the user cancelled.
bool RunLeasePrintDialog(QPrintDialog &dialog);
// The copies the print dialog was last left with (0: the printer's own), for previews too.
int LeasePrintCopies();

// Hands the printout to a new preview window, in the main window's work area when owner is
// in it, and makes that window the current preview.
void ShowLeasePreview(QWidget *owner, std::unique_ptr<printout::TPrintout> printout);

// The preview window the last preview command showed (null once it is closed).
preview::TFPrintPreview *CurrentLeasePreview();

// Tests answer the print dialog through the hook: it gets the prepared dialog and returns
// its result instead of showing it. An empty hook shows the dialog.
void SetLeasePrintDialogHook(std::function<int(QPrintDialog &)> hook);

} // namespace forms
