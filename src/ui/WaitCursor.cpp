#include "ui/WaitCursor.h"

#include <QApplication>
#include <QCursor>

namespace ui {

TWaitCursor::TWaitCursor()
{
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

TWaitCursor::~TWaitCursor()
{
    QApplication::restoreOverrideCursor();
}

} // namespace ui
