#pragma once
// Export of recorded pages to another kind of document. The PDF kind replays every record of
// each page onto the PDF writer's canvas, in tenths of a millimetre from the sheet's corner.

#include "printout/Metafile.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>

namespace pdf {
class TPdfBox;
}

namespace printout {

class TPrintout;
struct TReportMargins;

// A document kind written from the recorded pages by another library (the office documents):
// the export hands it the page set-up, each page and the end.
class TExportTarget {
public:
    virtual ~TExportTarget() = default;
    virtual void Begin(const TMetafile &first, const TReportMargins &margins, QSize sheetPx, QSize sheetSize,
                       int orientation) = 0;
    virtual void Page(int page, bool more, const TMetafile &metafile) = 0;
    virtual void End() = 0;
};

class TPrintoutExport {
public:
    // kind: "ACROBAT" (any other leaves Ready clear). Prepares the PDF writer: tenths of a
    // millimetre, fileName, fonts embedded where allowed.
    TPrintoutExport(const QString &fileName, const QString &kind);
    // Any other kind, written by target; Ready when there is one.
    TPrintoutExport(const QString &fileName, const QString &kind, std::unique_ptr<TExportTarget> target);
    ~TPrintoutExport();
    TPrintoutExport(const TPrintoutExport &) = delete;
    // The document's title in the PDF's information (the printout's title); before the pages.
    void SetDocumentTitle(const QString &title);
    TPrintoutExport &operator=(const TPrintoutExport &) = delete;

    bool Ready() const { return m_ready; }
    const QString &FileName() const { return m_fileName; }
    const QString &Kind() const { return m_kind; }

    // Page set-up from the first page; orientation 1 portrait, 2 landscape. Writer failures
    // (pdf::EPdfError) go on up.
    void ExportBegin(const TMetafile &first, const TReportMargins &margins, QSize sheetPx, QSize sheetSize,
                     int orientation);
    // Replays one page; a new PDF page follows when more is set.
    void ExportPage(int page, bool more, const TMetafile &metafile);
    void ExportEnd();

    // One line per record of every page exported so far, unless OnListing takes them.
    const QStringList &Listing() const { return m_listing; }
    // When set, each page's listing lines are handed here as the page is exported instead of
    // being kept: the listing of a document of thousands of pages need not stay in memory.
    std::function<void(const QStringList &lines)> OnListing;
    // Told about a record that could not be replayed (its index on the page); by default an
    // error box, or a line on the standard error without a window system.
    std::function<void(int page, int record)> OnRecordError;

    pdf::TPdfBox *Writer() const { return m_pdf.get(); }

private:
    struct TReplay;
    void Replay(int page, const TMetafile &metafile);

    QString m_fileName, m_kind;
    bool m_ready = false;
    std::unique_ptr<pdf::TPdfBox> m_pdf;
    std::unique_ptr<TExportTarget> m_target;
    QStringList m_listing;
    QSize m_sheetPx;
    std::map<QByteArray, QImage> m_bitmaps; // decoded pictures by their bytes, one per picture
};

// Writes pages from..to of printout (1-based, within the printout) through exporter, from
// ExportBegin to ExportEnd; afterPage hears how many pages are done, 0 once the document began.
void ExportRange(TPrintoutExport &exporter, TPrintout &printout, int from, int to,
                 const std::function<void(int done)> &afterPage);

// Exports pages from..to of printout (1-based; stops at the last page) to fileName as kind,
// reporting progress through the printout's OnProgress, and writes the record listing to
// "emf.txt" in the current directory. False when the target could not be prepared.
bool ExportTo(TPrintout &printout, const QString &fileName, const QString &kind, int from, int to);
// The same run through an export already made (of any kind).
bool ExportTo(TPrintout &printout, TPrintoutExport &exporter, int from, int to);

// The bitmap a device-independent bitmap stands for (header, colour table and pixels, as
// picture records hold them); a null image when the bytes are not a bitmap we can read.
QImage DecodeDib(const QByteArray &info, const QByteArray &bits);

} // namespace printout
