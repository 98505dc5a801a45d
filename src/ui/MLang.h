#pragma once
// The translation component the windows carry: TBaseMultiLang's word-list walk applied to
// the Qt counterparts of the controls it knows, by the first kind that matches:
//
//   QListWidget                     items: own row item 0, continuation rows the next ones;
//                                   items beyond the rows read become empty
//   TDBRadioGroup, radio QGroupBox  title from the own row, item 0 from the row right after
//                                   (whatever its name), further items from continuation rows
//                                   (a radio QGroupBox: a group box whose radio buttons are
//                                   its children and have no objectName)
//   TDBGrid                         column titles; columns beyond the rows read keep theirs
//   QComboBox (TDBComboBox, month   items as a list box, the selected index kept
//   lists)
//   a field of a TTable child       display label (named as ui::FieldComponentName gives)
//   TDBNavigator                    hints in button order, own row first
//   the owner window                caption
//   QPlainTextEdit, QTextEdit       lines, as list items
//   QTabWidget, QTabBar             tabs, as list items
//   QTreeWidget                     node texts in depth-first order, sorting off meanwhile
//   QStatusBar                      message from the own row, then the texts of its QLabel
//                                   panels; panels beyond the rows read keep theirs
//   QFileDialog                     title from the own row, name filters from the next
//                                   ("Text files|*.txt|All|*" pairs)
//   QAction, QMenu                  text (title)
//   any other                       text of labels, buttons and group boxes from the own row;
//                                   then the text of a plain QLineEdit (no input mask, not a
//                                   TDBEdit) from the next text
//
// Then the hint (tool tip) of any widget or action from a following hint row. Edits
// (line edits, memos) are translated with teAlways, or with teReadOnly when read-only; a
// button with a default action only with teAlways.

#include "ui/MLBase.h"

namespace ui {

class TMultiLang : public TBaseMultiLang {
    Q_OBJECT
public:
    explicit TMultiLang(QWidget *owner);

protected:
    void TranslateComponent(QObject &component, int &position) override;
    bool TranslateUnnamed(const QString &name, int &position) override;

private:
    bool MayTranslate(QObject &component) const;
    // Reads a list-like property: the first item from the row at position (whatever its
    // name), the next ones from continuation rows, at most count items.
    QStringList TakeList(int &position, int count);
};

} // namespace ui
