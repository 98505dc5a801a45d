#pragma once
// Helpers of the user-interface tests: the one application object, pictures of widgets.

#include <QApplication>
#include <QImage>
#include <QString>
#include <QWidget>

namespace uitest {

// Created on first use and kept to the end of the process (widgets may outlive any test).
inline QApplication &App()
{
    static int argc = 1;
    static char name[] = "ui_tests";
    static char *argv[] = {name, nullptr};
    static QApplication *app = new QApplication(argc, argv);
    return *app;
}

// The widget as it would appear on screen, at one device pixel per logical pixel.
inline QImage Picture(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace uitest
