#include "ui/KelButton.h"

#include <QApplication>
#include <QDialog>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QRadioButton>
#include <QAbstractButton>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <cmath>

namespace ui {

namespace {

QColor Darken(const QColor &c, int percent)
{
    return QColor(c.red() - c.red() * percent / 100, c.green() - c.green() * percent / 100,
                  c.blue() - c.blue() * percent / 100);
}

QImage Lighten(const QImage &source, int percent)
{
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            auto up = [percent](int c) { return c + (255 - c) * percent / 100; };
            line[x] = qRgba(up(qRed(p)), up(qGreen(p)), up(qBlue(p)), qAlpha(p));
        }
    }
    return image;
}

// 32 bands from one colour to the other between y0 and y1, each band's colour a step of the
// accumulated difference.
void Bands(QPainter &painter, int x0, int x1, int y0, int y1, const QColor &from, const QColor &to)
{
    const int h = y1 - y0;
    if (h <= 0)
        return;
    const double dr = (to.red() - from.red()) / 31.0;
    const double dg = (to.green() - from.green()) / 31.0;
    const double db = (to.blue() - from.blue()) / 31.0;
    double r = from.red(), g = from.green(), b = from.blue();
    for (int i = 0; i < 32; ++i) {
        const int start = y0 + i * h / 31;
        const int end = std::min(y1, start + h / 31 + 1);
        painter.fillRect(QRect(x0, start, x1 - x0, end - start),
                         QColor(int(std::lround(r)), int(std::lround(g)), int(std::lround(b))));
        r += dr;
        g += dg;
        b += db;
    }
}

} // namespace

TModalResult KindModalResult(TKelButtonKind kind)
{
    switch (kind) {
    case bkOK: return mrOk;
    case bkCancel: return mrCancel;
    case bkAbort: return mrAbort;
    case bkRetry: return mrRetry;
    case bkIgnore: return mrIgnore;
    case bkYes: return mrYes;
    case bkNo: return mrNo;
    case bkAll: return mrAll;
    default: return mrNone;
    }
}

QString KindCaption(TKelButtonKind kind)
{
    switch (kind) {
    case bkCustom: return {};
    case bkOK: return QStringLiteral("OK");
    case bkCancel: return QStringLiteral("Annuler");
    case bkHelp: return QStringLiteral("Aide");
    case bkYes: return QStringLiteral("Oui");
    case bkNo: return QStringLiteral("Non");
    case bkClose: return QStringLiteral("Fermer");
    case bkAbort: return QStringLiteral("Canceller");
    case bkRetry: return QStringLiteral("Réessayer");
    case bkIgnore: return QStringLiteral("Ignorer");
    case bkAll: return QStringLiteral("Tous");
    case bkLink: return QStringLiteral("Link");
    case bkFind: return QStringLiteral("Rechercher");
    case bkPrevious: return QStringLiteral("Précédent");
    case bkNext: return QStringLiteral("Suivant");
    case bkLocatair: return QStringLiteral("Locataire");
    }
    return {};
}

