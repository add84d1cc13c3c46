#include "ui/SignatureRenderTopbarMessageMailRunning.h"

#include "access/MailMonitor.h"
#include "ui/TopbarState.h"

SignatureRenderTopbarMessageMailRunning::SignatureRenderTopbarMessageMailRunning(MailMonitor &mailMonitor,
                                                                                 QWidget *parent)
    : QLabel(TopbarState::messageText(), parent), m_mailMonitor(mailMonitor)
{
    setTextFormat(Qt::PlainText);
    QSizePolicy policy = sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    setSizePolicy(policy);
    connect(&m_mailMonitor, &MailMonitor::changed, this, &SignatureRenderTopbarMessageMailRunning::refresh);
    refresh();
}

void SignatureRenderTopbarMessageMailRunning::refresh()
{
    // Only Mail's state decides the message; the other two inputs do not matter.
    setVisible(TopbarState::compute(false, m_mailMonitor.isMainRunning().get(), false).messageVisible);
}
