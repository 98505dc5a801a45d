#include "ui/WaitCursor.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QCursor>

namespace ui {

namespace {

// Command-line runs have no cursor to show (and no GUI application to show it).
bool HasCursor()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

} // namespace

TWaitCursor::TWaitCursor()
    : m_shown(HasCursor())
{
    if (m_shown)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

TWaitCursor::~TWaitCursor()
{
    if (m_shown)
        QGuiApplication::restoreOverrideCursor();
}

} // namespace ui
