#pragma once
// bailtool pdf: one PDF page per enhanced metafile, through the printout export.

#include <QStringList>

namespace tool {

// args: OUT.pdf IN1.emf [IN2.emf ...]. The sheet is the first file's reference device.
int Pdf(const QStringList &args);

} // namespace tool
