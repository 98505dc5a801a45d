#pragma once
// Shared by the standard and cooperative lease pages: the kinds of rows their tables hold, the
// routines that walk those tables, the sections both forms draw alike at their own positions
// (a layout each), and the wording of the forms' long legal paragraphs.
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

// A Yes/No pair bound to a boolean field, labels in entry 9. A three-state pair marks
// neither box while the field is empty.
struct TYesNo {
    int yesEnd, noEnd, baseline, boxTop;
    const char *field;
    bool threeState = false;
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

// Every legal paragraph line of the four pages of each form, and the drawing of one page's lines.
std::span<const TLegalLine> LegalLines();
std::span<const TLegalLine> CoopLegalLines();
void DrawLegalLines(TPageCanvas &canvas, int page);
void DrawLegalLines(TPageCanvas &canvas, std::span<const TLegalLine> lines, int page);
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

// Text in entry font at x; returns the x after it.
int Label(TPageCanvas &canvas, int x, int baseline, const QString &text, int font = 9);
bool English();

// ---- Page 1 ----

// The corner triangle with "Partie 1" along its diagonal, its font turned by escapement.
void DrawCorner(TPageCanvas &canvas, int escapement);

// The white-on-black title block and the lease number beside it.
struct TTitleLayout {
    int bottom, centreX;
    int leaseFont, leaseY;
    int formFont, formY;
    bool formHangs; // the form's name hangs from formY instead of standing on it
    int formShrink; // the width the name is shrunk to, 0 for none
    const char *thirdFr, *thirdEn;
    int thirdY;
};
void DrawTitleBlock(TPageCanvas &canvas, const TRow &lease, const TTitleLayout &layout);

// The labels, lines and values of one lessee's column (which: 1 or 2).
struct TLesseeLayout {
    int heading, name, address, municipality, codeTop, telTop, telBottom;
    int nameLine, addressLine, municipalityLine, telLine; // telLine 0: none
    int phones;                                           // baseline of the two telephones
};
void DrawLessee(TPageCanvas &canvas, const TRow &lease, const TLesseeLayout &layout, int which);

// Section B without the residential-purpose lines and the furniture grid.
struct TDwellingLayout {
    int address, numberLineEnd, streetX, streetLineEnd, aptX; // numberLineEnd 0: a 200 line; streetX 0: after it
    int municipality, municipalityLineEnd;
    int rooms;
    int parking[2], parkingBoxTop[2];
    int locker, lockerBoxTop;
    int other;
    int condition;
};
void DrawDwelling(TPageCanvas &canvas, const TRow &lease, const TDwellingLayout &layout);

// ---- Section C: the term ----

struct TTermLayout {
    int headX;
    int fixedHead, term, end, usually, orY, indeterminateHead, indeterminate, run, second;
    const char *runFr, *runEn;       // the stressed sentence that the lessor may not end the lease
    const char *secondFr, *secondEn; // its second line
};
void DrawTerm(TPageCanvas &canvas, const TRow &lease, const TTermLayout &layout);

// ---- Section D: the rent (its legal lines are drawn with the page's) ----

struct TRentLayout {
    int rent, rentBoxTop, other, total2;
    int dateHead, first, part1, part2, others, othersBoxTop, weekBoxTopEn, other2;
    int methodHead, postdated, methodSentence, methods, methodBoxTop;
    int placeHead, domicile, place, placeCaption, proofHead, receipt;
    const char *postdatedFr, *postdatedEn; // the lessor who may not require a postdated cheque
    const char *placeFr, *placeEn;         // the place of payment's label (the forms word it apart)
};
void DrawRentSection(TPageCanvas &canvas, const TRow &lease, const TRentLayout &layout);

// ---- Section E ----

struct TJanitorLayout {
    int janitor, boxTop, detail, detailCaption, phone, phoneSecondFr;
};
void DrawJanitor(TPageCanvas &canvas, const TRow &lease, const TJanitorLayout &layout);

struct TBylawsLayout {
    int head, run, runEnd, exist, existBoxTop, given, givenBoxTop, date, dateCaption;
    bool givenThreeState;
    const char *headFr, *headEn, *runFr, *runEn;
};
void DrawBylaws(TPageCanvas &canvas, const TRow &lease, const TBylawsLayout &layout);

struct TWorksLayout {
    int head, sentence, before, during;
    int values[4], lines[4]; // E_AVANT1, E_AVANT2, E_COURS1, E_COURS2
    const char *sentenceFr, *sentenceEn;
};
void DrawWorks(TPageCanvas &canvas, const TRow &lease, const TWorksLayout &layout);

struct TServicesLayout {
    int head, borneBy, firstRow;
    int leftBoxes[2], rightX, rightBoxes[2];
    const char *borneByFr, *borneByEn;
    std::span<const TText> columnHeads;
};
void DrawServices(TPageCanvas &canvas, const TRow &lease, const TServicesLayout &layout);

struct TConditionsLayout {
    int head, access, accessBoxTop, details1, animals, animalsBoxTop, details2, othersHead;
    int others[3];
};
void DrawConditions(TPageCanvas &canvas, const TRow &lease, const TConditionsLayout &layout);

// ---- Sections F and G ----

// "...l'habitation le " and a date line 670 long ending with a period.
void DrawReadyDate(TPageCanvas &canvas, int baseline, const char *fr, const char *en, const QDate &date);
// The lowest rent of the notice to a new lessee, its three period boxes and the other period.
void DrawNoticeRent(TPageCanvas &canvas, const TRow &lease, int baseline, int boxTop);
// Bands drawn together, then their titles in the font the first title was shrunk to.
struct TBandBox {
    int left, top, right, bottom;
};
void DrawShrunkTitles(TPageCanvas &canvas, std::span<const TBandBox> bands, std::span<const TBandTitle> titles,
                      int shrinkWidth);

// Legal sentences both forms print alike.
extern const char *const kCourtMayRuleFr;
extern const char *const kCourtMayRuleEn;
extern const char *const kJoinPartsFr[2];
extern const char *const kJoinPartsEn[2];

} // namespace forms::stdpages
