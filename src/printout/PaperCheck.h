#pragma once
// The page-format check run after the printer set-up: the form is laid out for one paper
// format, and a printer left on another one is offered the form's format back.

#include <QList>
#include <QPageSize>

class QPrinter;

namespace printout {

class TPrinter;

// Paper size codes as printer drivers number them (1 Letter, 5 Legal, 9 A4 ...); 256 is a
// custom size given by width and length in tenths of a millimetre. Orientation 1 portrait,
// 2 landscape.
inline constexpr int kPaperLetter = 1;
inline constexpr int kPaperCustom = 256;
inline constexpr int kPortrait = 1;
inline constexpr int kLandscape = 2;

struct TPaper {
    int sizeCode = kPaperLetter;
    int orientation = kPortrait;
    int width = 0;  // tenths of a millimetre, custom sizes only
    int length = 0;
};

// The process-wide default paper record, which new print jobs start from.
TPaper &DefaultPaperRecord();

// The size a paper record names (an invalid size for an unknown code or a custom size
// without dimensions), and the code of a size (0 when it has none, 256 for a custom size).
QPageSize PageSizeOf(const TPaper &paper);
int PaperCodeOf(QPageSize::PageSizeId id);
// The codes that name a standard size, in the order a list offers them.
QList<int> StandardPaperCodes();

// The printer's current paper as a code (0 when the size has no code), orientation and,
// for custom sizes, dimensions.
TPaper PrinterPaper(const QPrinter &printer);

// When printer's paper differs from the given one (dimensions compared only for code 256),
// asks the user whether to use the default format; on Yes writes it into the default paper
// record and into printer. Returns true when the printer now has the given paper.
bool EnsureDefaultPaper(TPrinter &printer, int sizeCode, int orientation, int width, int length);

} // namespace printout
