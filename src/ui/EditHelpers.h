#pragma once
// Set-up shared by the lease windows: dotted edit masks on their fields, and check boxes
// that show a focus frame around themselves.

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

#include <functional>

class QKeyEvent;
class QWidget;

namespace dataset {
class TDBCheckBox;
class TField;
class TTable;
}

namespace ui {

// Name of the component a field stands for: the table's object name (or, when it has none,
// its file name without folder and extension), '_' and the field name, e.g. "BailStd_D_LOYER".
QString FieldComponentName(const dataset::TField &field);

// Every text and date field of the open table, except BailStd_D_LOYER (the rent keeps its
// own format), shows '.' in unfilled positions: an existing mask gets '.' as its last
// character; a field without one gets one optional any-character position per character
// of its width and ";0;." (a date field has width 0).
void ApplyDottedEditMasks(dataset::TTable &table);

// The key filter of amount edits (a QLineEdit): 'e' and 'E' refused, '.' and ',' typed as
// the system's decimal separator, or refused when the text holds one. True: the key is taken.
bool AmountKeyFilter(QObject *edit, QKeyEvent *event);

using TCheckBoxAction = std::function<void(dataset::TDBCheckBox &)>;
// For every check box inside window whose class is exactly TDBCheckBox (subclasses are left
// alone): enter and exit actions set, size 15 x 15.
void HookCheckBoxes(QWidget &window, TCheckBoxAction enter, TCheckBoxAction exit);

// The dotted frame a window draws around its active control, remembered by the window so
// that it can take it away again. The frame is a small overlay on the control's parent,
// transparent to the mouse, so the controls under it paint as usual.
class TFocusFrame : public QObject {
    Q_OBJECT
public:
    // A frame of window (its QObject child); nothing is shown yet.
    explicit TFocusFrame(QWidget &window);
    ~TFocusFrame() override;

    // Frames the window's active control, one pixel wider on every side, on the control's
    // parent; a frame shown elsewhere goes away. Nothing when no control is active.
    void Draw();
    // Takes the remembered frame away; nothing when none is shown.
    void Erase();

    // The remembered frame in its parent's coordinates, and that parent; null when none.
    QRect Rect() const { return m_rect; }
    QWidget *FrameParent() const;

    // HookCheckBoxes with Draw and Erase of this frame as the enter and exit actions.
    void HookCheckBoxes();

private:
    QWidget &m_window;
    QPointer<QWidget> m_overlay; // child of the framed control's parent while shown
    QRect m_rect;                // remembered frame; null when none is shown
};

} // namespace ui
