#pragma once

#include "store/Published.h"

#include <QObject>
#include <QTimer>

// Whether Mail is running, polled once a second from the main thread. The
// first poll comes one interval after construction. isMainRunning is set only
// when the answer changes, so its observers hear nothing between changes.
class MailMonitor : public QObject
{
    Q_OBJECT
public:
    explicit MailMonitor(QObject *parent = nullptr);

    Published<bool> &isMainRunning() { return m_isMainRunning; }
    const Published<bool> &isMainRunning() const { return m_isMainRunning; }

    // One poll; the timer's action, also callable directly.
    void checkMailProcess();

    static constexpr const char *mailBundleIdentifier = "com.apple.mail";
    static constexpr int pollIntervalMilliseconds = 1000;

signals:
    void changed();

private:
    Published<bool> m_isMainRunning;
    QTimer m_timer;
};
