#include "app/Splash.h"

#include "app/Startup.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace app {

TSplashScreen::TSplashScreen(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_picture(Picture())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString());
    setFixedSize(kClientWidth + 2 * kBorder, kClientHeight + 2 * kBorder);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect r = rect();
        r.moveCenter(screen->geometry().center());
        move(r.topLeft());
    }
    QTimer::singleShot(kLifetimeMs, this, &QWidget::close);
}

QPixmap TSplashScreen::Picture()
{
    QPixmap picture(kClientWidth, kClientHeight);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, kClientHeight);
    sky.setColorAt(0, QColor(0x1f, 0x3a, 0x5f));
    sky.setColorAt(1, QColor(0x5b, 0x86, 0xb5));
    p.fillRect(picture.rect(), sky);

    // A row of houses: the subject of the form.
    p.setPen(Qt::NoPen);
    const QColor walls[] = {QColor(0xe8, 0xd8, 0xb8), QColor(0xd9, 0xc4, 0x9c), QColor(0xef, 0xe4, 0xcc)};
    for (int i = 0; i < 5; ++i) {
        const int x = 40 + i * 118, w = 96, top = 300 - (i % 2) * 26;
        p.setBrush(walls[i % 3]);
        p.drawRect(x, top, w, 400 - top);
        p.setBrush(QColor(0x8c, 0x3b, 0x2e));
        p.drawPolygon(QPolygon({QPoint(x - 8, top), QPoint(x + w / 2, top - 46), QPoint(x + w + 8, top)}));
        p.setBrush(QColor(0x3d, 0x5a, 0x80));
        p.drawRect(x + 14, top + 20, 22, 24);
        p.drawRect(x + w - 36, top + 20, 22, 24);
        p.setBrush(QColor(0x5a, 0x3a, 0x22));
        p.drawRect(x + w / 2 - 11, 400 - 44, 22, 44);
    }
    p.fillRect(0, 400, kClientWidth, kClientHeight - 400, QColor(0x4a, 0x6b, 0x3a));

    p.setPen(Qt::white);
    QFont title(QStringLiteral("Liberation Serif"), 30, QFont::Bold);
    p.setFont(title);
    p.drawText(QRect(0, 40, kClientWidth, 60), Qt::AlignCenter, QString::fromUtf8(kApplicationTitle));
    QFont sub(QStringLiteral("Liberation Sans"), 13);
    p.setFont(sub);
    p.drawText(QRect(0, 104, kClientWidth, 28), Qt::AlignCenter,
               QStringLiteral("Formulaire obligatoire de la Ostrevane"));
    p.drawText(QRect(0, 132, kClientWidth, 28), Qt::AlignCenter, QStringLiteral("Mandatory form of the Ostrevane"));
    return picture;
}

QIcon TSplashScreen::Icon()
{
    QPixmap pm(64, 64);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe8, 0xd8, 0xb8));
    p.drawRect(12, 28, 40, 32);
    p.setBrush(QColor(0x8c, 0x3b, 0x2e));
    p.drawPolygon(QPolygon({QPoint(4, 30), QPoint(32, 4), QPoint(60, 30)}));
    p.setBrush(QColor(0x3d, 0x5a, 0x80));
    p.drawRect(18, 36, 10, 10);
    p.setBrush(QColor(0x5a, 0x3a, 0x22));
    p.drawRect(34, 40, 12, 20);
    return QIcon(pm);
}

void TSplashScreen::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0x20, 0x20, 0x20));
    p.drawPixmap(QRect(kBorder, kBorder, width() - 2 * kBorder, height() - 2 * kBorder), m_picture);
}

} // namespace app
