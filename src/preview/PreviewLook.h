#pragma once
// The preview's look: its own button images, drawn by the program at 20 x 20 pixels so that
// they sit in the 30-pixel toolbar buttons unscaled, and the calm gradient behind the toolbar
// and the panels.

#include <QImage>
#include <QString>

namespace ui {
class TKelGradient;
}

namespace preview {

// The image of the toolbar or panel button of that control name; null for a name without one.
QImage ToolbarGlyph(const QString &buttonName);

// White at the top to the button face at the bottom.
void UsePanelGradient(ui::TKelGradient &panel);

} // namespace preview
