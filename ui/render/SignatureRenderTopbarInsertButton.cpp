#include "ui/render/SignatureRenderTopbarInsertButton.h"

#include "access/MailMonitor.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "ui/SignatureActions.h"
#include "ui/TopbarState.h"

SignatureRenderTopbarInsertButton::SignatureRenderTopbarInsertButton(const WindowEnvironment &environment,
                                                                     QWidget *parent)
    : QPushButton(parent), m_environment(environment)
{
    connect(&m_environment.authorize, &SignaturesEngineAccessAuthorize::changed, this,
            &SignatureRenderTopbarInsertButton::refresh);
    connect(&m_environment.rendered, &SignatureRenderUIModel::changed, this,
            &SignatureRenderTopbarInsertButton::refresh);
    connect(&m_environment.mailMonitor, &MailMonitor::changed, this,
            &SignatureRenderTopbarInsertButton::refresh);
    connect(this, &QPushButton::clicked, this, &SignatureRenderTopbarInsertButton::trigger);
    refresh();
}

void SignatureRenderTopbarInsertButton::refresh()
{
    const TopbarState state = m_environment.topbarState();
    setText(state.buttonTitle());
    setAccessibleName(state.buttonTitle());
    setEnabled(state.buttonEnabled);
}

void SignatureRenderTopbarInsertButton::trigger()
{
    const TopbarState state = m_environment.topbarState();
    if (!state.buttonEnabled)
        return;
    if (state.action == TopbarState::Action::Insert) {
        if (const std::optional<SignatureActions::Template> templateHtml =
                SignatureActions::insertFromClipboard(m_pasteModel, m_environment.engine,
                                                      m_environment.mailMonitor))
            emit fieldsAsked(*templateHtml);
    } else
        SignatureActions::authorize(m_environment.engine);
}
