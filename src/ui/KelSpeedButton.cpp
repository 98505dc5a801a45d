#include "ui/KelSpeedButton.h"

#include <QApplication>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <chrono>
#include <cmath>

namespace ui {

namespace {

QColor Darken(const QColor &c, int percent)
{
    return QColor(c.red() - c.red() * percent / 100, c.green() - c.green() * percent / 100,
                  c.blue() - c.blue() * percent / 100);
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
        if (end > start)
            painter.fillRect(QRect(x0, start, x1 - x0, end - start),
                             QColor(int(std::lround(r)), int(std::lround(g)), int(std::lround(b))));
        r += dr;
        g += dg;
        b += db;
    }
}

struct KindEntry {
    TKelButtonKind kind;
    const char *image;
    const char *caption;   // UTF-8
    TModalResult result;
};

const KindEntry kKinds[] = {
    {bkOK, "OK_32", "OK", mrOk},
    {bkCancel, "Cancel_32", "Annuler", mrCancel},
    {bkHelp, "HELP_32", "Aide", mrNone},
    {bkYes, "OK_32", "Oui", mrYes},
    {bkNo, "NO_32", "Non", mrNo},
    {bkClose, "NO_32", "Fermer", mrNone},
    {bkAbort, "NO_32", "Canceller", mrAbort},
    {bkRetry, "RETRY_32", "Réessayer", mrRetry},
    {bkIgnore, "IGNORE_32", "Ignorer", mrIgnore},
    {bkAll, "ALL_32", "Tous", mrAll},
    {bkLink, "link_32", "Link", mrNone},
    {bkFind, "binoculars_32", "Rechercher", mrNone},
    {bkPrevious, "playback_24", "Précédent", mrNone},
    {bkNext, "play_24", "Suivant", mrNone},
    {bkLocatair, "locatair_32", "Locataire", mrNone},
};

const KindEntry *FindKind(TKelButtonKind kind)
{
    for (const KindEntry &e : kKinds)
        if (e.kind == kind)
            return &e;
    return nullptr;
}

struct PresetEntry {
    TKelColorStyle style;
    QRgb color;           // kFace: the system button face
    QRgb light, shadow;
    QRgb down, hot;       // kNone: no colour
    QRgb font;
    bool flat;
    TKelSpeedButtonStyle look;
};

constexpr QRgb kFace = 0x01000000;
constexpr QRgb kNone = 0x02000000;
constexpr QRgb kBlack = 0xff000000, kWhite = 0xffffffff;

const PresetEntry kPresets[] = {
    {lcsGold, qRgb(192, 192, 0), qRgb(255, 255, 0), qRgb(128, 128, 0), kNone, qRgb(223, 223, 0), kBlack, false, bsModern},
    {lcsChrome, qRgb(192, 192, 192), kWhite, qRgb(128, 128, 128), kNone, kNone, kBlack, false, bsModern},
    {lcsBlue, qRgb(0, 128, 255), qRgb(0, 255, 255), qRgb(0, 0, 255), kNone, kNone, kBlack, false, bsModern},
    {lcsRed, qRgb(255, 0, 0), qRgb(255, 192, 192), qRgb(192, 0, 0), kNone, kNone, kBlack, false, bsModern},
    {lcsUltraFlat1, kFace, qRgb(132, 146, 181), qRgb(132, 146, 181), qRgb(132, 146, 181), qRgb(214, 211, 222), kBlack, true, bsNormal},
    {lcsUltraFlat2, kFace, kBlack, kBlack, qRgb(188, 218, 36), qRgb(228, 246, 140), kBlack, true, bsNormal},
    {lcsUltraFlatXP, qRgb(219, 216, 209), qRgb(132, 146, 181), qRgb(133, 146, 181), qRgb(133, 146, 181), qRgb(182, 189, 210), kBlack, true, bsNormal},
    {lcsAqua, qRgb(148, 206, 236), qRgb(212, 230, 252), kBlack, kNone, kNone, kBlack, false, bsModern},
    {lcsDefault, kFace, kWhite, qRgb(128, 128, 128), kNone, kNone, kBlack, false, bsNormal},
    {lcsQuicken, qRgb(0, 48, 96), qRgb(192, 192, 192), qRgb(192, 192, 192), qRgb(41, 101, 173), qRgb(156, 174, 206), kWhite, false, bsQuicken},
};

QColor PresetColor(QRgb value)
{
    if (value == kFace)
        return QApplication::palette().color(QPalette::Button);
    if (value == kNone)
        return QColor();
    return QColor::fromRgb(value);
}

QImage NewImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// How many square cells a strip of glyphs holds side by side.
int CellCount(const QImage &strip)
{
    return strip.height() > 0 ? strip.width() / strip.height() : 0;
}

} // namespace

