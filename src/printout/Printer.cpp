#include "printout/Printer.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cups/cups.h>

#include <cmath>

namespace printout {

namespace {

constexpr int kVirtualDpi = 600;

// Sheet size in 0.1 mm, portrait.
QSizeF SheetTenthsMm(const TPaper &paper)
{
    const QPageSize size = PageSizeOf(paper);
    if (!size.isValid())
        return QSizeF(2159, 2794);
    return size.size(QPageSize::Millimeter) * 10;
}

std::unique_ptr<TPrinter> *AppPrinterSlot()
{
    static std::unique_ptr<TPrinter> printer;
    return &printer;
}

QChar &LibraryLanguageSlot()
{
    static QChar language = QLatin1Char('F');
    return language;
}

} // namespace

TPrinter::~TPrinter() { Abort(); }

std::unique_ptr<TPrinter> TPrinter::Virtual() { return std::unique_ptr<TPrinter>(new TPrinter); }

bool TPrinter::AnyInstalled() { return !QPrinterInfo::availablePrinterNames().isEmpty(); }

std::unique_ptr<TPrinter> TPrinter::Named(const QString &name)
{
    for (const QPrinterInfo &info : QPrinterInfo::availablePrinters()) {
        if (info.printerName().compare(name, Qt::CaseInsensitive) != 0)
            continue;
        std::unique_ptr<TPrinter> p(new TPrinter);
        p->m_name = info.printerName();
        p->m_qprinter = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        // Read the queue's own paper so that the settings start from what it has.
        const QPageLayout layout = p->m_qprinter->pageLayout();
        p->m_paper.orientation = layout.orientation() == QPageLayout::Landscape ? kLandscape : kPortrait;
        p->m_paper.sizeCode = PaperCodeOf(layout.pageSize().id());
        if (p->m_paper.sizeCode == 0)
            p->m_paper.sizeCode = kPaperCustom; // a named size without a code: kept by its dimensions
        if (p->m_paper.sizeCode == kPaperCustom) {
            const QSizeF mm = layout.pageSize().size(QPageSize::Millimeter);
            p->m_paper.width = int(std::lround(mm.width() * 10));
            p->m_paper.length = int(std::lround(mm.height() * 10));
        }
        p->m_copies = std::max(1, p->m_qprinter->copyCount());
        return p;
    }
    return nullptr;
}

std::unique_ptr<TPrinter> TPrinter::Default()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (!info.isNull()) {
        if (auto p = Named(info.printerName()))
            return p;
    }
    const QStringList names = QPrinterInfo::availablePrinterNames();
    if (!names.isEmpty()) {
        if (auto p = Named(names.first()))
            return p;
    }
    return Virtual();
}

std::unique_ptr<TPrinter> TPrinter::PdfFile(const QString &path, int dpi)
{
    std::unique_ptr<TPrinter> p(new TPrinter);
    p->m_name = path;
    p->m_qprinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    p->m_qprinter->setOutputFormat(QPrinter::PdfFormat);
    p->m_qprinter->setOutputFileName(path);
    p->m_qprinter->setResolution(dpi);
    p->ApplyPaper();
    return p;
}

std::unique_ptr<TPrinter> TPrinter::Clone() const
{
    std::unique_ptr<TPrinter> p;
    if (IsVirtual())
        p = Virtual();
    else if (m_qprinter->outputFormat() == QPrinter::PdfFormat)
        p = PdfFile(m_qprinter->outputFileName(), m_qprinter->resolution());
    else
        p = Named(m_name);
    if (!p)
        p = Virtual();
    p->SetPaper(m_paper);
    p->CopyJobSettings(*this);
    return p;
}

