#include "ui/DrawText.h"

#include "ui/MessageBoxes.h"

#include <QPainter>

namespace ui {

int DrawTextInRect(QPainter &painter, const QString &text, int left, bool wordWrap, bool centred,
                   bool multiLine, int height, int width, int top)
{
    int flags = Qt::TextDontClip | (centred ? Qt::AlignHCenter : Qt::AlignLeft);
    if (multiLine)
        flags |= Qt::AlignTop | (wordWrap ? Qt::TextWordWrap : 0);
    else
        flags |= Qt::TextSingleLine | Qt::AlignVCenter;
    QRect drawn;
    painter.drawText(QRect(left, top, width, height), flags, multiLine ? LineBreaks(text) : text,
                     &drawn);
    return drawn.height();
}

} // namespace ui
