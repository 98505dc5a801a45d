#pragma once
// The spreadsheet export: each line of a recorded page becomes a row from row 5 on, each
// distinct x of the page a column, amounts become numbers with their format, and five empty
// rows separate the pages. Saved as an .xlsx workbook (not the older binary workbook the
// office automation produced) in Arial 7.5, columns fitted to their contents.

#include "delivery/ExportWalk.h"
#include "printout/PdfExport.h"

#include <QChar>
#include <QString>

#include <map>
#include <vector>

namespace delivery {

// What a cell's text turns into: a number with the traits of its format, or text.
struct TCellValue {
    bool number = false;
    double value = 0;
    QString text; // as read (trimmed), cut to 255 characters
    bool grouping = false, decimals = false, currency = false;
};

// Recognises amounts as the page shows them: "1 234.50 $", "(12)", "-3.5".
TCellValue RecognizeNumber(const QString &trimmed);
// The format as the office automation set it: "# ##0" or "###0", then the decimal separator
// and "00", then " $"; "@" for text.
QString AutomationFormat(const TCellValue &cell, QChar decimalSeparator);
// The same format in the workbook's own (locale-independent) syntax.
QString FileFormat(const TCellValue &cell);

struct TExcelCell {
    int row = 0, column = 0; // from 0
    TEmrFont font;
    TCellValue value;
    bool blank = false;
};

class TExcelExport : public printout::TExportTarget {
public:
    explicit TExcelExport(const QString &fileName) : m_fileName(fileName) {}
    void Begin(const printout::TMetafile &first, const printout::TReportMargins &margins, QSize sheetPx,
               QSize sheetSize, int orientation) override;
    void Page(int page, bool more, const printout::TMetafile &metafile) override;
    // Writes the workbook; throws EExportError.
    void End() override;

    const std::vector<TExcelCell> &Cells() const { return m_cells; }
    // Final horizontal alignment of a column: 'L' (none set), 'C' or 'R'.
    QChar ColumnAlignment(int column) const;

private:
    QString m_fileName;
    QSize m_sheetPx;
    int m_row = 4; // the next row, from 0
    std::vector<TExcelCell> m_cells;
    std::map<int, QChar> m_alignment;
};

} // namespace delivery