TModalResult KindModalResult(TKelButtonKind kind)
{
    const KindEntry *e = FindKind(kind);
    return e ? e->result : mrNone;
}

QString KindCaption(TKelButtonKind kind)
{
    const KindEntry *e = FindKind(kind);
    return e ? QString::fromUtf8(e->caption) : QString();
}

QString KindImageName(TKelButtonKind kind)
{
    const KindEntry *e = FindKind(kind);
    return e ? QString::fromLatin1(e->image) : QString();
}

QImage KindGlyph(TKelButtonKind kind)
{
    return kind == bkCustom ? QImage() : ProgramImage(KindImageName(kind));
}

QImage ProgramImage(const QString &name)
{
    if (name == QLatin1String("LBARROW")) {
        // A small black triangle pointing down, 7 × 4 pixels.
        QImage image(7, 4, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        for (int y = 0; y < 4; ++y)
            for (int x = y; x < 7 - y; ++x)
                image.setPixel(x, y, qRgb(0, 0, 0));
        return image;
    }
    const int size = name.endsWith(QLatin1String("_24")) ? 24 : 32;
    const double s = size;
    QImage image = NewImage(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
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
    if (name == QLatin1String("OK_32")) {
        check(0, QColor(0, 140, 0));
    } else if (name == QLatin1String("ALL_32")) {
        check(-s * 0.12, QColor(0, 140, 0));
        check(s * 0.12, QColor(0, 110, 0));
    } else if (name == QLatin1String("Cancel_32")) {
        cross(QColor(200, 0, 0));
    } else if (name == QLatin1String("NO_32")) {
        p.setPen(QPen(QColor(200, 0, 0), s / 10));
        p.drawEllipse(QRectF(s * 0.15, s * 0.15, s * 0.7, s * 0.7));
        p.drawLine(QPointF(s * 0.28, s * 0.72), QPointF(s * 0.72, s * 0.28));
    } else if (name == QLatin1String("HELP_32")) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 90, 200));
        p.drawEllipse(QRectF(s * 0.1, s * 0.1, s * 0.8, s * 0.8));
        p.setPen(Qt::white);
        QFont f(QStringLiteral("Sans"));
        f.setPixelSize(int(s * 0.55));
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(0, 0, s, s), Qt::AlignCenter, QStringLiteral("?"));
    } else if (name == QLatin1String("RETRY_32")) {
        p.setPen(QPen(QColor(0, 120, 160), s / 9, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(s * 0.2, s * 0.2, s * 0.6, s * 0.6), 90 * 16, 270 * 16);
        p.drawLine(QPointF(s * 0.5, s * 0.2), QPointF(s * 0.62, s * 0.1));
        p.drawLine(QPointF(s * 0.5, s * 0.2), QPointF(s * 0.62, s * 0.3));
    } else if (name == QLatin1String("IGNORE_32")) {
        p.setPen(QPen(QColor(120, 120, 120), s / 7, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.2, s * 0.5), QPointF(s * 0.8, s * 0.5));
    } else if (name == QLatin1String("link_32")) {
        p.setPen(QPen(QColor(90, 90, 90), s / 12));
        p.drawRoundedRect(QRectF(s * 0.1, s * 0.35, s * 0.45, s * 0.3), s * 0.15, s * 0.15);
        p.drawRoundedRect(QRectF(s * 0.45, s * 0.35, s * 0.45, s * 0.3), s * 0.15, s * 0.15);
    } else if (name == QLatin1String("binoculars_32")) {
        p.setPen(QPen(QColor(40, 40, 40), s / 12));
        p.setBrush(QColor(150, 190, 230));
        p.drawEllipse(QRectF(s * 0.08, s * 0.4, s * 0.38, s * 0.38));
        p.drawEllipse(QRectF(s * 0.54, s * 0.4, s * 0.38, s * 0.38));
        p.drawRect(QRectF(s * 0.38, s * 0.3, s * 0.24, s * 0.2));
    } else if (name == QLatin1String("playback_24") || name == QLatin1String("play_24")) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 110, 0));
        const bool left = name == QLatin1String("playback_24");
        const double tip = left ? s * 0.2 : s * 0.8, back = left ? s * 0.75 : s * 0.25;
        p.drawPolygon(QPolygonF({QPointF(tip, s * 0.5), QPointF(back, s * 0.2), QPointF(back, s * 0.8)}));
    } else if (name == QLatin1String("locatair_32")) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 100, 170));
        p.drawEllipse(QRectF(s * 0.35, s * 0.1, s * 0.3, s * 0.3));
        p.drawChord(QRectF(s * 0.15, s * 0.45, s * 0.7, s * 0.8), 0, 180 * 16);
    } else {
        p.end();
        return QImage();
    }
    return image;
}

