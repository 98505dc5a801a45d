#pragma once
// The four pages of the standard lease form. Each draws one form page of the lease on the
// printout's current page, in the printing language, following the painter contract of
// forms/PrintJob.h.

#include "forms/PrintJob.h"

namespace forms {

void PaintStdPage1(const TLeaseRows &rows, printout::TPrintout &printout);
void PaintStdPage2(const TLeaseRows &rows, printout::TPrintout &printout);
void PaintStdPage3(const TLeaseRows &rows, printout::TPrintout &printout);
void PaintStdPage4(const TLeaseRows &rows, printout::TPrintout &printout);

} // namespace forms
