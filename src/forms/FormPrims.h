#pragma once
// The drawing vocabulary of the form pages: the form font table and its fitting to the
// printer, the French/English choice, and the small elements every page repeats (section
// letters and bands, check boxes, Yes/No pairs, fill-in and date lines, amounts, star
// fills, telephone numbers, emphasis runs, page footers).
//
// Positions are form coordinates: tenths of a millimetre from the sheet's top-left corner,
// y downward. The primitives draw them at (x, -y) on the page's y-up surface.

#include <QDate>
#include <QImage>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace printout {
class TPageCanvas;
}

namespace forms {

using printout::TPageCanvas;

// One entry of the form font table.
struct FontRecord {
    int nominalHeight;  // character-cell height, page units
    const char *face;
    int fittedHeight;   // set by CalibrateFormFonts; 0 until then
    bool bold;
    bool italic;
    int referenceWidth; // width of the reference sentence at the nominal height
};

inline constexpr int kFormFontCount = 39;

// The sentence whose width the reference widths give.
QString ReferenceSentence();

// The table, indexed 1 to 39 (entry 0 unused).
const FontRecord &FormFont(int index);

// Fits every entry to the printer (or the virtual device): from the nominal height down,
// the first height at which the reference sentence is no wider than the reference width.
// The loop stops at height 1 whatever the font.
void CalibrateFormFonts();
// The same with another measure of the reference sentence: its width at a height in an
// entry's face and style (a printer whose substitute for a face is wider, in tests).
using TSentenceMeasure = std::function<double(const FontRecord &entry, int height)>;
void CalibrateFormFonts(const TSentenceMeasure &measure);
// The fitted heights, for tests and listings (index 1 to 39).
int FittedHeight(int index);

// Face, fitted height (nominal before any calibration) and style of an entry.
void SetFormFont(TPageCanvas &canvas, int index);

// The month's name in the printing language ("janvier" / "January"); empty outside 1 to 12.
QString MonthName(int month);

// The day, month name and year of a date on a date line starting at x; nothing for an
// invalid (empty) date. Current font and alignment.
void DrawDate(TPageCanvas &canvas, int x, int baseline, const QDate &date);
// The date line at running x: the line, the two slashes, the date and the captions
// (captionMonthOffset 130 or 150, captionYearOffset 510 or 530 as the page gives).
void DrawDateLine(TPageCanvas &canvas, int x, int baseline, const QDate &date, int captionMonthOffset = 130,
                  int captionYearOffset = 510);

// A rent or other amount with its dollar sign and its line, French or English layout.
// Leaves entry 13 (French) or 9 (English) selected.
void DrawAmount(TPageCanvas &canvas, int x, int baseline, bool starFill, double amount);
// Stars (and one blank) added around text while it stays narrower than width in the current
// font: side 0 on the right, 2 on the left, anything else both sides.
QString StarFill(TPageCanvas &canvas, const QString &text, int width, int side);
// "(ddd) ddd-dddd" from a text padded on the left with blanks to ten characters.
QString FormatPhone(const QString &text);
// Lowers the canvas font until text fits width (never below 1); returns the height.
int ShrinkFontToWidth(TPageCanvas &canvas, const QString &text, int width);

// The 82-unit square with a section letter, white on black (outlined under save-toner).
void DrawSectionLetter(TPageCanvas &canvas, int left, int top, const QString &letter);
// The band of a section title: the box, then the state for its centred title lines
// (entry fontIndex, baseline-centre, band colours). EndSectionBand restores the normal state.
void BeginSectionBand(TPageCanvas &canvas, int left, int top, int right, int bottom, int fontIndex = 15);
void EndSectionBand(TPageCanvas &canvas);
// A 35-unit check box, crossed when marked.
void DrawCheckBox(TPageCanvas &canvas, int left, int top, bool marked);
// "Oui"/"Yes" ending at x1 and "Non"/"No" ending at x2 on baseline, each followed by a
// check box 10 units right whose top is boxTop; "Non" is marked unless value is true.
void DrawYesNo(TPageCanvas &canvas, int x1, int x2, int baseline, int boxTop, bool value);
// The same pair for a field that may be empty: neither box is marked then.
void DrawYesNoOrNeither(TPageCanvas &canvas, int x1, int x2, int baseline, int boxTop, std::optional<bool> value);
// A label at (x, baseline), then a line from its end to lineEnd, below units under the
// baseline. Returns the x where the line starts.
int DrawFillInLine(TPageCanvas &canvas, int x, int baseline, const QString &label, int lineEnd, int below = 4);

// One piece of an emphasis run: its text and whether it is the bold one.
struct TRunPiece {
    QString text;
    bool bold;
};
// The pieces on one baseline from x, alternating regularIndex and boldIndex; returns the
// x after the last piece.
int DrawEmphasisRun(TPageCanvas &canvas, int x, int baseline, const std::vector<TRunPiece> &pieces,
                    int regularIndex, int boldIndex);

// Footer of the first page of the lease (and of the Annex), with the emblem; and of the
// other pages. pageText is "Page 2 de 10" and the like, already in the printing language.
// The Annex moves the government lines and the initials line a little (textX and the rest).
void DrawFirstPageFooter(TPageCanvas &canvas, const QString &pageText, int textX = 210, int captionRight = 1650,
                         int lineLeft = 1658, int lineRight = 2053);
void DrawPageFooter(TPageCanvas &canvas, const QString &pageText, int dy = 0, int centreX = 1090,
                    int captionRight = 1650, int lineLeft = 1658, int lineRight = 2053);

// The emblem of the first pages: a neutral square picture of our own.
const QImage &Emblem();

// The normal state every primitive returns to: black text, white hollow brush,
// baseline-left alignment.
void RestoreNormalState(TPageCanvas &canvas);
// Text at a form position with an alignment (baseline-left, -centre or -right).
enum class TAnchor { Left, Centre, Right };
void DrawText(TPageCanvas &canvas, int x, int baseline, const QString &text, TAnchor anchor = TAnchor::Left);
// The same for a field value that has width units of room: in the current font, lowered
// with ShrinkFontToWidth when the value is wider, so that it never reaches the next label or
// the frame. The font height is back afterwards.
void DrawFitted(TPageCanvas &canvas, int x, int baseline, const QString &text, int width,
                TAnchor anchor = TAnchor::Left);
// A line and a box in form coordinates.
void DrawLine(TPageCanvas &canvas, int x1, int y1, int x2, int y2);
void DrawBox(TPageCanvas &canvas, int left, int top, int right, int bottom);

} // namespace forms
