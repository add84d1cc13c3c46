#include "ui/render/SignatureRenderTopbarMessageMailRunning.h"

#include "access/MailMonitor.h"
#include "store/SignatureStatusUIModel.h"
#include "ui/TopbarState.h"

SignatureRenderTopbarMessageMailRunning::SignatureRenderTopbarMessageMailRunning(
    MailMonitor &mailMonitor, SignatureStatusUIModel &status, QWidget *parent)
    : QLabel(TopbarState::messageText(), parent), m_mailMonitor(mailMonitor), m_status(status)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setRetainSizeWhenHidden(true);
    setSizePolicy(policy);
    connect(&m_mailMonitor, &MailMonitor::changed, this, &SignatureRenderTopbarMessageMailRunning::refresh);
    connect(&m_status, &SignatureStatusUIModel::changed, this,
            &SignatureRenderTopbarMessageMailRunning::refresh);
    refresh();
}

void SignatureRenderTopbarMessageMailRunning::refresh()
{
    // Only Mail's state and the last insert decide the message.
    const TopbarState state =
        TopbarState::compute(false, m_mailMonitor.isMainRunning().get(), false, m_status.message().get());
    if (state.messageVisible)
        setText(state.message);
    setVisible(state.messageVisible);
}
