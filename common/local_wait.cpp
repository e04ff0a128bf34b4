#include "common/local_wait.h"

#include <QTimer>

namespace common {

void waitLocally(int timeoutMs, const Interruption *stop,
                 const std::function<void(QEventLoop &)> &endOn)
{
    if (stop && stop->isRaised())
        return;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (stop)
        QObject::connect(stop, &Interruption::raisedNow, &loop, &QEventLoop::quit);
    if (endOn)
        endOn(loop);
    timer.start(timeoutMs);
    loop.exec();
}

} // namespace common
