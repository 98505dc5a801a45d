#include "delivery/ExcelExport.h"

#include "delivery/DocumentExport.h"
#include "pdf/FontEngine.h"

#include <QFile>
#include <QLocale>

#include <xlsxwriter.h>

#include <clocale>
#include <cmath>
#include <map>
#include <string>

namespace delivery {

namespace {

bool Digit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// The first characters of text, never splitting a surrogate pair.
QString Cut(const QString &text, int count)
{
    qsizetype units = 0;
    for (int n = 0; n < count && units < text.size(); ++n)
        units += text[units].isHighSurrogate() && units + 1 < text.size() ? 2 : 1;
    return text.left(units);
}

// The workbook's numbers are written with the C library's numeric conventions, which Qt set
// to the user's: a comma there makes the file unreadable.
class TNumericLocale {
public:
    TNumericLocale()
    {
        if (const char *now = std::setlocale(LC_NUMERIC, nullptr))
            m_saved = now;
        std::setlocale(LC_NUMERIC, "C");
    }
    ~TNumericLocale() { std::setlocale(LC_NUMERIC, m_saved.empty() ? "C" : m_saved.c_str()); }

private:
    std::string m_saved;
};

constexpr double kSheetFontSize = 7.5;

} // namespace

TCellValue RecognizeNumber(const QString &trimmed)
{
    TCellValue cell;
    cell.text = Cut(trimmed, 255);
    QString candidate = trimmed;
    const bool negative = candidate.size() >= 2 && candidate.startsWith(QLatin1Char('(')) && candidate.endsWith(QLatin1Char(')'));
    if (negative)
        candidate = candidate.mid(1, candidate.size() - 2).trimmed();
    if (candidate.isEmpty())
        return cell;
    const QChar last = candidate.back(), first = candidate.front();
    if (!(Digit(last) || last == QLatin1Char('$')) || !(Digit(first) || first == QLatin1Char('-')))
        return cell;
    const bool currency = last == QLatin1Char('$');
    const qsizetype blank = candidate.indexOf(QLatin1Char(' '));
    const bool grouping = blank >= 1 && Digit(candidate[blank - 1]) && candidate.size() - blank - 1 > 2
                          && Digit(candidate[blank + 1]);
    QString digits;
    for (QChar c : candidate) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('$'))
            digits += c;
    }
    if (negative)
        digits.prepend(QLatin1Char('-'));
    for (qsizetype i = 0; i < digits.size(); ++i) {
        const QChar c = digits[i];
        if (!(Digit(c) || c == QLatin1Char('.') || (i == 0 && (c == QLatin1Char('-') || c == QLatin1Char('+')))))
            return cell;
    }
    // "-" or "1.2.3" pass the character test but are no numbers.
    bool ok = false;
    const double value = QLocale::c().toDouble(digits, &ok);
    if (!ok || !std::isfinite(value))
        return cell;
    cell.number = true;
    cell.value = value;
    cell.grouping = grouping;
    cell.decimals = digits.contains(QLatin1Char('.'));
    cell.currency = currency;
    return cell;
}

QString AutomationFormat(const TCellValue &cell, QChar decimalSeparator)
{
    if (!cell.number)
        return QStringLiteral("@");
    QString f = cell.grouping ? QStringLiteral("# ##0") : QStringLiteral("###0");
    if (cell.decimals)
        f += decimalSeparator + QStringLiteral("00");
    if (cell.currency)
        f += QStringLiteral(" $");
    return f;
}

QString FileFormat(const TCellValue &cell)
{
    if (!cell.number)
        return QStringLiteral("@");
    QString f = cell.grouping ? QStringLiteral("#,##0") : QStringLiteral("0");
    if (cell.decimals)
        f += QStringLiteral(".00");
    if (cell.currency)
        f += QStringLiteral(" $");
    return f;
}

void TExcelExport::Begin(const printout::TMetafile &, const printout::TReportMargins &, QSize sheetPx, QSize, int)
{
    m_sheetPx = sheetPx;
    m_row = 4;
    m_cells.clear();
    m_alignment.clear();
}

void TExcelExport::Page(int, bool, const printout::TMetafile &metafile)
{
    const TPageWalk walk(metafile, m_sheetPx);
    for (const TEmrLine &line : walk.Lines()) {
        for (const TEMRObject *run : line.runs) {
            TExcelCell cell;
            cell.row = m_row;
            cell.column = walk.ColumnOf(run->ref.x());
            cell.font = run->font;
            const QString text = XmlSafe(run->text).trimmed();
            cell.blank = text.isEmpty();
            if (!cell.blank)
                cell.value = RecognizeNumber(text);
            m_cells.push_back(std::move(cell));
        }
        ++m_row;
    }
    // A page's centred and right-aligned columns align the whole column, earlier pages too.
    const std::vector<TEmrColumn> &columns = walk.Columns();
    for (size_t c = 0; c < columns.size(); ++c) {
        if (columns[c].letter != QLatin1Char('L'))
            m_alignment[int(c)] = columns[c].letter;
    }
    m_row += 5;
}

