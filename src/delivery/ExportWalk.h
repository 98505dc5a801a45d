#pragma once
// The walk of one recorded page that the word-processor and spreadsheet exports share: every
// record with the alignment, font, pen and brush in force when it was met, the texts of the
// page body sorted into lines and columns, and the shapes, lines and stray texts beside them.
// Coordinates stay those of the recording: 0.1 mm from the sheet's corner, y negative down.

#include "printout/Metafile.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <vector>

namespace delivery {

// Points of a length in tenths of a millimetre.
inline double Points(double tenthsMm) { return tenthsMm / 100.0 * 72.0 / 2.54; }
// Rounded to the nearest integer, ties to even.
int RoundEven(double v);

struct TEmrFont {
    QString face = QStringLiteral("Arial");
    double size = 0; // em size in points; 0 for a font of no height
    int weight = 400;
    bool italic = false, underline = false;
    uint32_t color = 0; // COLORREF of the text colour in force
    bool Bold() const { return weight > 500; }
    bool operator==(const TEmrFont &) const = default;
};

inline constexpr uint32_t kNoColor = 0x1FFFFFFF; // the brush colour of a hollow brush

struct TEmrPen {
    bool present = false; // false: no pen in force, or the null pen
    int width = 0;        // 0.1 mm
    uint32_t color = 0;   // COLORREF
};

struct TEmrBrush {
    uint32_t color = 0xFFFFFF; // COLORREF, kNoColor when hollow
};

// One record of the page as the walk met it.
struct TEMRObject {
    int index = 0; // on the page, from 0
    uint32_t type = 0;
    uint32_t align = 0; // alignment flags in force (0 without any)
    TEmrFont font;
    bool hasFont = false;
    TEmrPen pen;
    TEmrBrush brush;
    QRect rect;  // left, top, right, bottom as recorded (text: its device bounds)
    QPoint ref;  // reference point of a text; the start of a line
    QSize corner; // corner ellipse of a rounded rectangle
    QString text;

    // "L", "C" or "R" from the alignment flags.
    QChar Letter() const;
};

struct TEmrLine {
    int y = 0;
    QString layout; // tab layout: one "<letter><x - 64, five digits>;" per run not at x = 64
    std::vector<const TEMRObject *> runs; // by x
};

struct TEmrColumn {
    int x = 0;
    QChar letter;
};

class TPageWalk {
public:
    // sheetPx: the sheet in printer pixels, whose height bounds the page body.
    TPageWalk(const printout::TMetafile &metafile, QSize sheetPx);

    const std::vector<TEMRObject> &Records() const { return m_records; }
    // Body texts, top of the page first, then by x.
    const std::vector<const TEMRObject *> &BodyText() const { return m_body; }
    // Shapes, lines and the texts outside the body, in recorded order.
    const std::vector<const TEMRObject *> &Other() const { return m_other; }
    const std::vector<TEmrLine> &Lines() const { return m_lines; }
    // Every distinct x of the body texts, ascending.
    const std::vector<TEmrColumn> &Columns() const { return m_columns; }
    int ColumnOf(int x) const;

private:
    std::vector<TEMRObject> m_records;
    std::vector<const TEMRObject *> m_body, m_other;
    std::vector<TEmrLine> m_lines;
    std::vector<TEmrColumn> m_columns;
};

// Text usable in an XML document: characters XML 1.0 refuses dropped, lone surrogates too.
QString XmlSafe(const QString &text);

} // namespace delivery
