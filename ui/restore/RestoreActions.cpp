#include "ui/restore/RestoreActions.h"

#include "access/MailMonitor.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureStatusUIModel.h"
#include "store/SignaturesEngine.h"
#include "ui/SignatureActions.h"

void RestoreActions::show(SignaturesEngine &engine, const QString &versionFile)
{
    if (const std::optional<AppleSignatureContent> content =
            SignaturesEngine::keptVersionContent(versionFile))
        engine.renderedUiModel()->shownInstead().set(SignatureRenderUIModel::bodyOf(*content));
}

void RestoreActions::restore(SignaturesEngine &engine, MailMonitor &mailMonitor, const QString &versionFile)
{
    if (!SignatureActions::refusedWhileMailRuns(engine, mailMonitor))
        engine.restoreKeptVersion(versionFile);
    engine.renderedUiModel()->shownInstead().set(std::nullopt);
}
