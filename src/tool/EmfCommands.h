#pragma once
// bailtool's enhanced-metafile commands.

#include <QStringList>

namespace tool {

// emf FILE.emf: the diagnostic listing of the file's records.
int Emf(const QStringList &args);
// emf-png FILE.emf OUT.png [--dpi N]: the page drawn by our player at N dots per inch.
int EmfPng(const QStringList &args);
// Whether a command draws (and so needs Qt's GUI part, offscreen when there is no display).
bool CommandNeedsGui(const QString &command);

} // namespace tool
