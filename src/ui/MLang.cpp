#include "ui/MLang.h"

#include "dataset/DBComboBox.h"
#include "dataset/DBEdit.h"
#include "dataset/DBGrid.h"
#include "dataset/DBNavigator.h"
#include "dataset/DBRadioGroup.h"
#include "dataset/Table.h"
#include "ui/EditHelpers.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace ui {

namespace {

// A group box standing for a radio group: its radio buttons are its own unnamed children.
std::vector<QRadioButton *> RadioItems(QGroupBox &box)
{
    std::vector<QRadioButton *> out;
    for (QRadioButton *b : box.findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly)) {
        if (!b->objectName().isEmpty())
            return {};
        out.push_back(b);
    }
    return out;
}

// "Text files|*.txt;*.text|All|*" as Qt name filters: "Text files (*.txt *.text)", "All (*)".
QStringList NameFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << QStringLiteral("%1 (%2)").arg(parts[i], patterns.trimmed());
    }
    return out;
}

// An edit in the sense of the TranslateEdits setting: a text control that can be read-only.
bool IsEdit(QObject &c, bool &readOnly)
{
    if (auto *e = qobject_cast<QLineEdit *>(&c)) {
        readOnly = e->isReadOnly();
        return true;
    }
    if (auto *e = qobject_cast<QPlainTextEdit *>(&c)) {
        readOnly = e->isReadOnly();
        return true;
    }
    if (auto *e = qobject_cast<QTextEdit *>(&c)) {
        readOnly = e->isReadOnly();
        return true;
    }
    if (auto *e = qobject_cast<dataset::TDBComboBox *>(&c)) {
        readOnly = e->ReadOnly();
        return true;
    }
    return false;
}

} // namespace

TMultiLang::TMultiLang(QWidget *owner)
    : TBaseMultiLang(owner)
{
}

bool TMultiLang::MayTranslate(QObject &c) const
{
    if (TranslateEdits() == TTranslateEdits::teAlways)
        return true;
    if (auto *b = qobject_cast<QToolButton *>(&c); b && b->defaultAction())
        return false;
    bool readOnly = false;
    if (IsEdit(c, readOnly))
        return TranslateEdits() == TTranslateEdits::teReadOnly && readOnly;
    return true;
}

QStringList TMultiLang::TakeList(int &position, int count)
{
    QStringList out;
    QString text;
    if (count <= 0 || !TakeText(position, text))
        return out;
    out << text;
    while (out.size() < count && IsContinuationRow(position) && TakeText(position, text))
        out << text;
    return out;
}

bool TMultiLang::TranslateUnnamed(const QString &name, int &position)
{
    QWidget *owner = Owner();
    if (!owner)
        return false;
    for (dataset::TTable *t : owner->findChildren<dataset::TTable *>()) {
        for (int i = 0; i < t->FieldCount(); ++i) {
            dataset::TField *f = t->Fields(i);
            if (FieldComponentName(*f).compare(name, Qt::CaseInsensitive) != 0)
                continue;
            QString text;
            if (TakeText(position, text))
                f->SetDisplayLabel(text);
            return true;
        }
    }
    return false;
}

