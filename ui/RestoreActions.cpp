#include "ui/RestoreActions.h"

#include "access/MailMonitor.h"
#include "preview/ControlWebviewModel.h"
#include "store/SignatureFileFormat.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureStatusUIModel.h"
#include "store/SignatureVersions.h"
#include "store/SignaturesEngine.h"
#include "ui/TopbarActions.h"

void RestoreActions::show(ControlWebviewModel &preview, const QString &versionFile)
{
    const std::optional<QByteArray> bytes = SignatureVersions::read(versionFile);
    if (const std::optional<AppleSignatureContent> content =
            bytes ? SignatureFileFormat::parse(*bytes) : std::nullopt)
        preview.update(*content);
}

void RestoreActions::restore(SignaturesEngine &engine, ControlWebviewModel &preview, MailMonitor &mailMonitor,
                             const QString &versionFile)
{
    // The last poll may be a second old: Mail could have started since.
    mailMonitor.checkMailProcess();
    if (mailMonitor.isMainRunning().get())
        engine.statusUiModel()->message().set(TopbarActions::mailRunningRefusal());
    else
        engine.restoreVersion(versionFile);
    showCurrent(engine, preview);
}

void RestoreActions::showCurrent(SignaturesEngine &engine, ControlWebviewModel &preview)
{
    if (const std::optional<AppleSignatureContent> &content = engine.renderedUiModel()->signature().get())
        preview.update(*content);
}
