#include "ui/TopbarActions.h"

#include "access/MailMonitor.h"
#include "access/PasteModel.h"
#include "access/RememberedFields.h"
#include "store/SignatureStatusUIModel.h"
#include "store/SignatureTemplate.h"
#include "store/SignaturesEngine.h"

std::optional<QString> TopbarActions::insertFromClipboard(PasteModel &paste, SignaturesEngine &engine,
                                                          MailMonitor &mailMonitor)
{
    const std::optional<QString> html = paste.readClipboardHTML();
    if (!html || refusedWhileMailRuns(engine, mailMonitor))
        return std::nullopt;
    // Braces that do not make a template are text like any other.
    if (!SignatureTemplate::fieldNames(*html).isEmpty())
        return html;
    // The engine publishes the file as written; the preview follows that.
    engine.insertSignature(*html);
    return std::nullopt;
}

bool TopbarActions::insertFilled(const QString &templateHtml, const QMap<QString, QString> &values,
                                 SignaturesEngine &engine, MailMonitor &mailMonitor)
{
    const SignatureTemplate::Filled filled = SignatureTemplate::fill(templateHtml, values);
    if (!filled.html)
        return false;
    RememberedFields::remember(values);
    return !refusedWhileMailRuns(engine, mailMonitor) && engine.insertSignature(*filled.html);
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
