#include "access/MailMonitor.h"

#include "platform/Platform.h"
#include "platform/RunningApplications.h"

MailMonitor::MailMonitor(QObject *parent) : PublishedModel(false, parent)
{
    m_timer.setInterval(pollIntervalMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, &MailMonitor::checkMailProcess);
    m_timer.start();
}

void MailMonitor::checkMailProcess()
{
    const bool running =
        Platform::runningApplications().countWithBundleIdentifier(QLatin1String(mailBundleIdentifier)) > 0;
    if (running != isMainRunning().get())
        isMainRunning().set(running);
}
