#pragma once
// The program's own buttons. TKelButtonFace holds what the flat speed button and the focusable
// stock button share: the colours and their presets, the glyph, the caption layout, the stock
// kinds, the hot state and its fading, and the painting of the rounded gradient face.
// TKelSpeedButton is the windowless toolbar button; TKelButton (KelButton.h) the dialog button.
//
// Both are QAbstractButtons: the caption is the button's text (so the translation component and
// assistive technologies read it), and every click, by mouse, key, accelerator or a program,
// goes out through the clicked() signal. The button's own reaction to a click (its OnClick
// handler, its drop-down menu, its dialog's result) runs before the slots a window connects.

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QMenu>
#include <QPointer>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QMenu;
class QTimer;

namespace ui {

enum TKelColorStyle {
    lcsCustom, lcsGold, lcsChrome, lcsBlue, lcsRed, lcsUltraFlat1, lcsUltraFlat2, lcsUltraFlatXP,
    lcsAqua, lcsDefault, lcsQuicken
};
enum TKelSpeedButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TKelSpeedButtonStyle { bsNormal, bsEncarta, bsModern, bsOld, bsShape, bsQuicken };
enum TKelButtonKind {
    bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll,
    bkLink, bkFind, bkPrevious, bkNext, bkLocatair
};

// The results a form closes with; a QDialog's exec() returns them as they are.
enum TModalResult {
    mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
    mrNo = 7, mrAll = 8
};

// The modal result a stock kind gives a TKelButton.
TModalResult KindModalResult(TKelButtonKind kind);
// The caption a stock kind gives its button (empty for bkCustom); French whatever the language.
QString KindCaption(TKelButtonKind kind);
// The name of the program image a stock kind shows ("OK_32", "play_24"…; empty for bkCustom).
QString KindImageName(TKelButtonKind kind);
// The program's button images, drawn by the program: the stock kinds' images by the names
// above, and "LBARROW", the small arrow of a button with a menu. Null for an unknown name.
QImage ProgramImage(const QString &name);
// The stock kind's image (null for bkCustom).
QImage KindGlyph(TKelButtonKind kind);

// c + (255 − c) × percent ÷ 100 on each colour channel; alpha is kept.
QImage LightenImage(const QImage &image, int percent);
// The face colour between normal and hot at fade level 0 (normal) to 8 (hot), rounded.
QColor BlendFace(const QColor &normal, const QColor &hot, int fade);

// Sleeps 30 ms and hands a tick to the user-interface thread, over and over, while resumed.
// It never touches the control: the tick runs there, through the control's event queue, and a
// tick still queued when the control goes away is dropped with it. Created suspended; Resume
// and Terminate are called from the user-interface thread.
class TKelButtonThread {
public:
    TKelButtonThread(QObject *control, std::function<void(QObject *)> callback);
    // Terminates the loop and waits for it.
    ~TKelButtonThread();
    TKelButtonThread(const TKelButtonThread &) = delete;
    TKelButtonThread &operator=(const TKelButtonThread &) = delete;

    void Resume();
    void Suspend();
    bool Suspended() const;
    void Terminate();

private:
    void Run();

    QObject *const m_control;
    const std::function<void(QObject *)> m_callback;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_suspended = true;
    bool m_terminated = false;
    std::thread m_thread;
};

class TKelButtonFace : public QAbstractButton {
    Q_OBJECT
public:
    ~TKelButtonFace() override;

    QString Caption() const { return text(); }
    void SetCaption(const QString &caption) { setText(caption); }
    QColor Color() const { return m_color; }
    void SetColor(const QColor &c);
    QColor ColorWhenDown() const { return m_colorWhenDown; }   // invalid: none
    void SetColorWhenDown(const QColor &c);
    QColor HotTrackColor() const { return m_hotTrackColor; }   // invalid: none
    void SetHotTrackColor(const QColor &c);
    QColor LightColor() const { return m_lightColor; }
    void SetLightColor(const QColor &c);
    QColor ShadowColor() const { return m_shadowColor; }
    void SetShadowColor(const QColor &c);
    // The caption's colour (invalid: the palette's button text).
    QColor FontColor() const { return m_fontColor; }
    void SetFontColor(const QColor &c);
    // A preset assigns its colours, Flat and Style; the property itself always reads lcsCustom.
    TKelColorStyle ColorStyle() const { return lcsCustom; }
    void SetColorStyle(TKelColorStyle style);
    bool Flat() const { return m_flat; }
    void SetFlat(bool f);
    QImage Glyph() const { return m_glyph; }
    virtual void SetGlyph(const QImage &glyph);
    QImage PNGObject() const { return m_png; }
    void SetPNGObject(const QImage &png);
    int NumGlyphs() const { return m_numGlyphs; }
    void SetNumGlyphs(int n);
    bool StretchImage() const { return m_stretchImage; }
    void SetStretchImage(bool s);
    TKelSpeedButtonLayout Layout() const { return m_layout; }
    void SetLayout(TKelSpeedButtonLayout l);
    Qt::Alignment Alignment() const { return m_alignment; }
    void SetAlignment(Qt::Alignment a);
    int OffSetCaption() const { return m_offSetCaption; }
    void SetOffSetCaption(int o);
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool w);
    TKelButtonKind Kind() const { return m_kind; }
    virtual void SetKind(TKelButtonKind kind);
    TKelSpeedButtonStyle Style() const { return m_style; }
    virtual void SetStyle(TKelSpeedButtonStyle s);
    QFont HotTrackFont() const { return m_hotTrackFont; }
    void SetHotTrackFont(const QFont &f);
    bool UseHotTrackFont() const { return m_useHotTrackFont; }
    void SetUseHotTrackFont(bool u);
    // Fade back in eight ticks of TKelButtonThread after the mouse leaves.
    bool SlowDecease() const { return m_slowDecease; }
    void SetSlowDecease(bool s);
    QMenu *PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(QMenu *menu);

