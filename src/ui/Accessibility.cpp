#include "ui/Accessibility.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QTextDocumentFragment>

namespace ui {

namespace {

// The name this file gave a widget: told apart from a name its window gave it.
const char kGivenName[] = "ui_givenAccessibleName";

// "&File" reads "File", "R&&D" reads "R&D".
QString StripMnemonic(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && ++i == text.size())
            break;
        out += text[i];
    }
    return out;
}

QString LabelText(const QLabel &label)
{
    QString text = label.text();
    if (label.textFormat() == Qt::RichText || (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(text)))
        text = QTextDocumentFragment::fromHtml(text).toPlainText();
    else if (label.buddy())
        text = StripMnemonic(text);
    return text.simplified();
}

bool IsButton(QWidget *w) { return qobject_cast<QAbstractButton *>(w) != nullptr; }

// Buttons, edits and combo boxes; an edit that is part of a combo or spin box is not one.
bool IsControl(QWidget *w)
{
    if (qobject_cast<QComboBox *>(w) || IsButton(w))
        return true;
    return qobject_cast<QLineEdit *>(w) && !qobject_cast<QComboBox *>(w->parentWidget())
        && !qobject_cast<QAbstractSpinBox *>(w->parentWidget());
}

// A button's text that says nothing by itself: none, one character, or only signs.
bool GlyphText(const QString &text)
{
    if (text.size() < 2)
        return true;
    for (QChar c : text)
        if (c.isLetterOrNumber())
            return false;
    return true;
}

// The name the widget has without this file's help: its own name, its text (a button's
// words), a label that is its buddy, the title of the group box around it.
QString OwnName(QWidget *w)
{
    if (!w->accessibleName().isEmpty())
        return w->accessibleName();
    if (auto *b = qobject_cast<QAbstractButton *>(w)) {
        const QString text = StripMnemonic(b->text()).simplified();
        if (!GlyphText(text))
            return text;
    }
    if (QWidget *parent = w->parentWidget()) {
        for (QObject *o : parent->children())
            if (auto *label = qobject_cast<QLabel *>(o); label && label->buddy() == w && !LabelText(*label).isEmpty())
                return LabelText(*label);
        if (auto *group = qobject_cast<QGroupBox *>(parent); group && !group->title().isEmpty())
            return StripMnemonic(group->title());
    }
    return QString();
}

QLayout *LayoutHolding(QLayout *layout, QWidget *w, int &index)
{
    if (!layout)
        return nullptr;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (item->widget() == w) {
            index = i;
            return layout;
        }
        if (QLayout *inner = item->layout())
            if (QLayout *found = LayoutHolding(inner, w, index))
                return found;
    }
    return nullptr;
}

QString CaptionOf(QLayoutItem *item)
{
    auto *label = item ? qobject_cast<QLabel *>(item->widget()) : nullptr;
    return label && !label->isHidden() ? LabelText(*label) : QString();
}

// What the user fills in: edits, combo boxes, check boxes and radio buttons.
bool IsField(QWidget *w)
{
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        return b->isCheckable();
    return IsControl(w);
}

bool HoldsField(QLayout &layout);

bool HoldsField(QLayoutItem *item)
{
    if (!item)
        return false;
    if (QWidget *w = item->widget()) {
        if (IsField(w))
            return true;
        for (QWidget *inner : w->findChildren<QWidget *>())
            if (IsField(inner))
                return true;
        return false;
    }
    return item->layout() && HoldsField(*item->layout());
}

bool HoldsField(QLayout &layout)
{
    for (int i = 0; i < layout.count(); ++i)
        if (HoldsField(layout.itemAt(i)))
            return true;
    return false;
}

