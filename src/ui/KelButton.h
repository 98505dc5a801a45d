#pragma once
// The program's focusable push button: the speed button's face, hot while it has the focus,
// over a fill of ShadowColor; stock kinds with their image, caption and modal result; the
// dialog's default (Enter) and cancel (Escape) roles.

#include "ui/KelSpeedButton.h"

namespace ui {

class TKelButton : public TKelButtonFace {
    Q_OBJECT
public:
    explicit TKelButton(QWidget *parent = nullptr);
    ~TKelButton() override;

    void SetGlyph(const QImage &glyph) override;   // also makes the kind bkCustom
    void SetKind(TKelButtonKind kind) override;    // also sets the modal result
    void SetStyle(TKelSpeedButtonStyle s) override;
    // The result given to the dialog the button is on when it is clicked, after OnClick.
    int ModalResult() const { return m_modalResult; }
    void SetModalResult(int r) { m_modalResult = r; }
    bool Default() const { return m_default; }
    void SetDefault(bool d);
    bool Cancel() const { return m_cancel; }
    void SetCancel(bool c);

    bool Pressed() const { return m_pressed; }
    // Marks the button pressed and clicks it, as a mouse click would.
    void Click();

protected:
    bool PaintsHot() const override { return TKelButtonFace::PaintsHot() || hasFocus(); }
    bool PaintsDown() const override { return m_pressed && isEnabled(); }
    bool FillsShadow() const override { return true; }
    bool PaintsGradient() const override { return true; }
    void ButtonClicked() override;

    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void DoClick();
    void WatchWindow();

    int m_modalResult = mrNone;
    bool m_default = false;
    bool m_cancel = false;
    bool m_pressed = false;
    QPointer<QWidget> m_watchedWindow;
};

} // namespace ui
