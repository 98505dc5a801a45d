#pragma once
// Shared by the standard lease pages: the kinds of rows their tables hold, the few routines
// that walk those tables, and the wording of the form's long legal paragraphs.
//
// In every table a French/English pair has en == nullptr when the same text prints in both
// languages, and an empty text where the line exists in the other language only.

#include "forms/FormPrims.h"
#include "forms/PrintJob.h"

#include <span>

namespace forms::stdpages {

// A fixed text of the form.
struct TText {
    int x, y;
    int font;
    TAnchor anchor;
    const char *fr;
    const char *en;
};

// A line of the form, pen 1.
struct TLine {
    int x1, y1, x2, y2;
};

// How a field prints at its anchor (entry 9 unless a row says otherwise).
enum class TShow {
    Text,     // the display text
    Phone,    // the stored digits through FormatPhone
    DateText, // a date as "yyyy/mm/dd"
};

// room: the width the value may take before it reaches its line's end or the next label
// (centred values: the whole width about x); a wider value is drawn smaller (DrawFitted).
struct TValue {
    int x, y;
    TAnchor anchor;
    const char *field;
    int room;
    TShow show = TShow::Text;
};

// A check box bound to a boolean field.
struct TBox {
    int left, top;
    const char *field;
};

// A Yes/No pair bound to a boolean field, labels in entry 9.
struct TYesNo {
    int yesEnd, noEnd, baseline, boxTop;
    const char *field;
};

// One line of a legal paragraph. Its text alternates regular and bold pieces at each '^'
// (starting regular), in the entries regular and bold, from x on the baseline.
struct TLegalLine {
    int page;
    int x, y;
    int regular, bold;
    const char *fr;
    const char *en;
};

// The language's text of a pair.
QString Pick(const char *fr, const char *en);

void DrawTexts(TPageCanvas &canvas, std::span<const TText> texts);
void DrawLines(TPageCanvas &canvas, std::span<const TLine> lines);
// Values of row in entry 9, each kept to its room; nothing for an absent row.
void DrawValues(TPageCanvas &canvas, const TRow &row, std::span<const TValue> values);
void DrawBoxes(TPageCanvas &canvas, const TRow &row, std::span<const TBox> boxes);
void DrawYesNos(TPageCanvas &canvas, const TRow &row, std::span<const TYesNo> pairs);

// The pieces of a marked text ("a ^bold^ word") for DrawEmphasisRun; empty pieces are left out.
std::vector<TRunPiece> Pieces(const QString &marked);
// A marked text drawn as an emphasis run; returns the x after it.
int DrawMarked(TPageCanvas &canvas, int x, int baseline, const QString &marked, int regular, int bold);

// Every legal paragraph line of the four pages, and the drawing of one page's lines.
std::span<const TLegalLine> LegalLines();
void DrawLegalLines(TPageCanvas &canvas, int page);
// The x where a legal line ends in the printing language (its start when it is empty there).
int LegalLineEnd(TPageCanvas &canvas, const TLegalLine &line);

// A bullet at (300, baseline) in entry 9.
void DrawBullet(TPageCanvas &canvas, int baseline);
// A section frame with its pen, the pen back to 1 afterwards.
void DrawFrame(TPageCanvas &canvas, int left, int top, int right, int bottom, int pen);
// A band and its centred title lines (each {x, y, text}) in the band's font.
struct TBandTitle {
    int x, y;
    const char *fr;
    const char *en;
};
void DrawBand(TPageCanvas &canvas, int left, int top, int right, int bottom, std::span<const TBandTitle> titles,
              int font = 15);

// "Page n de 10" / "Page n of 10".
QString PageText(int page);

} // namespace forms::stdpages
