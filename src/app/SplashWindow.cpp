#include "app/SplashWindow.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

SplashWindow::SplashWindow(const QString& picturePath, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_picture(picturePath)
{
    setObjectName(QStringLiteral("SplashWindow"));
    setFixedSize(kSize, kSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().center() - rect().center());
    }
}

void SplashWindow::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    if (m_picture.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    painter.drawPixmap(rect(), m_picture);
}
