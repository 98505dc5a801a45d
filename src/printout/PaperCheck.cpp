#include "printout/PaperCheck.h"

#include "dataset/Common.h"
#include "printout/Printer.h"
#include "ui/MessageBoxes.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QString>

#include <cmath>

namespace printout {

namespace {

// Driver paper codes of the sizes a lessor's printer is likely to offer.
struct TPaperCode {
    int code;
    QPageSize::PageSizeId id;
};

const TPaperCode kPaperCodes[] = {
    {1, QPageSize::Letter},     {3, QPageSize::Tabloid},   {4, QPageSize::Ledger},   {5, QPageSize::Legal},
    {6, QPageSize::Statement},  {7, QPageSize::Executive}, {8, QPageSize::A3},       {9, QPageSize::A4},
    {11, QPageSize::A5},        {12, QPageSize::B4},       {13, QPageSize::B5},      {14, QPageSize::Folio},
    {19, QPageSize::Envelope9}, {20, QPageSize::Comm10E},  {27, QPageSize::EnvelopeDL},
    {28, QPageSize::EnvelopeC5}, {34, QPageSize::EnvelopeB5}, {37, QPageSize::EnvelopeMonarch},
    {70, QPageSize::A6},
};

} // namespace

TPaper &DefaultPaperRecord()
{
    static TPaper paper;
    return paper;
}

QPageSize PageSizeOf(const TPaper &paper)
{
    if (paper.sizeCode == kPaperCustom)
        return paper.width > 0 && paper.length > 0
                   ? QPageSize(QSizeF(paper.width / 10.0, paper.length / 10.0), QPageSize::Millimeter, QString(),
                               QPageSize::ExactMatch)
                   : QPageSize();
    for (const TPaperCode &p : kPaperCodes)
        if (p.code == paper.sizeCode)
            return QPageSize(p.id);
    return QPageSize();
}

int PaperCodeOf(QPageSize::PageSizeId id)
{
    for (const TPaperCode &p : kPaperCodes)
        if (p.id == id)
            return p.code;
    return id == QPageSize::Custom ? kPaperCustom : 0;
}

QList<int> StandardPaperCodes()
{
    QList<int> codes;
    for (const TPaperCode &p : kPaperCodes)
        codes.append(p.code);
    return codes;
}

TPaper PrinterPaper(const QPrinter &printer)
{
    const QPageLayout layout = printer.pageLayout();
    TPaper paper;
    paper.sizeCode = PaperCodeOf(layout.pageSize().id());
    paper.orientation = layout.orientation() == QPageLayout::Landscape ? kLandscape : kPortrait;
    if (paper.sizeCode == kPaperCustom) {
        const QSizeF mm = layout.pageSize().size(QPageSize::Millimeter);
        paper.width = int(std::lround(mm.width() * 10));
        paper.length = int(std::lround(mm.height() * 10));
    }
    return paper;
}

bool EnsureDefaultPaper(TPrinter &printer, int sizeCode, int orientation, int width, int length)
{
    const TPaper wanted{sizeCode, orientation, width, length};
    const TPaper current = printer.Paper();
    bool differs = current.sizeCode != sizeCode || current.orientation != orientation;
    if (sizeCode == kPaperCustom)
        differs = differs || current.width != width || current.length != length;
    if (!differs)
        return true;
    // The user reads this question in the language of the rest of the interface.
    const bool french = dataset::WorkingLanguage() == QLatin1Char('F');
    const QString text =
        french ? QStringLiteral("Le format de papier sélectionné ne correspond pas au format par défaut du rapport.  "
                                "Désirez-vous utiliser le format par défaut?")
               : QStringLiteral("The selected page format does not match the default page format of that report.  "
                                "Do you wish to use the default page setup?");
    if (ui::ShowMessageBox(QMessageBox::Warning, ui::MessageText(QStringLiteral("@IDS_WARNING")), text,
                           QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        != QMessageBox::Yes)
        return false;
    DefaultPaperRecord() = wanted;
    return printer.SetPaper(wanted);
}

} // namespace printout
