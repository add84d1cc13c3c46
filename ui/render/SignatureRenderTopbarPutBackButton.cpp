#include "ui/render/SignatureRenderTopbarPutBackButton.h"

#include "access/MailMonitor.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "ui/SignatureActions.h"
#include "ui/TopbarState.h"

SignatureRenderTopbarPutBackButton::SignatureRenderTopbarPutBackButton(const WindowEnvironment &environment,
                                                                       QWidget *parent)
    : QPushButton(TopbarState::putBackTitle(), parent), m_environment(environment)
{
    setAccessibleName(TopbarState::putBackTitle());
    // A reload is what finds a file replaced, or put back.
    connect(&m_environment.list, &SignatureListUIModel::changed, this,
            &SignatureRenderTopbarPutBackButton::refresh);
    connect(&m_environment.selection, &SignatureSelectionUIModel::changed, this,
            &SignatureRenderTopbarPutBackButton::refresh);
    connect(&m_environment.authorize, &SignaturesEngineAccessAuthorize::changed, this,
            &SignatureRenderTopbarPutBackButton::refresh);
    connect(&m_environment.mailMonitor, &MailMonitor::changed, this,
            &SignatureRenderTopbarPutBackButton::refresh);
    connect(this, &QPushButton::clicked, this, &SignatureRenderTopbarPutBackButton::trigger);
    refresh();
}

void SignatureRenderTopbarPutBackButton::refresh()
{
    const TopbarState state = m_environment.topbarState();
    setVisible(state.putBackVisible);
    setEnabled(state.putBackEnabled);
}

void SignatureRenderTopbarPutBackButton::trigger()
{
    if (m_environment.topbarState().putBackEnabled)
        SignatureActions::putBack(m_environment.engine, m_environment.mailMonitor);
}
