#include "ui/TopbarActions.h"

#include "access/MailMonitor.h"
#include "access/PasteModel.h"
#include "store/SignatureStatusUIModel.h"
#include "store/SignaturesEngine.h"

void TopbarActions::insertFromClipboard(PasteModel &paste, SignaturesEngine &engine, MailMonitor &mailMonitor)
{
    const std::optional<QString> html = paste.readClipboardHTML();
    if (!html)
        return;
    if (refusedWhileMailRuns(engine, mailMonitor))
        return;
    // The engine publishes the file as written; the preview follows that.
    engine.insertSignature(*html);
}

void TopbarActions::putBack(SignaturesEngine &engine, MailMonitor &mailMonitor)
{
    if (!refusedWhileMailRuns(engine, mailMonitor))
        engine.putBackSelected();
}

QString TopbarActions::mailRunningRefusal()
{
    return QStringLiteral("Mail was running, so nothing was changed.");
}

bool TopbarActions::refusedWhileMailRuns(SignaturesEngine &engine, MailMonitor &mailMonitor)
{
    // The last poll may be a second old: Mail could have started since.
    mailMonitor.checkMailProcess();
    if (!mailMonitor.isMainRunning().get())
        return false;
    engine.statusUiModel()->message().set(mailRunningRefusal());
    return true;
}

void TopbarActions::authorize(SignaturesEngine &engine)
{
    engine.requestFolderAccess();
}
