#pragma once
// The four pages of the cooperative lease form: the standard pages' sections at the
// cooperative form's positions, with the cooperative in the lessor's place, the lessees'
// membership, one more restriction case and the sections spread differently over the pages.

#include "forms/PrintJob.h"

namespace forms {

void PaintCoopPage1(const TLeaseRows &rows, printout::TPrintout &printout);
void PaintCoopPage2(const TLeaseRows &rows, printout::TPrintout &printout);
void PaintCoopPage3(const TLeaseRows &rows, printout::TPrintout &printout);
void PaintCoopPage4(const TLeaseRows &rows, printout::TPrintout &printout);

} // namespace forms
