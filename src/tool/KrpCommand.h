#pragma once
// Printout files (.krp) from the command line: what one holds, listed.

#include <QStringList>

namespace tool {

// krp FILE.krp: the header fields, the page count and, per page, its recipients and the
// number of records of its metafile.
int Krp(const QStringList &args);

} // namespace tool