QImage KindGlyph(TKelButtonKind kind)
{
    if (kind == bkCustom)
        return {};
    const int size = (kind == bkPrevious || kind == bkNext) ? 24 : 32;
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    auto check = [&](double dx, const QColor &c) {
        p.setPen(QPen(c, s / 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(s * 0.2 + dx, s * 0.55), QPointF(s * 0.42 + dx, s * 0.78),
                                  QPointF(s * 0.82 + dx, s * 0.25)}));
    };
    auto cross = [&](const QColor &c) {
        p.setPen(QPen(c, s / 8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.25, s * 0.25), QPointF(s * 0.75, s * 0.75));
        p.drawLine(QPointF(s * 0.75, s * 0.25), QPointF(s * 0.25, s * 0.75));
    };
    switch (kind) {
    case bkOK: case bkYes: check(0, QColor(0, 140, 0)); break;
    case bkAll: check(-s * 0.12, QColor(0, 140, 0)); check(s * 0.12, QColor(0, 110, 0)); break;
    case bkCancel: case bkNo: case bkClose: case bkAbort: cross(QColor(200, 0, 0)); break;
    case bkHelp:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 90, 200));
        p.drawEllipse(QRectF(s * 0.1, s * 0.1, s * 0.8, s * 0.8));
        p.setPen(Qt::white);
        p.setFont(QFont(QStringLiteral("Sans"), int(s * 0.45), QFont::Bold));
        p.drawText(QRectF(0, 0, s, s), Qt::AlignCenter, QStringLiteral("?"));
        break;
    case bkRetry:
        p.setPen(QPen(QColor(0, 120, 160), s / 9, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(s * 0.2, s * 0.2, s * 0.6, s * 0.6), 90 * 16, 270 * 16);
        p.drawLine(QPointF(s * 0.5, s * 0.2), QPointF(s * 0.62, s * 0.1));
        p.drawLine(QPointF(s * 0.5, s * 0.2), QPointF(s * 0.62, s * 0.3));
        break;
    case bkIgnore:
        p.setPen(QPen(QColor(120, 120, 120), s / 7, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.2, s * 0.5), QPointF(s * 0.8, s * 0.5));
        break;
    case bkLink:
        p.setPen(QPen(QColor(90, 90, 90), s / 12));
        p.drawRoundedRect(QRectF(s * 0.1, s * 0.35, s * 0.45, s * 0.3), s * 0.15, s * 0.15);
        p.drawRoundedRect(QRectF(s * 0.45, s * 0.35, s * 0.45, s * 0.3), s * 0.15, s * 0.15);
        break;
    case bkFind:
        p.setPen(QPen(QColor(40, 40, 40), s / 12));
        p.setBrush(QColor(150, 190, 230));
        p.drawEllipse(QRectF(s * 0.08, s * 0.4, s * 0.38, s * 0.38));
        p.drawEllipse(QRectF(s * 0.54, s * 0.4, s * 0.38, s * 0.38));
        p.drawRect(QRectF(s * 0.38, s * 0.3, s * 0.24, s * 0.2));
        break;
    case bkPrevious: case bkNext: {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 110, 0));
        const bool left = kind == bkPrevious;
        const double tip = left ? s * 0.2 : s * 0.8, back = left ? s * 0.75 : s * 0.25;
        p.drawPolygon(QPolygonF({QPointF(tip, s * 0.5), QPointF(back, s * 0.2), QPointF(back, s * 0.8)}));
        break;
    }
    case bkLocatair:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 100, 170));
        p.drawEllipse(QRectF(s * 0.35, s * 0.1, s * 0.3, s * 0.3));
        p.drawChord(QRectF(s * 0.15, s * 0.45, s * 0.7, s * 0.8), 0, 180 * 16);
        break;
    case bkCustom:
        break;
    }
    return image;
}

TKelButton::TKelButton(QWidget *parent)
    : QWidget(parent)
    , m_color(parent ? parent->palette().color(QPalette::Window) : QApplication::palette().color(QPalette::Button))
    , m_shadowColor(QApplication::palette().color(QPalette::Button))
{
    setFocusPolicy(Qt::StrongFocus);   // focusable and in the tab order
    setAttribute(Qt::WA_Hover);
    resize(100, 23);
    m_hotTrackFont = window() ? window()->font() : font();
}

TKelButton::~TKelButton()
{
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
}

void TKelButton::SetCaption(const QString &caption)
{
    m_caption = caption;
    UpdateMnemonic();
    update();
}

void TKelButton::SetColor(const QColor &c) { m_color = c; update(); }
void TKelButton::SetColorWhenDown(const QColor &c) { m_colorWhenDown = c; update(); }
void TKelButton::SetHotTrackColor(const QColor &c) { m_hotTrackColor = c; update(); }
void TKelButton::SetLightColor(const QColor &c) { m_lightColor = c; update(); }
void TKelButton::SetShadowColor(const QColor &c) { m_shadowColor = c; update(); }
void TKelButton::SetFlat(bool f) { m_flat = f; update(); }
void TKelButton::SetStretchImage(bool s) { m_stretchImage = s; update(); }
void TKelButton::SetLayout(TKelSpeedButtonLayout l) { m_layout = l; update(); }
void TKelButton::SetAlignment(Qt::Alignment a) { m_alignment = a; update(); }
void TKelButton::SetOffSetCaption(int o) { m_offSetCaption = o; update(); }
void TKelButton::SetWordWrap(bool w) { m_wordWrap = w; update(); }
void TKelButton::SetHotTrackFont(const QFont &f) { m_hotTrackFont = f; update(); }
void TKelButton::SetUseHotTrackFont(bool u) { m_useHotTrackFont = u; update(); }
void TKelButton::SetPopupMenu(QMenu *menu) { m_popupMenu = menu; update(); }
void TKelButton::SetNumGlyphs(int n) { m_numGlyphs = std::max(1, n); update(); }

void TKelButton::SetGlyph(const QImage &glyph)
{
    m_glyph = glyph;
    m_numGlyphs = glyph.height() > 0 ? glyph.width() / glyph.height() : 0;
    m_kind = bkCustom;
    update();
}

