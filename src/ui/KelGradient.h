#pragma once
// A panel that fills itself with a two-colour gradient in one of 26 patterns, can follow the
// system's caption colours and can animate its rotation while the mouse is over it.

#include <QColor>
#include <QImage>
#include <QWidget>

#include <array>
#include <functional>

class QTimer;

namespace ui {

enum TKelGradientStyle {
    gsCustom, gsRadialC, gsRadialT, gsRadialB, gsRadialL, gsRadialR, gsRadialTL, gsRadialTR,
    gsRadialBL, gsRadialBR, gsLinearH, gsLinearV, gsReflectedH, gsReflectedV, gsDiagonalLF,
    gsDiagonalLB, gsDiagonalRF, gsDiagonalRB, gsArrowL, gsArrowR, gsArrowU, gsArrowD,
    gsDiamond, gsButterfly, gsRadialRect, gsButtonEffect
};

using TKelPalette = std::array<QRgb, 256>;

// The 256 colours from begin to end with the shift and rotation applied, integer arithmetic
// throughout so that the same settings always give the same colours.
TKelPalette KelGradientPalette(QColor begin, QColor end, bool reverse, int shift, int rotation);

class TKelGradient : public QWidget {
    Q_OBJECT
public:
    explicit TKelGradient(QWidget *parent = nullptr);
    ~TKelGradient() override;

    QColor ColorBegin() const { return m_colorBegin; }
    void SetColorBegin(const QColor &c);
    QColor ColorEnd() const { return m_colorEnd; }
    void SetColorEnd(const QColor &c);
    TKelGradientStyle Style() const { return m_style; }
    void SetStyle(TKelGradientStyle s);
    bool Reverse() const { return m_reverse; }
    void SetReverse(bool r);
    int Shift() const { return m_shift; }
    void SetShift(int s);          // clamped to -100..100
    int Rotation() const { return m_rotation; }
    void SetRotation(int r);       // clamped to -100..100
    int BorderWidth() const { return m_borderWidth; }
    void SetBorderWidth(int w);
    QColor BorderColor() const { return m_borderColor; }
    void SetBorderColor(const QColor &c);
    bool UseSysColors() const { return m_useSysColors; }
    void SetUseSysColors(bool u);
    bool Animated() const { return m_animated; }
    void SetAnimated(bool a);

    // Changes between these rebuild the pattern once, when the last lock is released.
    void BeginUpdate();
    void EndUpdate();

    const TKelPalette &Palette() const { return m_palette; }
    const QImage &Pattern() const { return m_pattern; }

    // Fills the pattern for gsCustom; the pattern arrives empty and 32 bits per pixel.
    std::function<void(TKelGradient &, const TKelPalette &, QImage &)> OnCustom;
    std::function<void(TKelGradient &)> OnMouseEnter;
    std::function<void(TKelGradient &)> OnMouseLeave;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void Changed();
    void Rebuild();
    void BuildPattern();
    void ReadSysColors();
    void AnimateTo(int target);
    void AnimationTick();

    QColor m_colorBegin{Qt::white};
    QColor m_colorEnd;
    TKelGradientStyle m_style = gsRadialC;
    bool m_reverse = false;
    int m_shift = 0;
    int m_rotation = 0;
    int m_borderWidth = 0;
    QColor m_borderColor;
    bool m_useSysColors = false;
    bool m_animated = false;
    TKelPalette m_palette{};
    QImage m_pattern;
    int m_updateLock = 0;
    bool m_updatePending = false;
    QTimer *m_timer = nullptr;   // made on demand, freed when the target is reached
    int m_animationTarget = 0;
};

} // namespace ui
