#pragma once
// Printout files (.krp) and the archive from the command line.

#include <QStringList>

namespace tool {

// krp FILE.krp: the header fields, the page count and, per page, its recipients and the
// number of records of its metafile.
int Krp(const QStringList &args);
// make-archive DIR: empty archive tables (KelArch, KelDocLk) with their tags, for the folder
// the program's Archive/Folder setting names.
int MakeArchive(const QStringList &args);

} // namespace tool
