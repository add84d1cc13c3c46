#include "ui/list/NewSignatureActions.h"

#include "access/PasteModel.h"
#include "store/SignaturesEngine.h"
#include "ui/SignatureActions.h"

QString NewSignatureActions::menuText()
{
    return QStringLiteral("New Signature from Clipboard\u2026");
}

std::optional<QString> NewSignatureActions::htmlToCreate(PasteModel &paste, SignaturesEngine &engine,
                                                         MailMonitor &mailMonitor)
{
    const std::optional<QString> html = paste.readClipboardHTML();
    if (!html || SignatureActions::refusedWhileMailRuns(engine, mailMonitor))
        return std::nullopt;
    return html;
}

bool NewSignatureActions::acceptsName(const QString &name)
{
    return !name.trimmed().isEmpty();
}

bool NewSignatureActions::create(SignaturesEngine &engine, MailMonitor &mailMonitor, const QString &name,
                                 const QString &html)
{
    if (!acceptsName(name) || SignatureActions::refusedWhileMailRuns(engine, mailMonitor))
        return false;
    // Spaces typed around a name are no part of it: "Work " is taken when "Work" is.
    return engine.createSignature(name.trimmed(), html);
}
