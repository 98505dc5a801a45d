#pragma once
// Paragraphs painted into fixed rectangles of a window.

#include <QString>

class QPainter;

namespace ui {

// Draws text in the rectangle (left, top)-(left + width, top + height) with the painter's font
// and pen, never clipped. multiLine false: one line, centred vertically (wordWrap is then moot);
// multiLine true: "\r" and "\n" break lines, text starts at the top. centred adds horizontal
// centring, wordWrap breaks lines between words. Returns the height of the drawn text.
int DrawTextInRect(QPainter &painter, const QString &text, int left, bool wordWrap, bool centred,
                   bool multiLine, int height, int width, int top);

} // namespace ui
