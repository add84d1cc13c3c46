#include "ui/TopbarActions.h"

#include "access/MailMonitor.h"
#include "access/PasteModel.h"
#include "store/EngineServices.h"
#include "store/SignatureStatusUIModel.h"
#include "store/SignaturesEngine.h"

#include <QPointer>

void TopbarActions::insertFromClipboard(PasteModel &paste, SignaturesEngine &engine, MailMonitor &mailMonitor)
{
    const std::optional<QString> html = paste.readClipboardHTML();
    if (!html)
        return;
    // The last poll may be a second old: Mail could have started since.
    mailMonitor.checkMailProcess();
    if (mailMonitor.isMainRunning().get()) {
        engine.statusUiModel()->message().set(mailRunningRefusal());
        return;
    }
    // The engine publishes the file as written; the preview follows that.
    engine.insertSignature(*html);
}

QString TopbarActions::mailRunningRefusal()
{
    return QStringLiteral("Mail was running, so nothing was changed.");
}

void TopbarActions::authorize(SignaturesEngine &engine)
{
    // The chooser outlives this call; the engine may be gone when it answers.
    QPointer<SignaturesEngine> weak(&engine);
    engine.services().requestFolderAccess([weak](bool granted) {
        if (granted && weak)
            weak->accessGranted();
    });
}
