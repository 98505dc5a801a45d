#pragma once
// Names of the controls for assistive technologies (screen readers, programs driving the
// user interface through its accessibility tree). Qt names a control by its own text or by
// a label that is its buddy; the controls of this system that show no text of their own
// (glyph buttons, fields inside forms laid out as running text) get their name here.

#include <QString>

class QWidget;

namespace ui {

// Gives every button, edit and combo box of window (window included) that has no name yet
// the text that names it on screen: a button its hint (tool tip), a field the caption laid
// out beside it (the label before it on its line, else the label under it). Names given
// here are given again on the next call, so they follow a change of language; names given
// by the windows themselves are left alone.
void NameControls(QWidget &window);

// The name an assistive technology reads for widget (empty when it has none).
QString AccessibleName(QWidget &widget);

} // namespace ui