QImage LightenImage(const QImage &source, int percent)
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

QColor BlendFace(const QColor &normal, const QColor &hot, int fade)
{
    const double f = fade / 8.0;
    auto mix = [f](int a, int b) { return int(std::lround(a * (1 - f) + b * f)); };
    return QColor(mix(normal.red(), hot.red()), mix(normal.green(), hot.green()), mix(normal.blue(), hot.blue()));
}

// ---------------------------------------------------------------------------------------------

TKelButtonThread::TKelButtonThread(QObject *control, std::function<void(QObject *)> callback)
    : m_control(control)
    , m_callback(std::move(callback))
{
}

TKelButtonThread::~TKelButtonThread()
{
    Terminate();
    if (m_thread.joinable())
        m_thread.join();
}

void TKelButtonThread::Resume()
{
    {
        std::lock_guard lock(m_mutex);
        m_suspended = false;
    }
    // The system thread starts with the first fade: a window full of buttons that the mouse
    // never leaves costs no threads.
    if (!m_thread.joinable())
        m_thread = std::thread([this] { Run(); });
    m_wake.notify_all();
}

void TKelButtonThread::Suspend()
{
    std::lock_guard lock(m_mutex);
    m_suspended = true;
}

bool TKelButtonThread::Suspended() const
{
    std::lock_guard lock(m_mutex);
    return m_suspended;
}

void TKelButtonThread::Terminate()
{
    {
        std::lock_guard lock(m_mutex);
        m_terminated = true;
    }
    m_wake.notify_all();
}

void TKelButtonThread::Run()
{
    using namespace std::chrono_literals;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return !m_suspended || m_terminated; });
        if (m_wake.wait_for(lock, 30ms, [this] { return m_terminated; }))
            return;
        if (m_suspended)
            continue;
        // Queued on the control: it runs on the control's thread, and is dropped if the
        // control is destroyed first (which cannot happen before this thread is joined).
        QMetaObject::invokeMethod(m_control, [callback = m_callback, control = m_control] { callback(control); },
                                  Qt::QueuedConnection);
    }
}

// ---------------------------------------------------------------------------------------------

TKelButtonFace::TKelButtonFace(QWidget *parent)
    : QAbstractButton(parent)
    , m_color(parent ? parent->palette().color(QPalette::Window) : QApplication::palette().color(QPalette::Window))
    , m_shadowColor(QApplication::palette().color(QPalette::Button))
    , m_hotTrackFont(parent ? parent->window()->font() : QApplication::font())
{
    // The button's own reaction comes before anything a window connects later.
    connect(this, &QAbstractButton::clicked, this, [this] { ButtonClicked(); });
}

TKelButtonFace::~TKelButtonFace()
{
    m_destroying = true;
    StopFading();
}

void TKelButtonFace::Repaint()
{
    if (!PaintsGradient())
        update();   // what lies under the button is painted first
    else
        repaint();
}