void TKelButton::SetPNGObject(const QImage &png)
{
    m_png = png;
    m_numGlyphs = png.height() > 0 ? png.width() / png.height() : 0;
    update();
}

void TKelButton::SetStyle(TKelSpeedButtonStyle s)
{
    m_style = s;
    // The modern, shape and quicken styles let what lies under the button show through.
    setAttribute(Qt::WA_TranslucentBackground, s == bsModern || s == bsShape || s == bsQuicken);
    update();
}

void TKelButton::SetKind(TKelButtonKind kind)
{
    m_kind = kind;
    if (kind == bkCustom)
        return;
    m_glyph = QImage();
    m_png = KindGlyph(kind);
    m_numGlyphs = 1;
    m_modalResult = KindModalResult(kind);
    SetCaption(KindCaption(kind));
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

void TKelButton::UpdateMnemonic()
{
    if (m_shortcutId != 0)
        releaseShortcut(m_shortcutId);
    m_shortcutId = 0;
    const QKeySequence mnemonic = QKeySequence::mnemonic(m_caption);
    if (!mnemonic.isEmpty())
        m_shortcutId = grabShortcut(mnemonic);
}

bool TKelButton::ShowingOnParent() const
{
    return isEnabled() && isVisible() && (!parentWidget() || parentWidget()->isVisible());
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
    QPointer<TKelButton> self(this);
    if (OnClick)
        OnClick(*this);
    if (!self)
        return;
    if (m_modalResult != mrNone) {
        if (auto *dialog = qobject_cast<QDialog *>(window()))
            dialog->done(m_modalResult);
    }
    if (m_popupMenu)
        m_popupMenu->popup(mapToGlobal(rect().bottomLeft()));
}

bool TKelButton::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut) {
        auto *shortcut = static_cast<QShortcutEvent *>(event);
        if (shortcut->shortcutId() == m_shortcutId && ShowingOnParent()) {
            Click();
            return true;
        }
    }
    if (event->type() == QEvent::ParentChange && (m_default || m_cancel))
        WatchWindow();
    return QWidget::event(event);
}

bool TKelButton::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watchedWindow && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const bool escape = key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier;
        // Another push button that has the focus handles the key itself.
        QWidget *focus = QApplication::focusWidget();
        const bool otherButton = focus && focus != this
            && (qobject_cast<TKelButton *>(focus)
                || (qobject_cast<QAbstractButton *>(focus) && !qobject_cast<QRadioButton *>(focus)));
        if (!otherButton && ((enter && m_default) || (escape && m_cancel)) && ShowingOnParent()) {
            Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TKelButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && isEnabled()) {
        m_pressed = true;
        setFocus(Qt::MouseFocusReason);
        update();
    }
    QWidget::mousePressEvent(event);
}

void TKelButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        if (rect().contains(event->position().toPoint()))
            DoClick();
        m_pressed = false;
        update();
    }
    QWidget::mouseReleaseEvent(event);
}

void TKelButton::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && isEnabled()) {
        if (!event->isAutoRepeat()) {
            m_pressed = true;
            update();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

void TKelButton::keyReleaseEvent(QKeyEvent *event)
{
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && !event->isAutoRepeat()) {
        DoClick();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void TKelButton::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    if (!ShowingOnParent())
        return;
    m_mouseOver = true;
    m_fade = 8;
    update();
    if (OnMouseEnter)
        OnMouseEnter(*this);
}

void TKelButton::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    m_mouseOver = false;
    m_fade = 0;
    update();
    if (ShowingOnParent() && OnMouseExit)
        OnMouseExit(*this);
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
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        m_pressed = false;
        update();
    }
}

void TKelButton::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_default || m_cancel)
        WatchWindow();
}

