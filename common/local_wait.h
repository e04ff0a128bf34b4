#pragma once

#include <QEventLoop>
#include <QObject>

#include <functional>

namespace common {

// Raised when the window is closed while an operation runs: every wait ends at once, and the
// charger channel and the netsh runner start nothing new until it is cleared.
class Interruption : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    bool isRaised() const { return raised; }
    void raise()
    {
        raised = true;
        emit raisedNow();
    }
    void clear() { raised = false; }

signals:
    void raisedNow();

private:
    bool raised = false;
};

// The one way the window waits: a local event loop, so the window paints and a close is seen.
// It ends after `timeoutMs`, when `stop` is raised, or when a signal that `endOn` connects to the
// loop's quit fires; it does not start at all when `stop` is already raised. The caller looks at
// its own work to tell which.
void waitLocally(int timeoutMs, const Interruption *stop,
                 const std::function<void(QEventLoop &)> &endOn = {});

} // namespace common
