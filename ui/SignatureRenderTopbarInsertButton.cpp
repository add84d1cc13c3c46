#include "ui/SignatureRenderTopbarInsertButton.h"

#include "access/MailMonitor.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "ui/TopbarActions.h"
#include "ui/TopbarState.h"

namespace {
TopbarState stateOf(const WindowEnvironment &environment, MailMonitor &mailMonitor)
{
    return TopbarState::compute(environment.authorize.isAuthorized().get(), mailMonitor.isMainRunning().get(),
                                environment.rendered.signature().get().has_value());
}
} // namespace

SignatureRenderTopbarInsertButton::SignatureRenderTopbarInsertButton(const WindowEnvironment &environment,
                                                                     MailMonitor &mailMonitor,
                                                                     QWidget *parent)
    : QPushButton(parent), m_environment(environment), m_mailMonitor(mailMonitor)
{
    connect(&m_environment.authorize, &SignaturesEngineAccessAuthorize::changed, this,
            &SignatureRenderTopbarInsertButton::refresh);
    connect(&m_environment.rendered, &SignatureRenderUIModel::changed, this,
            &SignatureRenderTopbarInsertButton::refresh);
    connect(&m_mailMonitor, &MailMonitor::changed, this, &SignatureRenderTopbarInsertButton::refresh);
    connect(this, &QPushButton::clicked, this, &SignatureRenderTopbarInsertButton::trigger);
    refresh();
}

void SignatureRenderTopbarInsertButton::refresh()
{
    const TopbarState state = stateOf(m_environment, m_mailMonitor);
    setText(state.buttonTitle());
    setAccessibleName(state.buttonTitle());
    setEnabled(state.buttonEnabled);
}

void SignatureRenderTopbarInsertButton::trigger()
{
    const TopbarState state = stateOf(m_environment, m_mailMonitor);
    if (!state.buttonEnabled)
        return;
    if (state.action == TopbarState::Action::Insert)
        TopbarActions::insertFromClipboard(m_pasteModel, m_environment.engine, m_mailMonitor);
    else
        TopbarActions::authorize(m_environment.engine);
}