QImage TKelButton::Render() const
{
    const int w = width(), h = height();
    const bool enabled = isEnabled();
    const bool hot = m_mouseOver || hasFocus();
    const bool down = enabled && m_pressed;
    const int d = down ? 1 : 0;

    QColor face = m_color;
    if (enabled && m_hotTrackColor.isValid()) {
        const double f = (hasFocus() ? 8 : m_fade) / 8.0;
        face = QColor(int(std::lround(m_color.red() * (1 - f) + m_hotTrackColor.red() * f)),
                      int(std::lround(m_color.green() * (1 - f) + m_hotTrackColor.green() * f)),
                      int(std::lround(m_color.blue() * (1 - f) + m_hotTrackColor.blue() * f)));
    }
    if (down && m_colorWhenDown.isValid())
        face = m_colorWhenDown;

    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(m_shadowColor);
    QPainter p(&image);
    Bands(p, 2, w - 2, 2, h / 4 + d, m_lightColor, face);
    Bands(p, 2, w - 2, h / 4 + d, h - 1, face, m_lightColor);

    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(Darken(face, down ? 15 : 5));
    if (!down)
        p.drawRoundedRect(QRectF(1.5, 1.5, w - 3, h - 3), 4, 4);
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 5, 5);
    p.setRenderHint(QPainter::Antialiasing, false);

    // The glyph and the cell of it to show.
    QImage glyph;
    if (!m_png.isNull()) {
        glyph = m_png;
        if (m_stretchImage && h > 8)
            glyph = glyph.scaled(h - 8, h - 8, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (!enabled)
            glyph = Lighten(glyph, 75);
        else if (hot)
            glyph = Lighten(glyph, 15);
    } else if (!m_glyph.isNull() && m_numGlyphs > 0) {
        const int cellWidth = m_glyph.width() / m_numGlyphs;
        int cell = 0;
        if (!enabled)
            cell = 1;
        else if (down && m_numGlyphs > 2)
            cell = 2;
        else if (hot && m_numGlyphs > 3)
            cell = 3;
        cell = std::min(cell, m_numGlyphs - 1);
        glyph = m_glyph.copy(cell * cellWidth, 0, cellWidth, m_glyph.height());
    }
    // A glyph larger than the button is scaled down to fit inside its frame.
    if (!glyph.isNull() && glyph.height() > h - 4)
        glyph = glyph.scaledToHeight(std::max(1, h - 4), Qt::SmoothTransformation);

    const QFont captionFont = (hot && m_useHotTrackFont) ? m_hotTrackFont : font();
    p.setFont(captionFont);
    const QFontMetrics metrics(captionFont);
    const int gw = glyph.width(), gh = glyph.height();
    QRect textRect;
    QPoint glyphAt;
    const int flags = Qt::TextShowMnemonic | int(m_alignment & Qt::AlignHorizontal_Mask)
        | (m_wordWrap ? Qt::TextWordWrap : 0);
    if (m_layout == blGlyphLeft || m_layout == blGlyphRight) {
        const int textWidth = (gw > 0 || m_offSetCaption != 0) ? w - gw - m_offSetCaption - 12 : w - 8;
        const int textLeft = m_layout == blGlyphLeft ? 4 + gw + (gw > 0 ? 4 : 0) + m_offSetCaption : 4;
        textRect = QRect(textLeft, 0, std::max(0, textWidth), h);
        glyphAt = QPoint(m_layout == blGlyphLeft ? 4 : w - 4 - gw, (h - gh) / 2);
    } else {
        const int textHeight = metrics.boundingRect(QRect(0, 0, w - 8, h), flags, m_caption).height();
        const int total = gh + (gh > 0 ? 4 : 0) + textHeight;
        const int top = (h - total) / 2;
        if (m_layout == blGlyphTop) {
            glyphAt = QPoint((w - gw) / 2, top);
            textRect = QRect(4, top + gh + (gh > 0 ? 4 : 0), w - 8, textHeight);
        } else {
            textRect = QRect(4, top, w - 8, textHeight);
            glyphAt = QPoint((w - gw) / 2, top + textHeight + 4);
        }
    }
    textRect.translate(d, d);
    QString text = m_caption;
    if (!m_wordWrap) {
        // Cut from the end, without an ellipsis, until the caption fits.
        while (!text.isEmpty() && metrics.horizontalAdvance(QString(text).remove(QLatin1Char('&'))) > textRect.width())
            text.chop(1);
    }
    p.setPen(enabled ? palette().color(QPalette::ButtonText) : QColor(128, 128, 128));
    p.drawText(textRect, flags | Qt::AlignVCenter, text);
    if (!glyph.isNull())
        p.drawImage(glyphAt + QPoint(d, d), glyph);

    if (m_popupMenu) {
        // The small arrow that tells a menu drops from the button.
        p.setPen(Qt::NoPen);
        p.setBrush(palette().color(QPalette::ButtonText));
        const int x = w - 11, y = h / 2;
        p.drawPolygon(QPolygon({QPoint(x, y), QPoint(x + 6, y), QPoint(x + 3, y + 3)}));
    }
    return image;
}

void TKelButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, Render());
    if (hasFocus() && isEnabled()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = QRect(QPoint(4, 4), QPoint(width() - 5, height() - 5));
        option.backgroundColor = m_color;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

} // namespace ui
