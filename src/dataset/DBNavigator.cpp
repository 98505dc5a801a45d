#include "dataset/DBNavigator.h"

#include "dataset/Common.h"
#include "dataset/DataSource.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace dataset {

namespace {

struct TButtonText {
    const char *french;
    const char *english;
};

const TButtonText kHints[kNavigateButtonCount] = {
    {"Premier", "First record"},
    {"Précédent", "Previous record"},
    {"Suivant", "Next record"},
    {"Dernier", "Last record"},
    {"Ajouter", "Add"},
    {"Détruire", "Delete"},
    {"Modifier", "Modify"},
    {"Accepter les modifications", "Accept modifications"},
    {"Abandonner les modifications", "Cancel modifications"},
    {"Rafraîchir les données", "Refresh data"},
};

// The button glyphs, drawn on a 16 × 16 grid so they stay sharp at any scale.
QIcon Glyph(TNavigateBtn b, const QColor &ink)
{
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pm(16 * scale, 16 * scale);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        auto triangle = [&](qreal tipX, qreal baseX) {
            QPainterPath path;
            path.moveTo(tipX, 8);
            path.lineTo(baseX, 3);
            path.lineTo(baseX, 13);
            path.closeSubpath();
            p.drawPath(path);
        };
        switch (b) {
        case TNavigateBtn::First: p.drawRect(QRectF(3, 3, 2, 10)); triangle(5.5, 12); break;
        case TNavigateBtn::Prior: triangle(4, 11); break;
        case TNavigateBtn::Next: triangle(12, 5); break;
        case TNavigateBtn::Last: triangle(10.5, 4); p.drawRect(QRectF(11, 3, 2, 10)); break;
        case TNavigateBtn::Insert: p.drawRect(QRectF(7, 3, 2, 10)); p.drawRect(QRectF(3, 7, 10, 2)); break;
        case TNavigateBtn::Delete: p.drawRect(QRectF(3, 7, 10, 2)); break;
        case TNavigateBtn::Edit: {
            QPainterPath path;
            path.moveTo(8, 3);
            path.lineTo(13, 12);
            path.lineTo(3, 12);
            path.closeSubpath();
            p.drawPath(path);
            break;
        }
        case TNavigateBtn::Post: {
            p.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
            break;
        }
        case TNavigateBtn::Cancel:
            p.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(4, 4), QPointF(12, 12));
            p.drawLine(QPointF(12, 4), QPointF(4, 12));
            break;
        case TNavigateBtn::Refresh: {
            p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::FlatCap));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(3, 3, 10, 10), 100 * 16, 280 * 16);
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            QPainterPath head;
            head.moveTo(7, 0.5);
            head.lineTo(11, 3.5);
            head.lineTo(7, 6.5);
            head.closeSubpath();
            p.drawPath(head);
            break;
        }
        }
        p.end();
        pm.setDevicePixelRatio(scale);
        icon.addPixmap(pm, QIcon::Normal);
    }
    return icon;
}

} // namespace

TDBNavigator::TDBNavigator(QWidget *parent, const TNavigatorButtonFactory &makeButton)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // A bar of buttons: as tall as its hint unless the window sizes it itself.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    for (int i = 0; i < kNavigateButtonCount; ++i) {
        QAbstractButton *b = makeButton ? makeButton(this) : new QToolButton(this);
        b->setIcon(Glyph(TNavigateBtn(i), palette().color(QPalette::ButtonText)));
        b->setIconSize(QSize(16, 16));
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        b->setFocusPolicy(Qt::NoFocus); // the focus stays in the field being typed
        connect(b, &QAbstractButton::clicked, this, [this, i] { BtnClick(TNavigateBtn(i)); });
        layout->addWidget(b);
        m_buttons[size_t(i)] = b;
    }
    SetLanguage(WorkingLanguage());
    UpdateButtons();
}

QSize TDBNavigator::sizeHint() const
{
    int visible = 0;
    for (QAbstractButton *b : m_buttons)
        visible += b->isVisibleTo(this) ? 1 : 0;
    return QSize(40 * qMax(visible, 1), 40);
}

