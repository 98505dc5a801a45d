// The four printed pages of a standard and of a cooperative lease at 150 dpi, in French and in
// English, for the most filled-in lease of each form in a demo folder and for a lease with
// nothing typed in, to be looked at against the form:
//   form_pages [folder]   (default: screens/ beside the program)
// Files: <form|coop>_<filled|empty>_<fr|en>_page<n>.png.

#include "ExampleSupport.h"

#include "dataset/Field.h"
#include "dataset/Table.h"
#include "db/FieldProps.h"
#include "db/Numbering.h"
#include "dbase/Table.h"
#include "forms/FormPrims.h"
#include "forms/PrintCommand.h"
#include "forms/PrintJob.h"
#include "printout/Player.h"
#include "printout/Printer.h"
#include "printout/Printout.h"

#include <QApplication>
#include <QPainter>

#include <cmath>

namespace {

void Open(dataset::TTable &t, const QString &dir, const db::TTableDesc &desc, const char *tag)
{
    t.SetTableName(db::TableFile(dir, desc, "dbf"));
    t.SetIndexName(QLatin1String(tag));
    t.Open();
    db::ApplyFieldProperties(t);
}

int FilledFields(const dataset::TTable &lease)
{
    int filled = 0;
    for (int i = 0; i < lease.FieldCount(); ++i)
        filled += !lease.Fields(i)->AsString().trimmed().isEmpty();
    return filled;
}

} // namespace

int main(int argc, char **argv)
{
    examples::ChoosePlatform();
    QApplication app(argc, argv);
    const QString out = examples::OutputFolder(argc, argv, examples::BesideProgram(QStringLiteral("screens")));
    examples::TDemoData demo;
    if (!demo.Make(60, 6))
        return 1;
    QString empty, emptyCoop;
    try {
        dbase::Table conf(db::TableFile(demo.Path(), db::kBailConf, "dbf"), dbase::Table::Mode::Shared);
        dbase::Table leases(db::TableFile(demo.Path(), db::kBailStd, "dbf"), dbase::Table::Mode::Shared);
        empty = db::AddLease(conf, leases, nullptr, db::TLeaseKind::NN, [](dbase::Record &, dbase::Record *) {});
        emptyCoop = db::AddLease(conf, leases, nullptr, db::TLeaseKind::NO, [](dbase::Record &, dbase::Record *) {});
    } catch (const dbase::EDBEngineError &e) {
        std::fprintf(stderr, "demo folder: %s\n", qPrintable(e.Message()));
        return 1;
    }
    dataset::TTable lease, lessor, annex;
    Open(lease, demo.Path(), db::kBailStd, "NOBAIL");
    Open(lessor, demo.Path(), db::kLocateur, "NOLOCATEUR");
    Open(annex, demo.Path(), db::kAnnexe, "NOBAIL");
    // The most filled-in lease of each form.
    QString filled, filledCoop;
    int most = -1, mostCoop = -1;
    for (lease.First(); !lease.Eof(); lease.Next()) {
        const QString kind = lease.FieldByName(QStringLiteral("BAILAHCOOP"))->AsString();
        const bool coop = forms::IsCooperativeKey(kind);
        if (!coop && forms::IsElderlyKey(kind))
            continue;
        int &best = coop ? mostCoop : most;
        if (FilledFields(lease) > best) {
            best = FilledFields(lease);
            (coop ? filledCoop : filled) = lease.FieldByName(QStringLiteral("NOBAIL"))->AsString();
        }
    }
    forms::CalibrateFormFonts();
    bool ok = true;
    const int dpi = 150;
    const struct {
        const char *form, *which;
        QString nobail;
    } printed[] = {{"form", "filled", filled}, {"form", "empty", empty}, {"coop", "filled", filledCoop},
                  {"coop", "empty", emptyCoop}};
    for (const auto &[form, which, nobail] : printed) {
        for (const char *language : {"F", "A"}) {
            if (!lease.FindKey(nobail.trimmed()))
                return 1;
            lease.Edit();
            lease.FieldByName(QStringLiteral("LANGUEIMP"))->SetAsString(QLatin1String(language));
            lease.Post();
            forms::PositionPrintRows(lease, lessor, annex);
            printout::TPrintout printout(nullptr, printout::TPrinter::Virtual(), QStringLiteral("form pages"));
            const forms::TLeaseRows rows{forms::TRow(&lease), forms::TRow(&lessor), forms::TRow(&annex)};
            const int drawn = forms::PrintLease(1, forms::kLeasePages, rows, printout);
            for (int page = 1; page <= drawn; ++page) {
                const printout::TMetafile &mf = *printout.PageMetafile(page);
                const QRectF frame = mf.FrameExtent();
                QImage image(int(std::ceil(frame.width() / 2540.0 * dpi)), int(std::ceil(frame.height() / 2540.0 * dpi)),
                             QImage::Format_RGB32);
                image.fill(Qt::white);
                {
                    QPainter painter(&image);
                    printout::PlayAtPhysicalSize(painter, mf, dpi, dpi);
                }
                const QString path = QStringLiteral("%1/%2_%3_%4_page%5.png")
                                         .arg(out, QLatin1String(form), QLatin1String(which),
                                              QLatin1String(*language == 'F' ? "fr" : "en"))
                                         .arg(page);
                if (image.save(path))
                    std::printf("wrote %s\n", qPrintable(path));
                else
                    ok = false;
            }
        }
    }
    return ok ? 0 : 1;
}
