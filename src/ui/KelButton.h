#pragma once
// The program's focusable push button: a rounded face with a two-part vertical gradient, a
// glyph and a caption; stock kinds with their image, caption and modal result; the dialog's
// default (Enter) and cancel (Escape) roles.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>

#include <QMenu>

namespace ui {

enum TKelButtonKind {
    bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll,
    bkLink, bkFind, bkPrevious, bkNext, bkLocatair
};

enum TKelSpeedButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TKelSpeedButtonStyle { bsNormal, bsModern, bsShape, bsQuicken };

// The results a form closes with; a QDialog's exec() returns them as they are.
enum TModalResult {
    mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
    mrNo = 7, mrAll = 8
};

// The modal result a stock kind gives its button.
TModalResult KindModalResult(TKelButtonKind kind);
// The caption a stock kind gives its button (empty for bkCustom).
QString KindCaption(TKelButtonKind kind);
// The stock kind's picture, drawn by the program (null for bkCustom).
QImage KindGlyph(TKelButtonKind kind);

class TKelButton : public QWidget {
    Q_OBJECT
public:
    explicit TKelButton(QWidget *parent = nullptr);
    ~TKelButton() override;

    QString Caption() const { return m_caption; }
    void SetCaption(const QString &caption);
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
    bool Flat() const { return m_flat; }
    void SetFlat(bool f);
    QImage Glyph() const { return m_glyph; }
    void SetGlyph(const QImage &glyph);          // also makes the kind bkCustom
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
    QFont HotTrackFont() const { return m_hotTrackFont; }
    void SetHotTrackFont(const QFont &f);
    bool UseHotTrackFont() const { return m_useHotTrackFont; }
    void SetUseHotTrackFont(bool u);
    QMenu *PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(QMenu *menu);
    TKelSpeedButtonStyle Style() const { return m_style; }
    void SetStyle(TKelSpeedButtonStyle s);
    TKelButtonKind Kind() const { return m_kind; }
    void SetKind(TKelButtonKind kind);
    int ModalResult() const { return m_modalResult; }
    void SetModalResult(int r) { m_modalResult = r; }
    bool Default() const { return m_default; }
    void SetDefault(bool d);
    bool Cancel() const { return m_cancel; }
    void SetCancel(bool c);

    bool Pressed() const { return m_pressed; }
    // Marks the button pressed and clicks it, as a mouse click would.
    void Click();

    std::function<void(TKelButton &)> OnClick;
    std::function<void(TKelButton &)> OnMouseEnter;
    std::function<void(TKelButton &)> OnMouseExit;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void DoClick();
    void WatchWindow();
    void UpdateMnemonic();
    bool ShowingOnParent() const;
    QImage Render() const;

    QString m_caption;
    QColor m_color;
    QColor m_colorWhenDown;
    QColor m_hotTrackColor;
    QColor m_lightColor{Qt::white};
    QColor m_shadowColor;
    bool m_flat = false;
    QImage m_glyph;
    QImage m_png;
    int m_numGlyphs = 1;
    bool m_stretchImage = false;
    TKelSpeedButtonLayout m_layout = blGlyphLeft;
    Qt::Alignment m_alignment = Qt::AlignHCenter;
    int m_offSetCaption = 0;
    bool m_wordWrap = false;
    QFont m_hotTrackFont;
    bool m_useHotTrackFont = false;
    QPointer<QMenu> m_popupMenu;
    TKelSpeedButtonStyle m_style = bsNormal;
    TKelButtonKind m_kind = bkCustom;
    int m_modalResult = mrNone;
    bool m_default = false;
    bool m_cancel = false;
    bool m_pressed = false;
    bool m_mouseOver = false;
    int m_fade = 0;
    int m_shortcutId = 0;
    QPointer<QWidget> m_watchedWindow;
};

} // namespace ui