void TMultiLang::TranslateComponent(QObject &c, int &position)
{
    const int own = position;
    int q = position;
    QString text;
    auto *widget = qobject_cast<QWidget *>(&c);

    if (PositionsSwitched() && widget && !widget->isWindow()) {
        QRect r;
        if (StoredPosition(c.objectName(), ActiveLanguage(), r))
            widget->setGeometry(r);
    }

    if (MayTranslate(c)) {
        if (auto *list = qobject_cast<QListWidget *>(&c)) {
            const QStringList items = TakeList(q, list->count());
            for (int i = 0; i < list->count(); ++i)
                list->item(i)->setText(items.value(i));
        } else if (auto *group = qobject_cast<dataset::TDBRadioGroup *>(&c)) {
            if (TakeText(q, text))
                group->setTitle(text);
            const QStringList items = TakeList(q, int(group->Items().size()));
            QStringList all;
            for (int i = 0; i < group->Items().size(); ++i)
                all << items.value(i);
            group->SetItems(all);
        } else if (auto *box = qobject_cast<QGroupBox *>(&c); box && !RadioItems(*box).empty()) {
            const std::vector<QRadioButton *> buttons = RadioItems(*box);
            if (TakeText(q, text))
                box->setTitle(text);
            const QStringList items = TakeList(q, int(buttons.size()));
            for (size_t i = 0; i < buttons.size(); ++i)
                buttons[i]->setText(items.value(qsizetype(i)));
        } else if (auto *grid = qobject_cast<dataset::TDBGrid *>(&c)) {
            const QStringList titles = TakeList(q, grid->ColumnCount());
            for (int i = 0; i < titles.size(); ++i)
                grid->SetColumnTitle(i, titles[i]);
        } else if (auto *combo = qobject_cast<QComboBox *>(&c)) {
            const int index = combo->currentIndex();
            const QStringList items = TakeList(q, combo->count());
            const QSignalBlocker block(combo);
            for (int i = 0; i < combo->count(); ++i)
                combo->setItemText(i, items.value(i));
            combo->setCurrentIndex(index);
        } else if (auto *nav = qobject_cast<dataset::TDBNavigator *>(&c)) {
            QStringList hints = nav->Hints();
            const QStringList read = TakeList(q, int(hints.size()));
            for (int i = 0; i < read.size(); ++i)
                hints[i] = read[i];
            nav->SetHints(hints);
        } else if (widget && widget->isWindow() && !qobject_cast<QMenu *>(widget) && !qobject_cast<QFileDialog *>(widget)) {
            if (TakeText(q, text))
                widget->setWindowTitle(text);
        } else if (auto *memo = qobject_cast<QPlainTextEdit *>(&c)) {
            const int count = memo->document()->blockCount();
            const QStringList lines = TakeList(q, count);
            QStringList all;
            for (int i = 0; i < count; ++i)
                all << lines.value(i);
            memo->setPlainText(all.join(QLatin1Char('\n')));
        } else if (auto *rich = qobject_cast<QTextEdit *>(&c)) {
            const int count = rich->document()->blockCount();
            const QStringList lines = TakeList(q, count);
            QStringList all;
            for (int i = 0; i < count; ++i)
                all << lines.value(i);
            rich->setPlainText(all.join(QLatin1Char('\n')));
        } else if (auto *tabs = qobject_cast<QTabWidget *>(&c)) {
            const QStringList texts = TakeList(q, tabs->count());
            for (int i = 0; i < tabs->count(); ++i)
                tabs->setTabText(i, texts.value(i));
        } else if (auto *bar = qobject_cast<QTabBar *>(&c)) {
            const QStringList texts = TakeList(q, bar->count());
            for (int i = 0; i < bar->count(); ++i)
                bar->setTabText(i, texts.value(i));
        } else if (auto *tree = qobject_cast<QTreeWidget *>(&c)) {
            std::vector<QTreeWidgetItem *> nodes;
            for (QTreeWidgetItemIterator it(tree); *it; ++it)
                nodes.push_back(*it);
            const bool sorting = tree->isSortingEnabled();
            tree->setSortingEnabled(false);
            const QStringList texts = TakeList(q, int(nodes.size()));
            for (int i = 0; i < texts.size(); ++i)
                nodes[size_t(i)]->setText(0, texts[i]);
            tree->setSortingEnabled(sorting);
        } else if (auto *status = qobject_cast<QStatusBar *>(&c)) {
            const QList<QLabel *> panels = status->findChildren<QLabel *>();
            if (TakeText(q, text) && panels.isEmpty()) {
                if (text.isEmpty())
                    status->clearMessage();
                else
                    status->showMessage(text);
            }
            for (QLabel *panel : panels) {
                if (!IsContinuationRow(q) || !TakeText(q, text))
                    break;
                panel->setText(text);
            }
        } else if (auto *dialog = qobject_cast<QFileDialog *>(&c)) {
            if (TakeText(q, text))
                dialog->setWindowTitle(text);
            if (TakeText(q, text))
                dialog->setNameFilters(NameFilters(text));
        } else if (auto *action = qobject_cast<QAction *>(&c)) {
            if (TakeText(q, text))
                action->setText(text);
        } else if (auto *menu = qobject_cast<QMenu *>(&c)) {
            if (TakeText(q, text))
                menu->setTitle(text);
        } else {
            if (auto *label = qobject_cast<QLabel *>(&c)) {
                if (TakeText(q, text))
                    label->setText(text);
            } else if (auto *button = qobject_cast<QAbstractButton *>(&c)) {
                if (TakeText(q, text))
                    button->setText(text);
            } else if (auto *plainBox = qobject_cast<QGroupBox *>(&c)) {
                if (TakeText(q, text))
                    plainBox->setTitle(text);
            }
            auto *edit = qobject_cast<QLineEdit *>(&c);
            if (edit && !qobject_cast<dataset::TDBEdit *>(edit) && edit->inputMask().isEmpty() && TakeText(q, text))
                edit->setText(text);
        }
    }

    // The hint: after the texts read, or after the component's own row when none was.
    auto *action = qobject_cast<QAction *>(&c);
    if (widget || action) {
        if (q == own)
            q += RowSize();
        if (IsHintRow(q) && TakeText(q, text) && !text.isEmpty()) {
            if (widget)
                widget->setToolTip(text);
            else {
                // A menu command's hint shows in the status bar as well.
                action->setToolTip(text);
                action->setStatusTip(text);
            }
        }
    }
    position = std::max(q, own + RowSize());
}

} // namespace ui
