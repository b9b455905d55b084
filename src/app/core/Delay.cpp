#include "app/core/Delay.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace {
double g_scale = 1.0;
}

void Delay::wait(int milliseconds)
{
    QDeadlineTimer deadline(scaled(milliseconds));
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (!deadline.hasExpired()) {
            QThread::msleep(1);
        }
    } while (!deadline.hasExpired());
}

void Delay::setScale(double scale)
{
    g_scale = scale < 0 ? 0 : scale;
}

double Delay::scale()
{
    return g_scale;
}

int Delay::scaled(int milliseconds)
{
    return static_cast<int>(milliseconds * g_scale);
}