QChar TExcelExport::ColumnAlignment(int column) const
{
    auto found = m_alignment.find(column);
    return found == m_alignment.end() ? QLatin1Char('L') : found->second;
}

void TExcelExport::End()
{
    const TNumericLocale numeric;
    const QString path = m_fileName;
    auto fail = [&](const QString &why) {
        throw EExportError(QStringLiteral("Le fichier %1 ne peut pas être écrit (%2).").arg(path, why),
                           QStringLiteral("The file %1 cannot be written (%2).").arg(path, why));
    };
    lxw_workbook *book = workbook_new(QFile::encodeName(path).constData());
    if (!book)
        fail(QStringLiteral("workbook"));
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    if (!sheet) {
        workbook_close(book);
        fail(QStringLiteral("worksheet"));
    }

    std::map<QString, lxw_format *> formats;
    auto formatOf = [&](const TEmrFont *font, const QString &numberFormat, QChar align) {
        const double size = font && font->size > 0 ? std::round(font->size * 2) / 2 : kSheetFontSize;
        const QString face = font ? font->face : QStringLiteral("Arial");
        const bool bold = font && font->Bold(), italic = font && font->italic, underline = font && font->underline;
        const QString key = QStringLiteral("%1|%2|%3%4%5|%6|%7").arg(face).arg(size).arg(bold).arg(italic).arg(underline)
                                .arg(numberFormat).arg(align);
        auto found = formats.find(key);
        if (found != formats.end())
            return found->second;
        lxw_format *f = workbook_add_format(book);
        format_set_font_name(f, face.toUtf8().constData());
        format_set_font_size(f, size);
        if (bold)
            format_set_bold(f);
        if (italic)
            format_set_italic(f);
        if (underline)
            format_set_underline(f, LXW_UNDERLINE_SINGLE);
        if (!numberFormat.isEmpty())
            format_set_num_format(f, numberFormat.toUtf8().constData());
        if (align == QLatin1Char('C'))
            format_set_align(f, LXW_ALIGN_CENTER);
        else if (align == QLatin1Char('R'))
            format_set_align(f, LXW_ALIGN_RIGHT);
        formats.emplace(key, f);
        return f;
    };

    // Widths fitted to the widest text of each column, as the page's fonts measure it.
    std::map<int, int> widths; // column -> pixels
    for (const TExcelCell &cell : m_cells) {
        if (cell.column < 0 || cell.column > 16383 || cell.row > 1048575)
            continue;
        const QChar align = ColumnAlignment(cell.column);
        lxw_error result = LXW_NO_ERROR;
        if (cell.blank) {
            result = worksheet_write_blank(sheet, lxw_row_t(cell.row), lxw_col_t(cell.column), formatOf(&cell.font, {}, align));
        } else if (cell.value.number) {
            result = worksheet_write_number(sheet, lxw_row_t(cell.row), lxw_col_t(cell.column), cell.value.value,
                                            formatOf(&cell.font, FileFormat(cell.value), align));
        } else {
            result = worksheet_write_string(sheet, lxw_row_t(cell.row), lxw_col_t(cell.column),
                                            cell.value.text.toUtf8().constData(),
                                            formatOf(&cell.font, QStringLiteral("@"), align));
        }
        if (result != LXW_NO_ERROR) {
            workbook_close(book);
            QFile::remove(path);
            fail(QString::fromLocal8Bit(lxw_strerror(result)));
        }
        if (cell.blank)
            continue;
        const double size = cell.font.size > 0 ? cell.font.size : kSheetFontSize;
        const pdf::TFontFace *face = pdf::TFontEngine::Instance().Face(cell.font.face, cell.font.Bold(), cell.font.italic);
        double points = 0;
        for (char32_t c : cell.value.text.toUcs4())
            points += face ? face->Advance(c, size) : size * 0.556;
        const int px = int(std::ceil(std::min(points, 1e5) * 96 / 72)) + 7;
        int &width = widths[cell.column];
        width = std::max(width, std::min(px, 1790)); // 255 characters, the most a column takes
    }
    // Every column in Arial 7.5: used ones fitted, the gaps between them at the usual width.
    lxw_format *base = formatOf(nullptr, {}, QLatin1Char('L'));
    int next = 0;
    for (const auto &[column, px] : widths) {
        if (column > next)
            worksheet_set_column(sheet, lxw_col_t(next), lxw_col_t(column - 1), LXW_DEF_COL_WIDTH, base);
        worksheet_set_column_pixels(sheet, lxw_col_t(column), lxw_col_t(column), uint32_t(px),
                                    formatOf(nullptr, {}, ColumnAlignment(column)));
        next = column + 1;
    }
    if (next <= 16383)
        worksheet_set_column(sheet, lxw_col_t(next), 16383, LXW_DEF_COL_WIDTH, base);

    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR) {
        QFile::remove(path);
        fail(QString::fromLocal8Bit(lxw_strerror(closed)));
    }
}

} // namespace delivery
