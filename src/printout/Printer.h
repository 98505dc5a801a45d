#pragma once
// Printers as the printouts see them: a CUPS queue (its geometry read through Qt's QPrinter,
// its jobs handed over as PDF files of our own writer through libcups), a PDF file
// written by Qt's own PDF engine, or, when no printer is installed, a virtual Letter 600 dpi
// device on which pages can be recorded, previewed and saved but not printed. Paper settings
// are the TPaper of PaperCheck.h (driver codes, 256 custom with length and width in 0.1 mm).
//
// Also process-wide records of the report engine: the application's current printer and the
// report margins (the default paper is DefaultPaperRecord()).

#include "printout/PaperCheck.h"

#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>

#include <memory>
#include <utility>

class QPainter;
class QPrinter;

namespace printout {

class TPrinter {
public:
    // The system's default CUPS printer, or the virtual device when none is installed.
    static std::unique_ptr<TPrinter> Default();
    // The installed printer of that name (case-insensitive), or nullptr.
    static std::unique_ptr<TPrinter> Named(const QString &name);
    // The virtual Letter 600 dpi device: no unprintable margin, cannot print.
    static std::unique_ptr<TPrinter> Virtual();
    // A printer writing a PDF file at the given resolution (full sheet printable).
    static std::unique_ptr<TPrinter> PdfFile(const QString &path, int dpi = 600);
    // Whether any CUPS printer is installed.
    static bool AnyInstalled();

    ~TPrinter();
    TPrinter(const TPrinter &) = delete;
    TPrinter &operator=(const TPrinter &) = delete;

    // The same device with a fresh copy of these settings (paper, copies, collate, duplex,
    // paper source).
    std::unique_ptr<TPrinter> Clone() const;

    QString Name() const { return m_name; } // empty for the virtual device
    bool IsVirtual() const { return !m_qprinter; }
    // A CUPS queue (neither the virtual device nor a PDF file).
    bool IsQueue() const;
    bool CanPrint() const { return m_qprinter != nullptr; }
    QPrinter *Device() const { return m_qprinter.get(); }

    TPaper Paper() const { return m_paper; }
    // Writes the paper settings; false (settings unchanged) when the device refuses them.
    bool SetPaper(const TPaper &paper);
    int Copies() const;
    void SetCopies(int copies);
    bool Collate() const;
    void SetCollate(bool collate);
    int Duplex() const; // 0 none, 1 long side, 2 short side
    void SetDuplex(int duplex);
    int PaperSource() const;
    void SetPaperSource(int source);
    // Copies paper source, copies, collate and duplex from other.
    void CopyJobSettings(const TPrinter &other);
    // Takes the copies, collation, duplex and paper source a print dialog left on device.
    void TakeJobSettings(const QPrinter &device);

    // Geometry in device pixels.
    int DpiX() const;
    int DpiY() const;
    QSize SheetPx() const;
    QPoint PrintableOffsetPx() const; // from the sheet corner
    QSize PrintablePx() const;

    // The job: Begin starts it (false with the reason in LastError when it cannot), Painter is
    // valid until End; its origin is the corner of the printable area.
    bool Begin(const QString &title);
    bool IsPrinting() const { return m_painter != nullptr; }
    QPainter *Painter() const { return m_painter.get(); }
    bool NewPage();
    bool End();
    void Abort();
    QString LastError() const { return m_lastError; }

    // Hands a finished PDF file to the queue as one job with these settings (paper, copies,
    // collate, duplex, paper source); fitToPage asks the queue to scale each sheet into its
    // printable area. False with the reason in LastError.
    bool SubmitPdf(const QString &path, const QString &title, bool fitToPage);
    // The CUPS options SubmitPdf sends, as name and value.
    QList<std::pair<QString, QString>> JobOptions(bool fitToPage) const;

private:
    TPrinter() = default;
    void ApplyPaper();
    QString m_name;
    std::unique_ptr<QPrinter> m_qprinter; // null: the virtual device
    TPaper m_paper;
    int m_copies = 1, m_duplex = 0, m_source = 0;
    bool m_collate = false;
    std::unique_ptr<QPainter> m_painter;
    QString m_lastError;
};

// The application's current printer (the print and printer set-up dialogs change it): the
// system default at first, the virtual device when none is installed.
TPrinter &ApplicationPrinter();
// Replaces the application printer (for instance after a printer was chosen).
void SetApplicationPrinter(std::unique_ptr<TPrinter> printer);

// Report margins in 0.01 mm, one record for the process.
struct TReportMargins {
    int left = 640, top = 640, right = 640, bottom = 1270;
};
TReportMargins &ReportMargins();

// Language code of the report engine's own progress texts: 'F' unless changed.
QChar LibraryLanguage();
void SetLibraryLanguage(QChar language);

} // namespace printout
