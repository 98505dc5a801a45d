#pragma once
// A printout: the recorded pages of one print job, made against the job's own printer, with
// the per-page columns of mailing and archiving, the page cursor the preview follows and the
// printing of all pages or a range, fitted to the printable area when asked.

#include "printout/Metafile.h"
#include "printout/PageCanvas.h"
#include "printout/Printer.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

class QWidget;

namespace printout {

class TPrintout;

// One page: its metafile and, while it is open, the canvas recording into it.
class TPage {
public:
    explicit TPage(const TReferenceDevice &device);
    const TMetafile &Metafile() const { return m_metafile; }
    TMetafile &Metafile() { return m_metafile; }
    QStringList &Attachments() { return m_attachments; }
    const QStringList &Attachments() const { return m_attachments; }
    // The canvas while the page is open, else nullptr.
    TPageCanvas *Canvas() const { return m_canvas.get(); }
    // Closing completes the metafile; afterwards the page can be played but not drawn on.
    void Close();

private:
    friend class TPrintout;
    TMetafile m_metafile;
    QStringList m_attachments;
    std::unique_ptr<TPageCanvas> m_canvas;
};

// A rectangle given by its edges, as the platform's RECT: width = right - left.
struct TRectL {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(const TRectL &r) const
    {
        return r.left >= left && r.top >= top && r.right <= right && r.bottom <= bottom;
    }
    bool operator==(const TRectL &) const = default;
};

// Geometry of a printout's printer (pixels, and 0.1 mm).
struct TPrintGeometry {
    int dpiX = 600, dpiY = 600;
    int screenPpiX = 96, screenPpiY = 96;
    QSize sheetPx{5100, 6600};
    QPoint printableOffsetPx;
    QPoint printableEndPx{5100, 6600};
    QSize sheetSize{2159, 2794}; // 0.1 mm
    TRectL printableRect;        // 0.1 mm from the sheet corner
    TRectL wantedRect;           // 0.1 mm: the area the report uses, inside the margins
};

// Who a printout was made for, as the archive files it: company, division, application,
// program and user. The printouts of this program carry none.
struct TUserContext {
    int company = 0;
    int division = 0;
    QString application;
    double program = 0;
    QString user;
};

// A failure while printing, in both languages.
class EPrintError : public std::runtime_error {
public:
    EPrintError(const QString &french, const QString &english);
    QString Message() const; // in the working language
private:
    QString m_french, m_english;
};

// a·b/c computed in 64 bits, rounded to the nearest integer (halves away from zero).
int MulDiv(long long a, long long b, long long c);

class TPrintout {
public:
    using TProgress = std::function<void(TPrintout &, int step, const QString &text, int total)>;
    using TPageChange = std::function<void(TPrintout &, int page)>;

    // With noPrinter clear, the own printer is a copy of the application's current printer
    // with its paper; the geometry is measured from it. The printout starts empty.
    TPrintout(QWidget *owner, bool noPrinter, const QString &title);
    // On a given printer (a reprint on another printer, a PDF file, tests).
    TPrintout(QWidget *owner, std::unique_ptr<TPrinter> printer, const QString &title);
    ~TPrintout();
    TPrintout(const TPrintout &) = delete;
    TPrintout &operator=(const TPrintout &) = delete;

    // Page cycle. NewPage appends a page on the own printer, makes it current and returns its
    // number; Canvas is the current page's canvas (nullptr outside NewPage..EndPage).
    int NewPage(int flag = 1);
    TPageCanvas *Canvas() const;
    void EndPage();

    int PageCount() const { return int(m_pages.size()); }
    int CurrentPage() const { return m_currentPage; }
    // Fires OnBeforePageChange(old), clamps n into 1..PageCount (0 without pages), fires
    // OnAfterPageChange(new).
    void SetCurrentPage(int n);
    // Metafile of page n (1-based), or nullptr out of range.
    const TMetafile *PageMetafile(int n) const;
    TPage &Page(int index) { return *m_pages.at(size_t(index)); }
    const TPage &Page(int index) const { return *m_pages.at(size_t(index)); }
    // Appends a page whose metafile is given (closed), with empty per-page entries.
    int AddPage(TMetafile metafile);
    void Clear();

    // Per-page columns, n 1-based; empty out of range.
    QString MailTo(int n) const { return Column(m_mailTo, n); }
    QString MailCc(int n) const { return Column(m_mailCc, n); }
    QString MailBcc(int n) const { return Column(m_mailBcc, n); }
    QString ArchiveLink(int n) const { return Column(m_archiveLinks, n); }
    void SetMailRecipients(int first, int last, const QString &bcc, const QString &cc, const QString &to);
    // Page n's recipients exactly as given, empty ones included: what the user emptied in the
    // mail panel is empty (SetMailRecipients above leaves a page's value for an empty one).
    void SetPageMailRecipients(int n, const QString &bcc, const QString &cc, const QString &to);
    void SetArchiveLink(int first, int last, const QString &text);

