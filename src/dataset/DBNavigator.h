#pragma once
// The record navigator: ten buttons that move, add, delete, modify, accept, abandon and
// refresh the rows of a data source's table, enabled by the table's state and position.
// It asks no confirmation before deleting; its owner's hooks run before and after each
// button's action.

#include "dataset/DataSource.h"

#include <QIcon>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <initializer_list>

class QAbstractButton;

namespace dataset {

enum class TNavigateBtn { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };
constexpr int kNavigateButtonCount = 10;

// Makes one of the navigator's buttons, a child of parent; the navigator gives it its glyph
// (as its icon), its hint and its action. A window with buttons of its own look passes one.
using TNavigatorButtonFactory = std::function<QAbstractButton *(QWidget *parent)>;

class TDBNavigator : public QWidget {
    Q_OBJECT
public:
    // Without a factory the buttons are the platform's tool buttons.
    explicit TDBNavigator(QWidget *parent = nullptr, const TNavigatorButtonFactory &makeButton = {});

    TDataSource *DataSource() const { return m_source; }
    void SetDataSource(TDataSource *source);

    // Which buttons show; the others are hidden and take no room.
    void SetVisibleButtons(std::initializer_list<TNavigateBtn> buttons);
    void SetButtonVisible(TNavigateBtn button, bool visible);
    bool IsButtonVisible(TNavigateBtn button) const;
    // Tool tips in button order; SetLanguage puts the French or the English ones.
    QStringList Hints() const;
    void SetHints(const QStringList &hints);
    void SetLanguage(QChar language);

    QAbstractButton *Button(TNavigateBtn button) const { return m_buttons[size_t(button)]; }
    // Runs a button's action as a click does (hooks included).
    void BtnClick(TNavigateBtn button);

    // Before a button's action; returning false (or throwing EAbort) abandons it.
    std::function<bool(TNavigateBtn)> BeforeAction;
    // After a button's action has been carried out.
    std::function<void(TNavigateBtn)> OnClick;

    QSize sizeHint() const override;

signals:
    void Clicked(dataset::TNavigateBtn button);

protected:
    void changeEvent(QEvent *event) override;

private:
    void UpdateButtons();
    void Action(TNavigateBtn button);

    QPointer<TDataSource> m_source;
    QMetaObject::Connection m_connection;
    std::array<QAbstractButton *, kNavigateButtonCount> m_buttons{};
};

} // namespace dataset