// The caption of the widget at index of layout: in a grid the label to its left on its
// row, else the one under it, else above it; in a line or column the nearest label before
// it, else the nearest after it. A check box reads the text after it first, up to the next
// field, as its own text would be placed.
QString CaptionInLayout(QLayout &layout, int index, bool textAfter)
{
    if (auto *grid = qobject_cast<QGridLayout *>(&layout)) {
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        for (int c = column - 1; c >= 0; --c)
            if (QString t = CaptionOf(grid->itemAtPosition(row, c)); !t.isEmpty())
                return t;
        for (int r = row + rowSpan; r < grid->rowCount(); ++r)
            if (QString t = CaptionOf(grid->itemAtPosition(r, column)); !t.isEmpty())
                return t;
        for (int r = row - 1; r >= 0; --r)
            if (QString t = CaptionOf(grid->itemAtPosition(r, column)); !t.isEmpty())
                return t;
        return QString();
    }
    if (textAfter)
        for (int i = index + 1; i < layout.count() && !HoldsField(layout.itemAt(i)); ++i)
            if (QString t = CaptionOf(layout.itemAt(i)); !t.isEmpty())
                return t;
    for (int i = index - 1; i >= 0; --i)
        if (QString t = CaptionOf(layout.itemAt(i)); !t.isEmpty())
            return t;
    for (int i = index + 1; i < layout.count(); ++i)
        if (QString t = CaptionOf(layout.itemAt(i)); !t.isEmpty())
            return t;
    return QString();
}

QString LabelsOf(QLayout &layout)
{
    QStringList texts;
    for (int i = 0; i < layout.count(); ++i) {
        if (QString t = CaptionOf(layout.itemAt(i)); !t.isEmpty())
            texts << t;
        else if (QLayout *inner = layout.itemAt(i)->layout())
            if (QString t = LabelsOf(*inner); !t.isEmpty())
                texts << t;
    }
    return texts.join(QLatin1Char(' '));
}

// A line that holds a field but no caption (a second line of an answer, a free "other"
// line under a list): the caption is the nearest line above made only of text, passing
// over the lines of other fields.
QString CaptionAbove(QLayout &line)
{
    auto *column = qobject_cast<QLayout *>(line.parent());
    if (!column)
        return QString();
    for (int i = column->indexOf(&line) - 1; i >= 0; --i) {
        QLayoutItem *item = column->itemAt(i);
        if (QString t = CaptionOf(item); !t.isEmpty())
            return t;
        if (QLayout *above = item->layout(); above && !HoldsField(*above))
            if (QString t = LabelsOf(*above); !t.isEmpty())
                return t;
    }
    return QString();
}

int ControlsIn(QWidget &w)
{
    int n = 0;
    for (QWidget *child : w.findChildren<QWidget *>())
        n += IsControl(child) ? 1 : 0;
    return n;
}

// The caption laid out beside control, or above its line; a control wrapped alone in a
// widget (a check box centred in a cell, an edit with a caption under it) is looked for
// from its wrapper too.
QString Caption(QWidget &control, const QWidget &window)
{
    auto *button = qobject_cast<QAbstractButton *>(&control);
    const bool textAfter = button && button->isCheckable();
    QWidget *w = &control;
    while (w != &window && w->parentWidget()) {
        QWidget *parent = w->parentWidget();
        int index = -1;
        if (QLayout *layout = LayoutHolding(parent->layout(), w, index)) {
            if (QString t = CaptionInLayout(*layout, index, textAfter); !t.isEmpty())
                return t;
            if (QString t = CaptionAbove(*layout); !t.isEmpty())
                return t;
        }
        if (parent == &window || parent->isWindow() || ControlsIn(*parent) != 1)
            break;
        w = parent;
    }
    return QString();
}

} // namespace

QString AccessibleName(QWidget &widget)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&widget);
    return iface ? iface->text(QAccessible::Name) : QString();
}

void NameControls(QWidget &window)
{
    QList<QWidget *> widgets = window.findChildren<QWidget *>();
    widgets.prepend(&window);
    for (QWidget *w : widgets) {
        if (!IsControl(w))
            continue;
        const QVariant given = w->property(kGivenName);
        if (given.isValid()) {
            // Ours: given again below. Changed by the window since: the window's.
            if (w->accessibleName() == given.toString())
                w->setAccessibleName(QString());
            w->setProperty(kGivenName, QVariant());
        }
        if (!OwnName(w).isEmpty())
            continue;
        QString name;
        if (IsButton(w))
            name = w->toolTip();
        if (name.isEmpty())
            name = Caption(*w, window);
        if (name.isEmpty())
            name = w->toolTip();
        if (name.isEmpty())
            continue;
        w->setAccessibleName(name);
        w->setProperty(kGivenName, name);
    }
}

} // namespace ui