    // Printing. Both return false without printing when there is no real printer (after
    // telling the user that none is installed) or nothing to print; a failure ends the job and
    // throws EPrintError.
    bool Print();
    bool PrintRange(int from, int to);
    // Where a page lands on the printer, in printer pixels relative to the printable corner:
    // the sheet at its size moved by the printable offset, or, when fit is set and the wanted
    // area does not fit the printable area, scaled down so that it does.
    static QRect PrintTarget(const TPrintGeometry &geometry, bool fit);

    bool SetPaper(int size, int orientation, int length, int width);
    TPaper GetPaper();

    void ComputeGeometry();
    const TPrintGeometry &Geometry() const { return m_geometry; }

    // Fields.
    const QString &Title() const { return m_title; }
    void SetTitle(const QString &title) { m_title = title; }
    int Copies() const { return m_copies; }
    void SetCopies(int copies) { m_copies = int16_t(copies); }
    bool FitToPrintable() const { return m_fitToPrintable; }
    void SetFitToPrintable(bool fit) { m_fitToPrintable = fit; }
    uint32_t PageColor() const { return m_pageColor; }
    void SetPageColor(uint32_t color) { m_pageColor = color; }
    static constexpr uint32_t kNoColor = 0x1FFFFFFF;
    TPrinter *Printer() const { return m_printer.get(); }
    QWidget *Owner() const { return m_owner; }
    QWidget *Preview() const { return m_preview; }
    void SetPreview(QWidget *preview) { m_preview = preview; }
    bool Printed() const { return m_printed; }
    void SetPrinted(bool printed) { m_printed = printed; }
    bool Previewed() const { return m_previewed; }
    void SetPreviewed(bool previewed) { m_previewed = previewed; }
    bool NoPageOpen() const { return m_noPageOpen; }
    bool PrinterNotFound() const { return m_printerNotFound; }
    void SetPrinterNotFound(bool notFound) { m_printerNotFound = notFound; }
    bool HasMailRecipients() const { return m_hasMailRecipients; }
    void SetHasMailRecipients(bool has) { m_hasMailRecipients = has; }
    const TUserContext *UserContext() const { return m_userContext ? m_userContext.get() : nullptr; }
    void SetUserContext(const TUserContext *context)
    {
        m_userContext = context ? std::make_unique<TUserContext>(*context) : nullptr;
    }
    bool ShowMessages() const { return m_showMessages; }
    void SetShowMessages(bool show) { m_showMessages = show; }
    int LastPaperSize() const { return m_lastPaperSize; }
    int LastOrientation() const { return m_lastOrientation; }
    TPage *BackgroundPage() const { return m_backgroundPage.get(); }
    // Creates the background page on demand.
    TPage &EnsureBackgroundPage();

    TProgress OnProgress;
    TPageChange OnBeforePageChange;
    TPageChange OnAfterPageChange;

    // The progress text for step of total in the library language.
    static QString ProgressText(int step, int total);

private:
    static QString Column(const QStringList &list, int n)
    {
        return n >= 1 && n <= list.size() ? list[n - 1] : QString();
    }
    bool CanPrintOrSay();
    void DrawPage(int n, const QRect &target);
    bool RunJob(int from, int to);
    bool SubmitToQueue(int from, int to);
    void Init();

    std::vector<std::unique_ptr<TPage>> m_pages;
    QStringList m_archiveLinks, m_mailTo, m_mailCc, m_mailBcc;
    int m_currentPage = 0;
    bool m_fitToPrintable = true;
    int16_t m_copies = 0;
    TPrintGeometry m_geometry;
    bool m_printed = false, m_previewed = false, m_noPageOpen = true;
    std::unique_ptr<TPage> m_backgroundPage;
    bool m_printerNotFound = false;
    QWidget *m_preview = nullptr;
    QWidget *m_owner = nullptr;
    QString m_title;
    std::unique_ptr<TPrinter> m_printer;
    uint32_t m_pageColor = kNoColor;
    bool m_hasMailRecipients = false;
    std::unique_ptr<TUserContext> m_userContext;
    bool m_showMessages = true;
    int16_t m_lastPaperSize = 0, m_lastOrientation = 0;
    bool m_rangeProgressAfterFirst = false; // a range also reports after its first page
};

} // namespace printout
