#include "ui/restore/RestoreActions.h"

#include "access/MailMonitor.h"
#include "preview/ControlWebviewModel.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureStatusUIModel.h"
#include "store/SignaturesEngine.h"
#include "ui/SignatureActions.h"

void RestoreActions::show(ControlWebviewModel &preview, const QString &versionFile)
{
    if (const std::optional<AppleSignatureContent> content =
            SignaturesEngine::keptVersionContent(versionFile))
        preview.update(*content);
}

void RestoreActions::restore(SignaturesEngine &engine, ControlWebviewModel &preview, MailMonitor &mailMonitor,
                             const QString &versionFile)
{
    if (!SignatureActions::refusedWhileMailRuns(engine, mailMonitor))
        engine.restoreKeptVersion(versionFile);
    showCurrent(engine, preview);
}

void RestoreActions::showCurrent(SignaturesEngine &engine, ControlWebviewModel &preview)
{
    if (const std::optional<AppleSignatureContent> &content = engine.renderedUiModel()->signature().get())
        preview.update(*content);
}