void TKelButtonFace::SetColor(const QColor &c) { m_color = c; Repaint(); }
void TKelButtonFace::SetColorWhenDown(const QColor &c) { m_colorWhenDown = c; Repaint(); }
void TKelButtonFace::SetHotTrackColor(const QColor &c) { m_hotTrackColor = c; Repaint(); }
void TKelButtonFace::SetLightColor(const QColor &c) { m_lightColor = c; Repaint(); }
void TKelButtonFace::SetShadowColor(const QColor &c) { m_shadowColor = c; Repaint(); }
void TKelButtonFace::SetFontColor(const QColor &c) { m_fontColor = c; Repaint(); }
void TKelButtonFace::SetFlat(bool f) { m_flat = f; Repaint(); }
void TKelButtonFace::SetStretchImage(bool s) { m_stretchImage = s; Repaint(); }
void TKelButtonFace::SetLayout(TKelSpeedButtonLayout l) { m_layout = l; Repaint(); }
void TKelButtonFace::SetAlignment(Qt::Alignment a) { m_alignment = a; Repaint(); }
void TKelButtonFace::SetOffSetCaption(int o) { m_offSetCaption = o; Repaint(); }
void TKelButtonFace::SetWordWrap(bool w) { m_wordWrap = w; Repaint(); }
void TKelButtonFace::SetHotTrackFont(const QFont &f) { m_hotTrackFont = f; Repaint(); }
void TKelButtonFace::SetUseHotTrackFont(bool u) { m_useHotTrackFont = u; Repaint(); }
void TKelButtonFace::SetPopupMenu(QMenu *menu) { m_popupMenu = menu; Repaint(); }
void TKelButtonFace::SetNumGlyphs(int n) { m_numGlyphs = std::max(0, n); Repaint(); }

void TKelButtonFace::SetColorStyle(TKelColorStyle style)
{
    for (const PresetEntry &e : kPresets) {
        if (e.style != style)
            continue;
        m_color = PresetColor(e.color);
        m_lightColor = PresetColor(e.light);
        m_shadowColor = PresetColor(e.shadow);
        m_colorWhenDown = PresetColor(e.down);
        m_hotTrackColor = PresetColor(e.hot);
        m_fontColor = PresetColor(e.font);
        m_flat = e.flat;
        SetStyle(e.look);
        Repaint();
        return;
    }
}

void TKelButtonFace::SetGlyph(const QImage &glyph)
{
    m_glyph = glyph;
    m_numGlyphs = CellCount(glyph);
    Repaint();
}

void TKelButtonFace::SetPNGObject(const QImage &png)
{
    m_png = png;
    m_numGlyphs = CellCount(png);
    Repaint();
}

void TKelButtonFace::SetKind(TKelButtonKind kind)
{
    m_kind = kind;
    if (kind == bkCustom)
        return;
    m_glyph = QImage();
    m_png = KindGlyph(kind);
    m_numGlyphs = 1;
    setText(KindCaption(kind));
    Repaint();
}

void TKelButtonFace::SetStyle(TKelSpeedButtonStyle s)
{
    // Gradients band badly on a palette display.
    if (s == bsModern && QGuiApplication::primaryScreen() && QGuiApplication::primaryScreen()->depth() <= 8)
        s = bsNormal;
    m_style = s;
    Repaint();
}

void TKelButtonFace::SetSlowDecease(bool s)
{
    if (s == m_slowDecease)
        return;
    m_slowDecease = s;
    if (s) {
        if (!m_thread)
            m_thread = std::make_unique<TKelButtonThread>(this, [](QObject *control) {
                static_cast<TKelButtonFace *>(control)->FadeTick();
            });
    } else {
        m_fade = 0;
        StopFading();
        Repaint();
    }
}

void TKelButtonFace::StopFading()
{
    m_thread.reset();   // terminates the loop and waits for it
}

void TKelButtonFace::FadeTick()
{
    if (m_destroying || !m_thread)
        return;
    --m_fade;
    if (m_fade < 1) {
        m_thread->Suspend();
        m_fade = 0;
    }
    Repaint();
}

bool TKelButtonFace::ShowingOnParent() const
{
    return isEnabled() && isVisible() && (!parentWidget() || parentWidget()->isVisible());
}

void TKelButtonFace::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    if (!ShowingOnParent())
        return;
    m_hot = true;
    m_fade = 8;
    Repaint();
    if (OnMouseEnter)
        OnMouseEnter(*this);
}

void TKelButtonFace::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    m_hot = false;
    if (m_slowDecease && m_thread) {
        if (m_thread->Suspended())
            m_thread->Resume();
    } else {
        m_fade = 0;
        Repaint();
    }
    if (ShowingOnParent() && OnMouseExit)
        OnMouseExit(*this);
}

void TKelButtonFace::changeEvent(QEvent *event)
{
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange
        || event->type() == QEvent::PaletteChange)
        update();
}

void TKelButtonFace::ButtonClicked()
{
    QPointer<TKelButtonFace> self(this);
    if (m_popupMenu)
        m_popupMenu->popup(mapToGlobal(rect().bottomLeft()));
    if (OnClick && self)
        OnClick(*this);
}

