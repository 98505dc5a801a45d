#pragma once
// bailtool's export command: a printout file, or the pages of one lease of a data folder, as a
// word-processing document, a spreadsheet or a PDF file, the same export the preview makes.

#include <QStringList>

namespace tool {

// export (FILE.krp | DIR --lease NOBAIL) (--docx | --xlsx | --pdf) OUT: writes OUT (the record
// listing goes to emf.txt in the current directory, as every export does) and prints its name.
int Export(const QStringList &args);

} // namespace tool