    bool Hot() const { return m_hot; }
    // 8 while hot, falling to 0 as the button fades back.
    int FadeLevel() const { return m_fade; }
    // The face as painted now, without what the widget shows around it.
    QImage RenderFace() const;
    // Room for the glyph and the caption side by side.
    QSize sizeHint() const override;

    std::function<void(TKelButtonFace &)> OnClick;
    std::function<void(TKelButtonFace &)> OnMouseEnter;
    std::function<void(TKelButtonFace &)> OnMouseExit;

protected:
    explicit TKelButtonFace(QWidget *parent);

    // How the two buttons differ in painting.
    virtual bool PaintsHot() const { return m_hot; }
    virtual bool PaintsDown() const = 0;
    virtual bool FillsShadow() const = 0;
    virtual bool PaintsGradient() const = 0;
    // Runs first when the button is clicked, before the windows' slots.
    virtual void ButtonClicked();

    bool ShowingOnParent() const;
    void Repaint();
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void FadeTick();
    void StopFading();

    QColor m_color;
    QColor m_colorWhenDown;
    QColor m_hotTrackColor;
    QColor m_lightColor{Qt::white};
    QColor m_shadowColor;
    QColor m_fontColor;
    bool m_flat = false;
    QImage m_glyph;
    QImage m_png;
    int m_numGlyphs = 0;
    bool m_stretchImage = false;
    TKelSpeedButtonLayout m_layout = blGlyphLeft;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    int m_offSetCaption = 0;
    bool m_wordWrap = false;
    TKelButtonKind m_kind = bkCustom;
    TKelSpeedButtonStyle m_style = bsModern;
    QFont m_hotTrackFont;
    bool m_useHotTrackFont = false;
    bool m_slowDecease = false;
    QPointer<QMenu> m_popupMenu;
    bool m_hot = false;
    int m_fade = 0;
    bool m_destroying = false;
    std::unique_ptr<TKelButtonThread> m_thread;
};

// The flat toolbar button: no focus of its own, radio groups by GroupIndex, repeated clicks
// while held, and a transparent mode that paints only the frame, caption and glyph.
class TKelSpeedButton : public TKelButtonFace {
    Q_OBJECT
public:
    explicit TKelSpeedButton(QWidget *parent = nullptr);
    ~TKelSpeedButton() override;

    bool Down() const { return m_down; }
    void SetDown(bool down);
    int GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int g);
    bool AllowAllUp() const { return m_allowAllUp; }
    void SetAllowAllUp(bool a);
    bool Repeatable() const { return m_repeatable; }
    void SetRepeatable(bool r) { m_repeatable = r; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool t);

protected:
    bool PaintsDown() const override { return m_down && isEnabled(); }
    bool FillsShadow() const override { return false; }
    bool PaintsGradient() const override { return !m_transparent; }

    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    void RepeatTick();

    bool m_down = false;
    int m_groupIndex = 0;
    bool m_allowAllUp = false;
    bool m_repeatable = false;
    bool m_transparent = false;
    bool m_held = false;   // the mouse pressed it and has not let go
    QTimer *m_repeatTimer = nullptr;
};

// The program's two looks, so that every window shows the same buttons: the face colour with a
// white sheen, lit amber under the mouse on toolbars and light blue under the mouse or with the
// focus on dialogs, fading back when the mouse leaves.
void UseToolbarLook(TKelButtonFace &button);
void UseDialogLook(TKelButtonFace &button);
// A speed button of the toolbar look, for windows that make their buttons through a factory
// (the record navigator).
TKelSpeedButton *NewToolbarButton(QWidget *parent);

} // namespace ui