QImage TKelButtonFace::RenderFace() const
{
    const int w = width(), h = height();
    const bool enabled = isEnabled();
    const bool hot = PaintsHot();
    const bool down = PaintsDown();
    const int d = down ? 1 : 0;

    QColor face = m_color;
    if (enabled && m_hotTrackColor.isValid())
        face = BlendFace(m_color, m_hotTrackColor, hot && !m_hot ? 8 : m_fade);   // hot by focus: full
    if (enabled && down && m_colorWhenDown.isValid())
        face = m_colorWhenDown;

    QImage image(std::max(1, w), std::max(1, h), QImage::Format_ARGB32_Premultiplied);
    image.fill(FillsShadow() ? m_shadowColor : QColor(Qt::transparent));
    QPainter p(&image);
    if (PaintsGradient()) {
        Bands(p, 2, w - 2, 2, h / 4 + d, m_lightColor, face);
        Bands(p, 2, w - 2, h / 4 + d, h - 1, face, m_lightColor);
    }

    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(Darken(face, down ? 15 : 5));
    if (!down)
        p.drawRoundedRect(QRectF(1.5, 1.5, w - 3, h - 3), 4, 4);
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 5, 5);
    p.setRenderHint(QPainter::Antialiasing, false);

    // The glyph and the cell of it to show; a button given only an icon (as the record
    // navigator gives its buttons) shows the icon as it would a PNG image.
    QImage glyph;
    const QImage png = !m_png.isNull() || !m_glyph.isNull() || icon().isNull()
        ? m_png : icon().pixmap(iconSize()).toImage();
    if (!png.isNull()) {
        glyph = png;
        if (m_stretchImage && h > 8)
            glyph = glyph.scaled(h - 8, h - 8, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (!enabled)
            glyph = LightenImage(glyph, 75);
        else if (hot)
            glyph = LightenImage(glyph, 15);
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
    const QString caption = text();
    const int gw = glyph.width(), gh = glyph.height();
    QRect textRect;
    QPoint glyphAt;
    const int flags = Qt::TextShowMnemonic | int(m_alignment & Qt::AlignHorizontal_Mask)
        | (m_wordWrap ? Qt::TextWordWrap : 0);
    if (caption.isEmpty() && gw > 0) {
        glyphAt = QPoint((w - gw) / 2, (h - gh) / 2);   // a glyph alone sits in the middle
    } else if (m_layout == blGlyphLeft || m_layout == blGlyphRight) {
        const int textWidth = (gw > 0 || m_offSetCaption != 0) ? w - gw - m_offSetCaption - 12 : w - 8;
        const int textLeft = m_layout == blGlyphLeft ? 4 + gw + (gw > 0 ? 4 : 0) + m_offSetCaption : 4;
        textRect = QRect(textLeft, 0, std::max(0, textWidth), h);
        glyphAt = QPoint(m_layout == blGlyphLeft ? 4 : w - 4 - gw, (h - gh) / 2);
    } else {
        const int textHeight = metrics.boundingRect(QRect(0, 0, w - 8, h), flags | Qt::TextWordWrap, caption).height();
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
    QString shown = caption;
    if (!m_wordWrap) {
        // Cut from the end, without an ellipsis, until the caption fits.
        while (!shown.isEmpty() && metrics.horizontalAdvance(QString(shown).remove(QLatin1Char('&'))) > textRect.width())
            shown.chop(1);
    }
    if (!enabled)
        p.setPen(QColor(128, 128, 128));
    else
        p.setPen(m_fontColor.isValid() ? m_fontColor : palette().color(QPalette::ButtonText));
    if (!shown.isEmpty())
        p.drawText(textRect, flags | Qt::AlignVCenter, shown);
    if (!glyph.isNull())
        p.drawImage(glyphAt + QPoint(d, d), glyph);

    if (m_popupMenu)
        p.drawImage(w - 11, h / 2, ProgramImage(QStringLiteral("LBARROW")));
    return image;
}

QSize TKelButtonFace::sizeHint() const
{
    const QSize glyph = !m_png.isNull() ? m_png.size()
        : !m_glyph.isNull() && m_numGlyphs > 0 ? QSize(m_glyph.width() / m_numGlyphs, m_glyph.height())
        : !icon().isNull() ? iconSize() : QSize();
    const QFontMetrics metrics(font());
    const int textWidth = text().isEmpty() ? 0 : metrics.horizontalAdvance(QString(text()).remove(QLatin1Char('&'))) + 4;
    return QSize(std::max(24, glyph.width() + textWidth + 16 + m_offSetCaption),
                 std::max({23, glyph.height() + 8, metrics.height() + 10}));
}

void TKelButtonFace::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, RenderFace());
}

