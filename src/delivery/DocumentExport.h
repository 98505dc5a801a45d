#pragma once
// Export of a printout to a word-processing document (.docx), a spreadsheet (.xlsx) or a PDF
// file, written beside the target first so that a failed export leaves an older file intact.

#include "printout/PdfExport.h"

#include <QString>

#include <memory>
#include <stdexcept>

namespace printout {
class TPrintout;
}

namespace delivery {

// A target that could not be written, in both languages.
class EExportError : public std::runtime_error {
public:
    EExportError(const QString &french, const QString &english);
    QString Message() const; // in the working language
    const QString &French() const { return m_french; }
    const QString &English() const { return m_english; }

private:
    QString m_french, m_english;
};

// "WORD", "EXCEL" or "ACROBAT" (any case); another kind gives an export that is not Ready.
std::unique_ptr<printout::TPrintoutExport> MakeExport(const QString &fileName, const QString &kind);

// The suffix a kind's files get ("docx", "xlsx", "pdf"), empty for an unknown kind.
QString KindSuffix(const QString &kind);

// Exports pages from..to of printout to fileName as kind, with the progress, hourglass and
// record listing of printout::ExportTo. The document is made under a temporary name in the
// target's folder and takes the target's name only once complete. Throws EExportError when
// it cannot be written (the target and its folder untouched); false for an unknown kind or a
// printout without pages.
bool ExportTo(printout::TPrintout &printout, const QString &fileName, const QString &kind, int from, int to);

} // namespace delivery
