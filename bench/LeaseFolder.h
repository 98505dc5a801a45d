#pragma once
// A demo folder of filled leases of every kind with its three tables open, made once per
// benchmark run, and printouts of its leases painted by the form's page painters.

#include "BenchApp.h"

#include "dataset/Field.h"
#include "dataset/Table.h"
#include "db/Demo.h"
#include "db/FieldProps.h"
#include "db/Schema.h"
#include "forms/FormPrims.h"
#include "forms/PrintCommand.h"
#include "forms/PrintJob.h"
#include "printout/Printer.h"
#include "printout/Printout.h"

#include <QTemporaryDir>

#include <memory>

namespace bench {

struct TLeaseFolder {
    QTemporaryDir dir;
    dataset::TTable lease, lessor, annex;

    TLeaseFolder()
    {
        EnsureApplication();
        db::MakeDemoFolder(dir.path(), 240, 10);
        Open(lease, db::kBailStd, "BAILAHCOOP");
        Open(lessor, db::kLocateur, "NOLOCATEUR");
        Open(annex, db::kAnnexe, "NOBAIL");
        forms::CalibrateFormFonts();
    }
    void Open(dataset::TTable &t, const db::TTableDesc &desc, const char *tag)
    {
        t.SetTableName(db::TableFile(dir.path(), desc, "dbf"));
        t.SetIndexName(QLatin1String(tag));
        t.Open();
        db::ApplyFieldProperties(t);
    }
    forms::TLeaseRows Rows()
    {
        forms::PositionPrintRows(lease, lessor, annex);
        return {forms::TRow(&lease), forms::TRow(&lessor), forms::TRow(&annex)};
    }
    // Paints the first leases of the standard kinds (four pages each) into printout.
    int PrintStandardLeases(int leases, printout::TPrintout &printout)
    {
        int pages = 0, done = 0;
        for (lease.First(); !lease.Eof() && done < leases; lease.Next()) {
            if (forms::IsCooperativeKey(lease.FieldByName(QStringLiteral("BAILAHCOOP"))->AsString()))
                continue;
            pages += forms::PrintLease(1, forms::kLeasePages, Rows(), printout);
            ++done;
        }
        return pages;
    }
};

inline TLeaseFolder &LeaseFolder()
{
    static TLeaseFolder *folder = new TLeaseFolder; // kept to the end of the process
    return *folder;
}

} // namespace bench
