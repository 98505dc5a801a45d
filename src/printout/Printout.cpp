#include "printout/Printout.h"

#include "dataset/Common.h"
#include "pdf/PdfBox.h"
#include "printout/PdfExport.h"
#include "printout/Player.h"
#include "ui/MessageBoxes.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>

#include <cmath>

namespace printout {

namespace {

TPaper MakePaper(int size, int orientation, int length, int width)
{
    TPaper p;
    p.sizeCode = size;
    p.orientation = orientation;
    p.length = length;
    p.width = width;
    return p;
}

} // namespace

int MulDiv(long long a, long long b, long long c)
{
    if (c == 0)
        return -1; // as the platform's MulDiv reports a division by zero
    return int(std::llround(double(a) * double(b) / double(c)));
}

EPrintError::EPrintError(const QString &french, const QString &english)
    : std::runtime_error(english.toStdString()), m_french(french), m_english(english)
{
}

QString EPrintError::Message() const
{
    return dataset::WorkingLanguage() == QLatin1Char('F') ? m_french : m_english;
}

TPage::TPage(const TReferenceDevice &device)
{
    m_metafile.SetDevice(device);
}

void TPage::Close()
{
    if (!m_canvas)
        return;
    m_canvas->Finish();
    m_canvas.reset();
    m_metafile.Buffer().squeeze(); // long printouts keep only what they use
}

TPrintout::TPrintout(QWidget *owner, bool noPrinter, const QString &title) : m_owner(owner), m_title(title)
{
    if (!noPrinter) {
        const TPrinter &app = ApplicationPrinter();
        m_printer = app.Clone();
    }
    Init();
}

TPrintout::TPrintout(QWidget *owner, std::unique_ptr<TPrinter> printer, const QString &title)
    : m_owner(owner), m_title(title), m_printer(std::move(printer))
{
    Init();
}

void TPrintout::Init() { ComputeGeometry(); }

TPrintout::~TPrintout()
{
    if (m_printer && m_printer->IsPrinting())
        m_printer->Abort();
}

void TPrintout::ComputeGeometry()
{
    TPrintGeometry &g = m_geometry;
    std::unique_ptr<TPrinter> fallback;
    const TPrinter *p = m_printer.get();
    if (!p) {
        fallback = TPrinter::Virtual(); // a printout without printer still has a page size
        p = fallback.get();
    }
    g.dpiX = p->DpiX();
    g.dpiY = p->DpiY();
    if (g.dpiX <= 0 || g.dpiY <= 0) {
        // The device answered nonsense: select it again with the default paper.
        std::unique_ptr<TPrinter> again = m_printer ? TPrinter::Named(m_printer->Name()) : nullptr;
        m_printer = again ? std::move(again) : TPrinter::Virtual();
        m_printer->SetPaper(DefaultPaperRecord());
        return;
    }
    g.sheetPx = p->SheetPx();
    int ppi = 96;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) && QGuiApplication::primaryScreen())
        ppi = int(std::lround(QGuiApplication::primaryScreen()->logicalDotsPerInch()));
    g.screenPpiX = g.screenPpiY = ppi;
    g.printableOffsetPx = p->PrintableOffsetPx();
    const QSize printable = p->PrintablePx();
    g.printableEndPx = g.printableOffsetPx + QPoint(printable.width(), printable.height());
    g.sheetSize = QSize(MulDiv(g.sheetPx.width(), 254, g.dpiX), MulDiv(g.sheetPx.height(), 254, g.dpiY));
    g.printableRect = {MulDiv(g.printableOffsetPx.x(), 254, g.dpiX), MulDiv(g.printableOffsetPx.y(), 254, g.dpiY),
                       MulDiv(g.printableEndPx.x(), 254, g.dpiX), MulDiv(g.printableEndPx.y(), 254, g.dpiY)};
    const TReportMargins &m = ReportMargins();
    g.wantedRect = {m.left / 10, m.top / 10, g.sheetSize.width() - m.right / 10, g.sheetSize.height() - m.bottom / 10};
    GetPaper();
}

int TPrintout::NewPage(int /*flag*/)
{
    if (!m_pages.empty())
        m_pages.back()->Close(); // a page left open is completed before the next one starts
    auto page = std::make_unique<TPage>(TReferenceDevice::ForSheet(m_geometry.sheetPx, m_geometry.dpiX, m_geometry.dpiY));
    page->m_canvas = std::make_unique<TPageCanvas>(page->m_metafile);
    m_pages.push_back(std::move(page));
    m_archiveLinks.append(QString());
    m_mailTo.append(QString());
    m_mailCc.append(QString());
    m_mailBcc.append(QString());
    m_noPageOpen = false;
    m_currentPage = PageCount();
    return m_currentPage;
}

