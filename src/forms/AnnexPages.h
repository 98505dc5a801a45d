#pragma once
// The printed Annex of a lease for elderly or handicapped persons: eight pages after the four
// lease pages, numbered 1 to 8 of their own. Painters follow the contract of forms/PrintJob.h
// and read the annex row only.

#include "forms/FormPrims.h"
#include "forms/PrintJob.h"

#include <span>

namespace forms {

// The list-of-services box with its band and three column heads, from top to bottom;
// continued: the band says the list goes on from an earlier page.
void DrawServicesHeader(TPageCanvas &canvas, int top, int bottom, bool continued);

// The text that fixes the column heads' size in both languages, and the width it must fit.
QString ServicesHeadFitText();
inline constexpr int kServicesHeadWidth = 290;

// One line of an explanatory paragraph: '^' toggles bold, '~' toggles italic (Times entries
// 37, 38 and 39). right is the x the line may not pass.
struct TAnnexProse {
    int page;
    int x, y, right;
    const char *fr;
    const char *en;
};
std::span<const TAnnexProse> AnnexProse();
// The x where a prose line ends in the printing language.
int AnnexProseEnd(TPageCanvas &canvas, const TAnnexProse &line);

void PaintAnnexPage1(const TLeaseRows &rows, printout::TPrintout &printout);
void PaintAnnexPage2(const TLeaseRows &rows, printout::TPrintout &printout);
void PaintAnnexPage3(const TLeaseRows &rows, printout::TPrintout &printout);
void PaintAnnexPage4(const TLeaseRows &rows, printout::TPrintout &printout);
void PaintAnnexPage5(const TLeaseRows &rows, printout::TPrintout &printout);
void PaintAnnexPage6(const TLeaseRows &rows, printout::TPrintout &printout);
void PaintAnnexPage7(const TLeaseRows &rows, printout::TPrintout &printout);
void PaintAnnexPage8(const TLeaseRows &rows, printout::TPrintout &printout);

} // namespace forms
