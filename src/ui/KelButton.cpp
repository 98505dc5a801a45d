#include "ui/KelButton.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace ui {

namespace {

// The keys that press and click a focused push button.
bool IsClickKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}

} // namespace

TKelButton::TKelButton(QWidget *parent)
    : TKelButtonFace(parent)
{
    setFocusPolicy(Qt::StrongFocus);   // focusable and in the tab order
    SetColor(QApplication::palette().color(QPalette::Button));
    SetAlignment(Qt::AlignHCenter);
    TKelButtonFace::SetStyle(bsNormal);
    resize(100, 23);
}

TKelButton::~TKelButton()
{
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
}

void TKelButton::SetGlyph(const QImage &glyph)
{
    TKelButtonFace::SetGlyph(glyph);
    TKelButtonFace::SetKind(bkCustom);
}

void TKelButton::SetKind(TKelButtonKind kind)
{
    TKelButtonFace::SetKind(kind);
    if (kind != bkCustom)
        m_modalResult = KindModalResult(kind);
}

void TKelButton::SetStyle(TKelSpeedButtonStyle s)
{
    TKelButtonFace::SetStyle(s);
    // These styles let what lies under the button show through its corners.
    setAttribute(Qt::WA_TranslucentBackground, s == bsModern || s == bsShape || s == bsQuicken);
}

void TKelButton::SetDefault(bool d)
{
    m_default = d;
    WatchWindow();
}

void TKelButton::SetCancel(bool c)
{
    m_cancel = c;
    WatchWindow();
}

// Enter and Escape reach the dialog when its focused widget ignores them: the window is
// watched so that the default and cancel buttons see them first.
void TKelButton::WatchWindow()
{
    QWidget *top = window();
    if (top == m_watchedWindow)
        return;
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    m_watchedWindow = top != this ? top : nullptr;
    if (m_watchedWindow)
        m_watchedWindow->installEventFilter(this);
}

void TKelButton::Click()
{
    m_pressed = true;
    DoClick();
}

void TKelButton::DoClick()
{
    if (!isVisible() || !isEnabled() || !m_pressed)
        return;
    m_pressed = false;
    update();
    emit clicked(false);
}

void TKelButton::ButtonClicked()
{
    // OnClick first, then the dialog's result, then the menu.
    QPointer<TKelButton> self(this);
    if (OnClick)
        OnClick(*this);
    if (!self)
        return;
    if (m_modalResult != mrNone) {
        if (auto *dialog = qobject_cast<QDialog *>(window()))
            dialog->done(m_modalResult);
    }
    if (QMenu *menu = PopupMenu())
        menu->popup(mapToGlobal(rect().bottomLeft()));
}

bool TKelButton::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut) {
        if (ShowingOnParent())
            Click();
        return true;
    }
    if (event->type() == QEvent::ParentChange && (m_default || m_cancel))
        WatchWindow();
    return TKelButtonFace::event(event);
}

bool TKelButton::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watchedWindow && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const bool escape = key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier;
        // Another push button that has the focus handles the key itself.
        QWidget *focus = QApplication::focusWidget();
        const bool otherButton = focus && focus != this && qobject_cast<QAbstractButton *>(focus)
            && !qobject_cast<QRadioButton *>(focus);
        if (!otherButton && ((enter && m_default) || (escape && m_cancel)) && ShowingOnParent()) {
            Click();
            return true;
        }
    }
    return TKelButtonFace::eventFilter(watched, event);
}

void TKelButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && isEnabled()) {
        m_pressed = true;
        setFocus(Qt::MouseFocusReason);
        update();
        emit pressed();
        return;
    }
    event->ignore();
}

void TKelButton::mouseMoveEvent(QMouseEvent *event)
{
    event->ignore();
}

void TKelButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    emit released();
    QPointer<TKelButton> self(this);
    if (rect().contains(event->position().toPoint()))
        DoClick();
    if (!self)
        return;
    m_pressed = false;
    update();
}

void TKelButton::keyPressEvent(QKeyEvent *event)
{
    if (IsClickKey(event->key()) && isEnabled()) {
        if (!event->isAutoRepeat()) {
            m_pressed = true;
            update();
        }
        return;
    }
    event->ignore();
}

void TKelButton::keyReleaseEvent(QKeyEvent *event)
{
    if (IsClickKey(event->key()) && !event->isAutoRepeat()) {
        DoClick();
        return;
    }
    event->ignore();
}

void TKelButton::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void TKelButton::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

void TKelButton::changeEvent(QEvent *event)
{
    TKelButtonFace::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        m_pressed = false;
        update();
    }
}

void TKelButton::showEvent(QShowEvent *event)
{
    TKelButtonFace::showEvent(event);
    if (m_default || m_cancel)
        WatchWindow();
}

void TKelButton::paintEvent(QPaintEvent *event)
{
    TKelButtonFace::paintEvent(event);
    if (hasFocus() && isEnabled()) {
        QPainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = QRect(QPoint(4, 4), QPoint(width() - 5, height() - 5));
        option.backgroundColor = Color();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

} // namespace ui
