#include "ui/render/SignatureRenderTopbar.h"

#include "store/SignaturesEngine.h"
#include "ui/render/SignatureRenderTopbarAppearance.h"
#include "ui/render/SignatureRenderTopbarInsertButton.h"
#include "ui/render/SignatureRenderTopbarMessageMailRunning.h"
#include "ui/render/SignatureRenderTopbarPutBackButton.h"

#include <QHBoxLayout>

SignatureRenderTopbar::SignatureRenderTopbar(const WindowEnvironment &environment,
                                             ControlWebviewModel &javascriptModel, QWidget *parent)
    : QWidget(parent), m_mailMonitor(environment.mailMonitor),
      m_message(new SignatureRenderTopbarMessageMailRunning(m_mailMonitor,
                                                            *environment.engine.statusUiModel(), this)),
      m_appearance(new SignatureRenderTopbarAppearance(javascriptModel, this)),
      m_putBack(new SignatureRenderTopbarPutBackButton(environment, this)),
      m_button(new SignatureRenderTopbarInsertButton(environment, this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_message, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    layout->addWidget(m_appearance, 0, Qt::AlignVCenter);
    layout->addWidget(m_putBack, 0, Qt::AlignVCenter);
    layout->addWidget(m_button, 0, Qt::AlignVCenter);
}
