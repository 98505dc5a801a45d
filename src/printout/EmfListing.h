#pragma once
// The diagnostic listing of a page's records: one line per record, header and end record
// included, numbered from 1 as an enumeration of the file meets them.

#include "printout/Metafile.h"

#include <QStringList>

namespace printout {

// Lines made with "%4.4d %30s   %s": number, standard record name, detail (object handles,
// font face/points/weight, text position and characters; empty for other records).
QStringList ListingLines(const TMetafile &metafile);

} // namespace printout
