#pragma once
// The window shown while the program starts; it closes itself after a few seconds.

#include <QIcon>
#include <QPixmap>
#include <QWidget>

namespace app {

class TSplashScreen : public QWidget {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 651;
    static constexpr int kClientHeight = 442;
    static constexpr int kBorder = 4;
    static constexpr int kLifetimeMs = 4000;

    // Borderless, on top, centred on the screen; deletes itself when closed, which its
    // timer does kLifetimeMs after creation.
    explicit TSplashScreen(QWidget *parent = nullptr);

    // The picture stretched over the client area.
    static QPixmap Picture();
    // The program's window icon: one house of the picture.
    static QIcon Icon();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
};

} // namespace app
