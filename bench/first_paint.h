#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

#include <cstdlib>
#include <functional>

namespace bench {

// Ends the process right after the first paint of `widget` for which `done` holds, skipping the
// teardown, so that the wall time of the process is the time to that paint.
inline void exitAtPaint(QWidget *widget, std::function<bool(const QWidget *)> done)
{
    class Filter : public QObject
    {
    public:
        Filter(QWidget *widget, std::function<bool(const QWidget *)> done)
            : QObject(widget), done(std::move(done))
        {}
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Paint && done(static_cast<QWidget *>(watched))) {
                // After the paint itself and the flush that follows it in the same pass.
                QMetaObject::invokeMethod(
                    qApp, []() { std::_Exit(0); }, Qt::QueuedConnection);
            }
            return false;
        }

    private:
        std::function<bool(const QWidget *)> done;
    };
    widget->installEventFilter(new Filter(widget, std::move(done)));
}

} // namespace bench
