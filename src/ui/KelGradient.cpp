#include "ui/KelGradient.h"

#include <QApplication>
#include <QEnterEvent>
#include <QPainter>
#include <QPalette>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ui {

namespace {

struct Rgb {
    int c[3];
};

Rgb ToRgb(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return {{rgb.red(), rgb.green(), rgb.blue()}};
}

QRgb FromRgb(const int c[3])
{
    return qRgb(std::clamp(c[0], 0, 255), std::clamp(c[1], 0, 255), std::clamp(c[2], 0, 255));
}

// Fills a w × h pattern with palette[index(x, y)], the index clamped to the palette.
template <typename F>
QImage Fill(const TKelPalette &palette, int w, int h, F index)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = palette[std::clamp(index(x, y), 0, 255)];
    }
    return image;
}

// Distance from (cx, cy) scaled so that the farthest corner of a 256 × 256 square gets 255.
QImage Radial(const TKelPalette &palette, int cx, int cy)
{
    const double far = std::hypot(std::max(cx, 255 - cx), std::max(cy, 255 - cy));
    return Fill(palette, 256, 256, [&](int x, int y) {
        return int(std::hypot(x - cx, y - cy) * 255.0 / far);
    });
}

// Stores value in field; true when that changed it.
template <class T>
bool Assign(T &field, const T &value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

TKelPalette KelGradientPalette(QColor beginColor, QColor endColor, bool reverse, int shift, int rotation)
{
    if (reverse)
        std::swap(beginColor, endColor);
    Rgb begin = ToRgb(beginColor);
    Rgb end = ToRgb(endColor);
    for (int k = 0; k < 3; ++k) {
        const int span = end.c[k] - begin.c[k];
        if (shift > 0)
            begin.c[k] += span * shift / 100;
        else if (shift < 0)
            end.c[k] += span * shift / 100;
    }
    int d[3];
    for (int k = 0; k < 3; ++k)
        d[k] = end.c[k] - begin.c[k];
    const int r = 255 * rotation / 100;
    TKelPalette palette{};
    for (int i = 0; i < 256; ++i) {
        int c[3];
        for (int k = 0; k < 3; ++k) {
            if (r == 0) {
                c[k] = begin.c[k] + i * d[k] / 255;
            } else if (r > 0) {
                const int p = 255 - r;
                c[k] = i < p ? begin.c[k] + i * d[k] / p : begin.c[k] + (255 - i) * d[k] / (255 - p);
            } else {
                const int q = -r;
                c[k] = i <= q ? end.c[k] - i * d[k] / q : end.c[k] - (255 - i) * d[k] / (255 - q);
            }
        }
        palette[i] = FromRgb(c);
    }
    return palette;
}

TKelGradient::TKelGradient(QWidget *parent)
    : QWidget(parent)
    , m_colorEnd(QApplication::palette().color(QPalette::Button))
    , m_borderColor(QApplication::palette().color(QPalette::Active, QPalette::Highlight))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 100);
    Rebuild();
}

TKelGradient::~TKelGradient() = default;

void TKelGradient::SetColorBegin(const QColor &c)
{
    m_useSysColors = false;
    if (Assign(m_colorBegin, c))
        Changed();
}

void TKelGradient::SetColorEnd(const QColor &c)
{
    m_useSysColors = false;
    if (Assign(m_colorEnd, c))
        Changed();
}

void TKelGradient::SetStyle(TKelGradientStyle s)
{
    if (Assign(m_style, s))
        Changed();
}

void TKelGradient::SetReverse(bool r)
{
    if (Assign(m_reverse, r))
        Changed();
}

void TKelGradient::SetShift(int s)
{
    if (Assign(m_shift, std::clamp(s, -100, 100)))
        Changed();
}

void TKelGradient::SetRotation(int r)
{
    if (Assign(m_rotation, std::clamp(r, -100, 100)))
        Changed();
}

void TKelGradient::SetBorderWidth(int w)
{
    if (Assign(m_borderWidth, std::max(0, w)))
        update();
}

void TKelGradient::SetBorderColor(const QColor &c)
{
    if (Assign(m_borderColor, c))
        update();
}

void TKelGradient::SetUseSysColors(bool u)
{
    if (Assign(m_useSysColors, u) && u)
        ReadSysColors();
}

// The platform has no caption colours of its own: the selection colour stands for the active
// caption and the window colour for the far end of its gradient.
void TKelGradient::ReadSysColors()
{
    const QPalette pal = QApplication::palette();
    const QColor caption = pal.color(QPalette::Active, QPalette::Highlight);
    QColor gradient = pal.color(QPalette::Active, QPalette::Window);
    if (!gradient.isValid()) {
        gradient = caption;
        m_useSysColors = false;
    }
    m_colorBegin = caption;
    m_colorEnd = gradient;
    Changed();
}

void TKelGradient::SetAnimated(bool a)
{
    m_animated = a;
}

void TKelGradient::BeginUpdate()
{
    ++m_updateLock;
}

void TKelGradient::EndUpdate()
{
    if (m_updateLock == 0)
        return;
    if (--m_updateLock == 0 && m_updatePending)
        Changed();
}

void TKelGradient::Changed()
{
    if (m_updateLock > 0) {
        m_updatePending = true;
        return;
    }
    m_updatePending = false;
    Rebuild();
    update();
}

void TKelGradient::Rebuild()
{
    m_palette = KelGradientPalette(m_colorBegin, m_colorEnd, m_reverse, m_shift, m_rotation);
    BuildPattern();
}

