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
    const std::optional<QString> message =
        TopbarState::message(m_mailMonitor.isMainRunning().get(), m_status.message().get());
    if (message)
        setText(*message);
    setVisible(message.has_value());
}