void TPrinter::ApplyPaper()
{
    if (!m_qprinter)
        return;
    const QPageSize size = PageSizeOf(m_paper);
    if (size.isValid())
        m_qprinter->setPageSize(size);
    m_qprinter->setPageOrientation(m_paper.orientation == kLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (m_qprinter->outputFormat() == QPrinter::PdfFormat)
        m_qprinter->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

bool TPrinter::SetPaper(const TPaper &paperIn)
{
    TPaper paper = paperIn;
    if (paper.sizeCode != kPaperCustom)
        paper.length = paper.width = 0;
    if (!PageSizeOf(paper).isValid() || (paper.orientation != kPortrait && paper.orientation != kLandscape))
        return false;
    if (m_qprinter) {
        if (!m_qprinter->setPageSize(PageSizeOf(paper)))
            return false;
    }
    m_paper = paper;
    ApplyPaper();
    return true;
}

int TPrinter::Copies() const { return m_copies; }

void TPrinter::SetCopies(int copies)
{
    m_copies = std::max(1, copies);
    if (m_qprinter)
        m_qprinter->setCopyCount(m_copies);
}

bool TPrinter::Collate() const { return m_collate; }

void TPrinter::SetCollate(bool collate)
{
    m_collate = collate;
    if (m_qprinter)
        m_qprinter->setCollateCopies(collate);
}

int TPrinter::Duplex() const { return m_duplex; }

void TPrinter::SetDuplex(int duplex)
{
    m_duplex = duplex;
    if (m_qprinter)
        m_qprinter->setDuplex(duplex == 1 ? QPrinter::DuplexLongSide : duplex == 2 ? QPrinter::DuplexShortSide : QPrinter::DuplexNone);
}

int TPrinter::PaperSource() const { return m_source; }

void TPrinter::SetPaperSource(int source)
{
    m_source = source;
    if (m_qprinter && source > 0)
        m_qprinter->setPaperSource(QPrinter::PaperSource(source));
}

void TPrinter::CopyJobSettings(const TPrinter &other)
{
    SetPaperSource(other.m_source);
    SetCopies(other.m_copies);
    SetCollate(other.m_collate);
    SetDuplex(other.m_duplex);
}

void TPrinter::TakeJobSettings(const QPrinter &device)
{
    SetCopies(device.copyCount());
    SetCollate(device.collateCopies());
    SetDuplex(device.duplex() == QPrinter::DuplexLongSide ? 1 : device.duplex() == QPrinter::DuplexShortSide ? 2 : 0);
    if (device.paperSource() != QPrinter::OnlyOne)
        SetPaperSource(int(device.paperSource()));
}

int TPrinter::DpiX() const { return m_qprinter ? m_qprinter->resolution() : kVirtualDpi; }

int TPrinter::DpiY() const { return DpiX(); }

QSize TPrinter::SheetPx() const
{
    if (m_qprinter)
        return m_qprinter->paperRect(QPrinter::DevicePixel).toRect().size();
    QSizeF tenths = SheetTenthsMm(m_paper);
    if (m_paper.orientation == kLandscape)
        tenths.transpose();
    return QSize(int(std::lround(tenths.width() * kVirtualDpi / 254)), int(std::lround(tenths.height() * kVirtualDpi / 254)));
}

QPoint TPrinter::PrintableOffsetPx() const
{
    return m_qprinter ? m_qprinter->pageRect(QPrinter::DevicePixel).toRect().topLeft() : QPoint(0, 0);
}

QSize TPrinter::PrintablePx() const
{
    return m_qprinter ? m_qprinter->pageRect(QPrinter::DevicePixel).toRect().size() : SheetPx();
}

bool TPrinter::IsQueue() const { return m_qprinter && m_qprinter->outputFormat() == QPrinter::NativeFormat; }

QList<std::pair<QString, QString>> TPrinter::JobOptions(bool fitToPage) const
{
    QList<std::pair<QString, QString>> options;
    options.append({QStringLiteral("copies"), QString::number(m_copies)});
    if (m_copies > 1)
        options.append({QStringLiteral("multiple-document-handling"),
                        m_collate ? QStringLiteral("separate-documents-collated-copies")
                                  : QStringLiteral("separate-documents-uncollated-copies")});
    options.append({QStringLiteral("sides"), m_duplex == 1   ? QStringLiteral("two-sided-long-edge")
                                             : m_duplex == 2 ? QStringLiteral("two-sided-short-edge")
                                                             : QStringLiteral("one-sided")});
    // The sheets of the file already carry the orientation; the media is named portrait, by
    // the standard keyword of its size.
    const QPageSize size = PageSizeOf(m_paper);
    if (m_paper.sizeCode == kPaperCustom && size.isValid())
        options.append({QStringLiteral("media"), QStringLiteral("Custom.%1x%2mm")
                                                     .arg(m_paper.width / 10.0, 0, 'f', 1)
                                                     .arg(m_paper.length / 10.0, 0, 'f', 1)});
    else if (size.isValid())
        options.append({QStringLiteral("media"), size.key()});
    // Qt's paper sources, by the name CUPS gives the tray.
    static const std::pair<int, const char *> kSources[] = {
        {QPrinter::Lower, "bottom"}, {QPrinter::Middle, "middle"}, {QPrinter::Manual, "manual"},
        {QPrinter::Envelope, "envelope"}, {QPrinter::EnvelopeManual, "manual"}, {QPrinter::Auto, "auto"},
        {QPrinter::LargeCapacity, "large-capacity"},
    };
    for (const auto &[source, name] : kSources) {
        if (source == m_source)
            options.append({QStringLiteral("media-source"), QLatin1String(name)});
    }
    if (fitToPage)
        options.append({QStringLiteral("fit-to-page"), QStringLiteral("true")});
    return options;
}

bool TPrinter::SubmitPdf(const QString &path, const QString &title, bool fitToPage)
{
    m_lastError.clear();
    if (!IsQueue()) {
        m_lastError = QStringLiteral("no printer");
        return false;
    }
    cups_option_t *options = nullptr;
    int count = 0;
    for (const auto &[name, value] : JobOptions(fitToPage))
        count = cupsAddOption(name.toUtf8().constData(), value.toUtf8().constData(), count, &options);
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, m_name.toUtf8().constData(), QFile::encodeName(path).constData(),
                                   title.toUtf8().constData(), count, options);
    cupsFreeOptions(count, options);
    if (job <= 0) {
        m_lastError = QStringLiteral("%1: %2").arg(m_name, QString::fromUtf8(cupsLastErrorString()));
        return false;
    }
    return true;
}

bool TPrinter::Begin(const QString &title)
{
    m_lastError.clear();
    if (!m_qprinter) {
        m_lastError = QStringLiteral("no printer");
        return false;
    }
    if (m_painter)
        return true;
    m_qprinter->setDocName(title);
    m_qprinter->setFullPage(false);
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(m_qprinter.get())) {
        m_lastError = QStringLiteral("the printer %1 refused the job").arg(m_name);
        return false;
    }
    m_painter = std::move(painter);
    return true;
}

bool TPrinter::NewPage() { return m_qprinter && m_painter && m_qprinter->newPage(); }

bool TPrinter::End()
{
    if (!m_painter)
        return false;
    const bool ok = m_painter->end();
    m_painter.reset();
    return ok;
}

void TPrinter::Abort()
{
    if (!m_painter)
        return;
    m_qprinter->abort();
    m_painter->end();
    m_painter.reset();
}

TPrinter &ApplicationPrinter()
{
    std::unique_ptr<TPrinter> &slot = *AppPrinterSlot();
    if (!slot)
        slot = TPrinter::Default();
    return *slot;
}

void SetApplicationPrinter(std::unique_ptr<TPrinter> printer)
{
    if (printer)
        *AppPrinterSlot() = std::move(printer);
}

TReportMargins &ReportMargins()
{
    static TReportMargins margins;
    return margins;
}

QChar LibraryLanguage() { return LibraryLanguageSlot(); }

void SetLibraryLanguage(QChar language) { LibraryLanguageSlot() = language; }

} // namespace printout
