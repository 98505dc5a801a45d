#pragma once
// bailtool's render command: the form pages of one lease of a data folder, drawn by the same
// print job the lease window runs, written one file per page.

#include <QStringList>

#include <memory>

namespace dataset {
class TTable;
}
namespace printout {
class TPrintout;
}

namespace tool {

// The three tables a lease is drawn from, opened read-only from the data folder dir with the
// system's display properties, after the folder's configuration row has set the save-toner
// look and the working language, as they are in the program.
struct TLeaseTables {
    explicit TLeaseTables(const QString &dir);
    ~TLeaseTables();
    std::unique_ptr<dataset::TTable> lease;   // on NOBAIL
    std::unique_ptr<dataset::TTable> lessor;  // on NOLOCATEUR
    std::unique_ptr<dataset::TTable> annex;   // on NOBAIL
};

// Draws pages first..last of lease nobail of the data folder dir into printout, with the
// folder's save-toner look and working language; returns the number of pages drawn (at least
// one: drawing nothing throws).
int DrawLease(const QString &dir, const QString &nobail, int first, int last, printout::TPrintout &printout);

// render DIR --lease NOBAIL [--pages FIRST-LAST] (--emf PREFIX | --png PREFIX [--dpi N]):
// writes PREFIX-<page>.emf or .png for every page drawn and prints their names. The folder's
// configuration row gives the save-toner look and the working language, as in the program.
int Render(const QStringList &args);

} // namespace tool