void UseToolbarLook(TKelButtonFace &button)
{
    button.SetColorStyle(lcsDefault);
    button.SetHotTrackColor(QColor(255, 226, 150));
    button.SetSlowDecease(true);
}

TKelSpeedButton *NewToolbarButton(QWidget *parent)
{
    auto *button = new TKelSpeedButton(parent);
    UseToolbarLook(*button);
    return button;
}

void UseDialogLook(TKelButtonFace &button)
{
    button.SetColorStyle(lcsDefault);
    button.SetHotTrackColor(QColor(190, 215, 245));
    button.SetSlowDecease(true);
}

// ---------------------------------------------------------------------------------------------

TKelSpeedButton::TKelSpeedButton(QWidget *parent)
    : TKelButtonFace(parent)
{
    setFocusPolicy(Qt::NoFocus);
    resize(100, 38);
}

TKelSpeedButton::~TKelSpeedButton() = default;

void TKelSpeedButton::SetTransparent(bool t)
{
    m_transparent = t;
    update();
}

void TKelSpeedButton::SetGroupIndex(int g)
{
    m_groupIndex = g;
    SetDown(m_down);
}

void TKelSpeedButton::SetAllowAllUp(bool a)
{
    m_allowAllUp = a;
    if (m_groupIndex != 0 && parentWidget())
        for (auto *other : parentWidget()->findChildren<TKelSpeedButton *>(Qt::FindDirectChildrenOnly))
            if (other->m_groupIndex == m_groupIndex)
                other->m_allowAllUp = a;
}

void TKelSpeedButton::SetDown(bool down)
{
    const bool changed = down != m_down;
    m_down = down;
    if (changed && down && m_groupIndex != 0 && parentWidget()) {
        for (auto *other : parentWidget()->findChildren<TKelSpeedButton *>(Qt::FindDirectChildrenOnly))
            if (other != this && other->m_groupIndex == m_groupIndex && other->m_down) {
                other->m_down = false;
                other->Repaint();
            }
    }
    Repaint();
}

bool TKelSpeedButton::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut) {
        // The caption's accelerator: shown down for the click, then as it was.
        if (ShowingOnParent()) {
            const bool was = m_down;
            m_down = true;
            Repaint();
            QPointer<TKelSpeedButton> self(this);
            emit clicked(false);
            if (self) {
                m_down = was;
                Repaint();
            }
        }
        return true;
    }
    return TKelButtonFace::event(event);
}

void TKelSpeedButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        event->ignore();
        return;
    }
    if (m_groupIndex != 0) {
        if (!m_down)
            SetDown(true);
        else if (m_allowAllUp)
            SetDown(false);
    } else {
        m_down = true;
        m_held = true;
        Repaint();
        if (m_repeatable) {
            if (!m_repeatTimer) {
                m_repeatTimer = new QTimer(this);
                connect(m_repeatTimer, &QTimer::timeout, this, &TKelSpeedButton::RepeatTick);
            }
            m_repeatTimer->start(400);
        }
    }
    emit pressed();
}

void TKelSpeedButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
}

void TKelSpeedButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const bool inside = rect().contains(event->position().toPoint());
    m_held = false;
    if (m_groupIndex == 0) {
        m_down = false;
        if (m_repeatTimer)
            m_repeatTimer->stop();
        Repaint();
    }
    emit released();
    if (inside && isEnabled())
        emit clicked(m_down);
}

void TKelSpeedButton::keyPressEvent(QKeyEvent *event) { event->ignore(); }
void TKelSpeedButton::keyReleaseEvent(QKeyEvent *event) { event->ignore(); }

void TKelSpeedButton::RepeatTick()
{
    if (!m_down || !m_held) {
        m_repeatTimer->stop();
        return;
    }
    // Stopped while the click runs: a click that fails leaves no timer clicking again.
    m_repeatTimer->stop();
    QPointer<TKelSpeedButton> self(this);
    emit clicked(false);
    if (self && m_down && m_held)
        m_repeatTimer->start(100);
}

} // namespace ui