void TDBNavigator::SetDataSource(TDataSource *source)
{
    QObject::disconnect(m_connection);
    m_source = source;
    if (source)
        m_connection = connect(source, &TDataSource::DataEvent, this, [this](TDataEvent event, TField *) {
            if (event != TDataEvent::UpdateRecord && event != TDataEvent::LayoutChange)
                UpdateButtons();
        });
    UpdateButtons();
}

void TDBNavigator::SetVisibleButtons(std::initializer_list<TNavigateBtn> buttons)
{
    for (QAbstractButton *b : m_buttons)
        b->setVisible(false);
    for (TNavigateBtn b : buttons)
        m_buttons[size_t(b)]->setVisible(true);
    updateGeometry();
}

void TDBNavigator::SetButtonVisible(TNavigateBtn button, bool visible)
{
    m_buttons[size_t(button)]->setVisible(visible);
    updateGeometry();
}

bool TDBNavigator::IsButtonVisible(TNavigateBtn button) const
{
    return m_buttons[size_t(button)]->isVisibleTo(this);
}

QStringList TDBNavigator::Hints() const
{
    QStringList out;
    for (QAbstractButton *b : m_buttons)
        out << b->toolTip();
    return out;
}

void TDBNavigator::SetHints(const QStringList &hints)
{
    // The buttons show only glyphs: their hints name them for assistive technologies.
    for (int i = 0; i < kNavigateButtonCount; ++i) {
        m_buttons[size_t(i)]->setToolTip(hints.value(i));
        m_buttons[size_t(i)]->setAccessibleName(hints.value(i));
    }
}

void TDBNavigator::SetLanguage(QChar language)
{
    QStringList hints;
    for (const TButtonText &t : kHints)
        hints << Pick(language, t.french, t.english);
    SetHints(hints);
}

void TDBNavigator::UpdateButtons()
{
    TTable *t = m_source && m_source->Enabled() ? m_source->DataSet() : nullptr;
    const bool active = t && t->Active();
    const bool editing = active && (t->State() == TDataSetState::Edit || t->State() == TDataSetState::Insert);
    const bool canModify = active && t->CanModify();
    const bool up = active && !t->Bof();
    const bool down = active && !t->Eof();
    auto set = [this](TNavigateBtn b, bool on) { m_buttons[size_t(b)]->setEnabled(on); };
    set(TNavigateBtn::First, up);
    set(TNavigateBtn::Prior, up);
    set(TNavigateBtn::Next, down);
    set(TNavigateBtn::Last, down);
    set(TNavigateBtn::Insert, canModify);
    set(TNavigateBtn::Delete, canModify && !t->IsEmpty());
    set(TNavigateBtn::Edit, canModify && !editing);
    set(TNavigateBtn::Post, canModify && editing);
    set(TNavigateBtn::Cancel, canModify && editing);
    set(TNavigateBtn::Refresh, active);
}

void TDBNavigator::Action(TNavigateBtn button)
{
    TTable *t = m_source ? m_source->DataSet() : nullptr;
    if (!t)
        return;
    switch (button) {
    case TNavigateBtn::First: t->First(); break;
    case TNavigateBtn::Prior: t->Prior(); break;
    case TNavigateBtn::Next: t->Next(); break;
    case TNavigateBtn::Last: t->Last(); break;
    case TNavigateBtn::Insert: t->Insert(); break;
    case TNavigateBtn::Delete: t->Delete(); break;
    case TNavigateBtn::Edit: t->Edit(); break;
    case TNavigateBtn::Post: t->Post(); break;
    case TNavigateBtn::Cancel: t->Cancel(); break;
    case TNavigateBtn::Refresh: t->Refresh(); break;
    }
}

void TDBNavigator::BtnClick(TNavigateBtn button)
{
    try {
        if (BeforeAction && !BeforeAction(button))
            return;
        Action(button);
    } catch (...) {
        UpdateButtons();
        HandleEventException(std::current_exception());
        return;
    }
    UpdateButtons();
    if (OnClick)
        OnClick(button);
    emit Clicked(button);
}

void TDBNavigator::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        for (int i = 0; i < kNavigateButtonCount; ++i)
            m_buttons[size_t(i)]->setIcon(Glyph(TNavigateBtn(i), palette().color(QPalette::ButtonText)));
}

} // namespace dataset
