#include "ui/SignatureRenderTopbar.h"

#include "access/MailMonitor.h"
#include "store/SignaturesEngine.h"
#include "ui/SignatureRenderTopbarInsertButton.h"
#include "ui/SignatureRenderTopbarMessageMailRunning.h"

#include <QHBoxLayout>

SignatureRenderTopbar::SignatureRenderTopbar(const WindowEnvironment &environment, QWidget *parent)
    : QWidget(parent), m_mailMonitor(std::make_unique<MailMonitor>()),
      m_message(new SignatureRenderTopbarMessageMailRunning(*m_mailMonitor,
                                                            *environment.engine.statusUiModel(), this)),
      m_button(new SignatureRenderTopbarInsertButton(environment, *m_mailMonitor, this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_message, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    layout->addWidget(m_button, 0, Qt::AlignVCenter);
}

SignatureRenderTopbar::~SignatureRenderTopbar()
{
    // The children refer to the monitor: they go first.
    delete m_message;
    delete m_button;
}
