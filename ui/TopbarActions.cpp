#include "ui/TopbarActions.h"

#include "access/MailMonitor.h"
#include "access/PasteModel.h"
#include "preview/ControlWebviewModel.h"
#include "store/EngineServices.h"
#include "store/SignaturesEngine.h"

#include <QPointer>

void TopbarActions::insertFromClipboard(PasteModel &paste, ControlWebviewModel &preview,
                                        SignaturesEngine &engine, MailMonitor &mailMonitor)
{
    const std::optional<QString> html = paste.readClipboardHTML();
    if (!html)
        return;
    // The last poll may be a second old: Mail could have started since.
    mailMonitor.checkMailProcess();
    if (mailMonitor.isMainRunning().get())
        return;
    if (engine.insertSignature(*html))
        preview.update(*html);
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