TPageCanvas *TPrintout::Canvas() const
{
    if (m_currentPage < 1 || m_currentPage > PageCount())
        return nullptr;
    return m_pages[size_t(m_currentPage - 1)]->Canvas();
}

void TPrintout::EndPage()
{
    if (m_currentPage >= 1 && m_currentPage <= PageCount())
        m_pages[size_t(m_currentPage - 1)]->Close();
    m_noPageOpen = true;
}

int TPrintout::AddPage(TMetafile metafile)
{
    const int n = NewPage(1);
    EndPage();
    m_pages.back()->m_metafile = std::move(metafile);
    return n;
}

void TPrintout::SetCurrentPage(int n)
{
    if (OnBeforePageChange)
        OnBeforePageChange(*this, m_currentPage);
    const int count = PageCount();
    if (count == 0)
        m_currentPage = 0;
    else
        m_currentPage = n < 1 ? 1 : n > count ? count : n;
    if (OnAfterPageChange)
        OnAfterPageChange(*this, m_currentPage);
}

const TMetafile *TPrintout::PageMetafile(int n) const
{
    if (n <= 0 || n > PageCount())
        return nullptr;
    return &m_pages[size_t(n - 1)]->Metafile();
}

void TPrintout::Clear()
{
    m_pages.clear();
    m_archiveLinks.clear();
    m_mailTo.clear();
    m_mailCc.clear();
    m_mailBcc.clear();
    m_currentPage = 0;
}

void TPrintout::SetMailRecipients(int first, int last, const QString &bcc, const QString &cc, const QString &to)
{
    first = std::max(first, 1);
    last = std::min(last, PageCount());
    for (int n = first; n <= last; ++n) {
        if (!bcc.isEmpty())
            m_mailBcc[n - 1] = bcc;
        if (!cc.isEmpty())
            m_mailCc[n - 1] = cc;
        if (!to.isEmpty())
            m_mailTo[n - 1] = to;
    }
    m_hasMailRecipients = true;
}

void TPrintout::SetPageMailRecipients(int n, const QString &bcc, const QString &cc, const QString &to)
{
    if (n < 1 || n > PageCount())
        return;
    m_mailBcc[n - 1] = bcc;
    m_mailCc[n - 1] = cc;
    m_mailTo[n - 1] = to;
    m_hasMailRecipients = true;
}

void TPrintout::SetArchiveLink(int first, int last, const QString &text)
{
    if (text.isEmpty())
        return;
    first = std::max(first, 1);
    last = std::min(last, PageCount());
    for (int n = first; n <= last; ++n)
        m_archiveLinks[n - 1] = text;
}

TPage &TPrintout::EnsureBackgroundPage()
{
    if (!m_backgroundPage) {
        m_backgroundPage = std::make_unique<TPage>(TReferenceDevice::ForSheet(m_geometry.sheetPx, m_geometry.dpiX, m_geometry.dpiY));
    }
    return *m_backgroundPage;
}

QString TPrintout::ProgressText(int step, int total)
{
    if (LibraryLanguage() == QLatin1Char('F'))
        return QStringLiteral("Page %1 de %2").arg(step).arg(total);
    return QStringLiteral("Page %1 of %2 ").arg(step).arg(total);
}

QRect TPrintout::PrintTarget(const TPrintGeometry &g, bool fit)
{
    const TRectL &p = g.printableRect, &w = g.wantedRect;
    if (!fit || p.Contains(w) || p.Width() <= 0 || p.Height() <= 0) {
        const QPoint offset(MulDiv(p.left, g.dpiX, 254), MulDiv(p.top, g.dpiY, 254));
        return QRect(-offset, g.sheetPx);
    }
    const double sx = double(w.Width()) / p.Width() + 0.0075;
    const double sy = double(w.Height()) / p.Height() + 0.0075;
    const double s = std::max(sx, sy);
    // Ties go to the even integer here (the default rounding mode).
    const auto round = [s](int v) { return (long long)(std::nearbyint(v / s)); };
    const long long wp = round(g.sheetSize.width()), hp = round(g.sheetSize.height());
    const long long lp = round(w.left), tp = round(w.top);
    return QRect(-MulDiv(lp, g.dpiX, 254), -MulDiv(tp, g.dpiY, 254), MulDiv(wp, g.dpiX, 254), MulDiv(hp, g.dpiY, 254));
}

bool TPrintout::CanPrintOrSay()
{
    if (!m_printer)
        return false;
    if (!m_printer->CanPrint()) {
        ui::ErrorBox(dataset::Pick("Aucune imprimante n'est installée : le document ne peut pas être imprimé. "
                                   "Il peut encore être affiché et enregistré.",
                                   "No printer is installed: the document cannot be printed. "
                                   "It can still be previewed and saved."));
        return false;
    }
    return true;
}