void TKelGradient::BuildPattern()
{
    const TKelPalette &p = m_palette;
    switch (m_style) {
    case gsCustom:
        if (OnCustom) {
            m_pattern = QImage(0, 0, QImage::Format_RGB32);
            OnCustom(*this, p, m_pattern);
            if (!m_pattern.isNull())
                break;
        }
        m_pattern = Fill(p, 2, 2, [](int x, int y) { return (x + y) % 2 == 0 ? 0 : 255; });
        break;
    case gsRadialC: m_pattern = Radial(p, 128, 128); break;
    case gsRadialT: m_pattern = Radial(p, 128, 0); break;
    case gsRadialB: m_pattern = Radial(p, 128, 255); break;
    case gsRadialL: m_pattern = Radial(p, 0, 128); break;
    case gsRadialR: m_pattern = Radial(p, 255, 128); break;
    case gsRadialTL: m_pattern = Radial(p, 0, 0); break;
    case gsRadialTR: m_pattern = Radial(p, 255, 0); break;
    case gsRadialBL: m_pattern = Radial(p, 0, 255); break;
    case gsRadialBR: m_pattern = Radial(p, 255, 255); break;
    case gsLinearH: m_pattern = Fill(p, 256, 1, [](int x, int) { return x; }); break;
    case gsLinearV: m_pattern = Fill(p, 1, 256, [](int, int y) { return y; }); break;
    case gsReflectedH:
        m_pattern = Fill(p, 1, 512, [](int, int y) { return y < 256 ? 255 - y : y - 256; });
        break;
    case gsReflectedV:
        m_pattern = Fill(p, 512, 1, [](int x, int) { return x < 256 ? 255 - x : x - 256; });
        break;
    case gsDiagonalLF: m_pattern = Fill(p, 128, 129, [](int x, int y) { return x + y; }); break;
    case gsDiagonalLB: m_pattern = Fill(p, 128, 129, [](int x, int y) { return x + 128 - y; }); break;
    case gsDiagonalRF: m_pattern = Fill(p, 128, 129, [](int x, int y) { return 127 - x + y; }); break;
    case gsDiagonalRB:
        m_pattern = Fill(p, 128, 129, [](int x, int y) { return 127 - x + 128 - y; });
        break;
    // Arrows: the begin colour along the point's axis, the end colour at the far side.
    case gsArrowL:
        m_pattern = Fill(p, 256, 256, [](int x, int y) { return x / 2 + std::abs(y - 128); });
        break;
    case gsArrowR:
        m_pattern = Fill(p, 256, 256, [](int x, int y) { return (255 - x) / 2 + std::abs(y - 128); });
        break;
    case gsArrowU:
        m_pattern = Fill(p, 256, 256, [](int x, int y) { return y / 2 + std::abs(x - 128); });
        break;
    case gsArrowD:
        m_pattern = Fill(p, 256, 256, [](int x, int y) { return (255 - y) / 2 + std::abs(x - 128); });
        break;
    case gsDiamond:
        m_pattern = Fill(p, 256, 256, [](int x, int y) { return std::abs(x - 128) + std::abs(y - 128); });
        break;
    case gsButterfly:
        m_pattern = Fill(p, 256, 256, [](int x, int y) {
            const int dx = x - 128, dy = y - 128;
            return std::abs(dx * dx - dy * dy) / 64;
        });
        break;
    case gsRadialRect:
        m_pattern = Fill(p, 256, 256, [](int x, int y) {
            return 2 * std::max(std::abs(x - 128), std::abs(y - 128));
        });
        break;
    // A lit upper half falling to the end colour at the middle, then rising again.
    case gsButtonEffect:
        m_pattern = Fill(p, 1, 256, [](int, int y) { return y < 128 ? 2 * y : 255 - (y - 128); });
        break;
    }
}

void TKelGradient::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QRect area = rect();
    if (m_borderWidth > 0) {
        painter.fillRect(area, m_borderColor);
        area.adjust(m_borderWidth, m_borderWidth, -m_borderWidth, -m_borderWidth);
    }
    if (area.isEmpty())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, m_style != gsCustom);
    painter.drawImage(area, m_pattern);
}

void TKelGradient::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    if (m_animated)
        AnimateTo(100);
    if (OnMouseEnter)
        OnMouseEnter(*this);
}

void TKelGradient::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    if (m_animated)
        AnimateTo(0);
    if (OnMouseLeave)
        OnMouseLeave(*this);
}

void TKelGradient::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (m_useSysColors && event->type() == QEvent::PaletteChange)
        ReadSysColors();
}

void TKelGradient::AnimateTo(int target)
{
    m_animationTarget = target;
    if (!m_timer) {
        m_timer = new QTimer(this);
        m_timer->setInterval(15);
        connect(m_timer, &QTimer::timeout, this, &TKelGradient::AnimationTick);
    }
    m_timer->start();
}

void TKelGradient::AnimationTick()
{
    const int step = m_rotation < m_animationTarget ? 10 : -10;
    int next = m_rotation + step;
    if ((step > 0 && next >= m_animationTarget) || (step < 0 && next <= m_animationTarget) || m_rotation == m_animationTarget)
        next = m_animationTarget;
    SetRotation(next);
    if (m_rotation == m_animationTarget) {
        m_timer->deleteLater();
        m_timer = nullptr;
    }
}

} // namespace ui
