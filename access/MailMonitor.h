#pragma once

#include "base/PublishedModel.h"

#include <QTimer>

// Whether Mail is running, polled once a second from the main thread. The
// first poll comes one interval after construction. isMainRunning is set only
// when the answer changes, so its observers hear nothing between changes.
class MailMonitor : public PublishedModel<bool>
{
public:
    explicit MailMonitor(QObject *parent = nullptr);

    Published<bool> &isMainRunning() { return value(); }
    const Published<bool> &isMainRunning() const { return value(); }

    // One poll; the timer's action, also callable directly.
    void checkMailProcess();

    static constexpr const char *mailBundleIdentifier = "com.apple.mail";
    static constexpr int pollIntervalMilliseconds = 1000;

private:
    QTimer m_timer;
};