void TPrintout::DrawPage(int n, const QRect &target)
{
    QPainter *painter = m_printer->Painter();
    if (!painter)
        throw EPrintError(QStringLiteral("L'impression a été interrompue."), QStringLiteral("Printing was interrupted."));
    PlayMetafile(*painter, m_pages[size_t(n - 1)]->Metafile(), QRectF(target));
}

bool TPrintout::RunJob(int from, int to)
{
    if (m_copies != 0)
        m_printer->SetCopies(m_copies);
    if (m_printer->IsQueue() && !m_printer->IsPrinting())
        return SubmitToQueue(from, to);
    if (!m_printer->IsPrinting() && !m_printer->Begin(m_title)) {
        const QString why = m_printer->LastError();
        throw EPrintError(QStringLiteral("L'impression n'a pas pu commencer (%1).").arg(why),
                          QStringLiteral("Printing could not start (%1).").arg(why));
    }
    const int total = to - from + 1;
    try {
        if (OnProgress)
            OnProgress(*this, 1, ProgressText(1, total), total);
        m_printed = true;
        const QRect target = PrintTarget(m_geometry, m_fitToPrintable);
        for (int p = from; p <= to; ++p) {
            if (p != from && !m_printer->NewPage())
                throw EPrintError(QStringLiteral("L'imprimante a refusé une nouvelle page."),
                                  QStringLiteral("The printer refused a new page."));
            DrawPage(p, target);
            if (OnProgress && (m_rangeProgressAfterFirst || p != from))
                OnProgress(*this, p - from + 1, ProgressText(p - from + 1, total), total);
        }
    } catch (...) {
        m_printer->End();
        throw;
    }
    if (!m_printer->End())
        throw EPrintError(QStringLiteral("L'impression n'a pas pu être terminée."),
                          QStringLiteral("Printing could not be completed."));
    return true;
}

// A queue gets the pages as a PDF file of our own writer: its text stays text and its fonts
// are the ones measured while recording, whatever the queue's filters do with other streams.
bool TPrintout::SubmitToQueue(int from, int to)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        throw EPrintError(QStringLiteral("L'impression n'a pas pu commencer (aucun dossier temporaire : %1).").arg(dir.errorString()),
                          QStringLiteral("Printing could not start (no temporary folder: %1).").arg(dir.errorString()));
    const QString file = dir.filePath(QStringLiteral("job.pdf"));
    const int total = to - from + 1;
    try {
        TPrintoutExport exporter(file, QStringLiteral("ACROBAT"));
        ExportRange(exporter, *this, from, to, [&](int done) {
            if (!OnProgress)
                return;
            if (done == 0)
                OnProgress(*this, 1, ProgressText(1, total), total);
            else if (m_rangeProgressAfterFirst || done > 1)
                OnProgress(*this, done, ProgressText(done, total), total);
        });
    } catch (const pdf::EPdfError &e) {
        throw EPrintError(QStringLiteral("Le document à imprimer n'a pas pu être préparé (%1).").arg(e.Message()),
                          QStringLiteral("The document to print could not be prepared (%1).").arg(e.Message()));
    }
    // The queue scales the sheets only when the wanted area does not fit its printable one.
    const bool fit = m_fitToPrintable && PrintTarget(m_geometry, true) != PrintTarget(m_geometry, false);
    if (!m_printer->SubmitPdf(file, m_title, fit)) {
        const QString why = m_printer->LastError();
        throw EPrintError(QStringLiteral("L'impression n'a pas pu commencer (%1).").arg(why),
                          QStringLiteral("Printing could not start (%1).").arg(why));
    }
    m_printed = true;
    return true;
}

bool TPrintout::Print()
{
    if (!m_printer || m_pages.empty() || !CanPrintOrSay())
        return false;
    m_rangeProgressAfterFirst = false;
    return RunJob(1, PageCount());
}

bool TPrintout::PrintRange(int from, int to)
{
    if (!m_printer || !CanPrintOrSay())
        return false;
    from = std::max(from, 1);
    to = std::min(to, PageCount());
    if (from > to)
        return false;
    m_rangeProgressAfterFirst = true;
    return RunJob(from, to);
}

bool TPrintout::SetPaper(int size, int orientation, int length, int width)
{
    m_lastPaperSize = int16_t(size);
    m_lastOrientation = int16_t(orientation);
    if (!m_printer || !m_printer->SetPaper(MakePaper(size, orientation, length, width)))
        return false;
    ComputeGeometry(); // pages made from now on follow the new sheet
    return true;
}

TPaper TPrintout::GetPaper()
{
    const TPaper paper = m_printer ? m_printer->Paper() : DefaultPaperRecord();
    m_lastPaperSize = int16_t(paper.sizeCode);
    m_lastOrientation = int16_t(paper.orientation);
    return paper;
}

} // namespace printout
