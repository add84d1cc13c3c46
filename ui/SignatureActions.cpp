#include "ui/SignatureActions.h"

#include "access/DroppedFile.h"
#include "access/MailMonitor.h"
#include "access/PasteModel.h"
#include "access/RememberedFields.h"
#include "store/HtmlInput.h"
#include "store/SignatureStatusUIModel.h"
#include "store/SignatureTemplate.h"
#include "store/SignaturesEngine.h"

#include <QFileInfo>

namespace {
std::optional<QString> insertOrAsk(const QString &html, SignaturesEngine &engine)
{
    // A template that cannot be filled safely is refused as mailsig refuses it.
    if (const std::optional<QString> refusal = SignatureTemplate::refusal(html)) {
        engine.statusUiModel()->message().set(*refusal);
        return std::nullopt;
    }
    // Braces that do not make a template are text like any other.
    if (!SignatureTemplate::fieldNames(html).isEmpty())
        return html;
    // The engine publishes the file as written; the preview follows that.
    engine.insertSignature(html);
    return std::nullopt;
}
} // namespace

std::optional<QString> SignatureActions::insertFromClipboard(PasteModel &paste, SignaturesEngine &engine,
                                                             MailMonitor &mailMonitor)
{
    const std::optional<QString> html = paste.readClipboardHTML();
    if (!html || refusedWhileMailRuns(engine, mailMonitor))
        return std::nullopt;
    return insertOrAsk(*html, engine);
}

std::optional<QString> SignatureActions::insertFromFile(const QString &path, SignaturesEngine &engine,
                                                        MailMonitor &mailMonitor)
{
    const HtmlInput::Read read = HtmlInput::fromFile(path, QFileInfo(path).fileName());
    if (!read.html) {
        engine.statusUiModel()->message().set(read.failure);
        return std::nullopt;
    }
    if (refusedWhileMailRuns(engine, mailMonitor))
        return std::nullopt;
    return insertOrAsk(*read.html, engine);
}

std::optional<QString> SignatureActions::insertDropped(const QMimeData &mime, SignaturesEngine &engine,
                                                       MailMonitor &mailMonitor)
{
    const DroppedFile::Verdict dropped = DroppedFile::of(mime);
    if (!dropped.file) {
        engine.statusUiModel()->message().set(dropped.refusal);
        return std::nullopt;
    }
    return insertFromFile(*dropped.file, engine, mailMonitor);
}

bool SignatureActions::insertFilled(const QString &templateHtml, const QMap<QString, QString> &values,
                                    SignaturesEngine &engine, MailMonitor &mailMonitor)
{
    const SignatureTemplate::Filled filled = SignatureTemplate::fill(templateHtml, values);
    if (!filled.html)
        return false;
    RememberedFields::remember(values);
    return !refusedWhileMailRuns(engine, mailMonitor) && engine.insertSignature(*filled.html);
}

QString SignatureActions::undoText(const SignaturesEngine &engine)
{
    return QStringLiteral("Undo ") + engine.selectedUndoName().value_or(QStringLiteral("Insert"));
}

void SignatureActions::undo(SignaturesEngine &engine, MailMonitor &mailMonitor)
{
    if (!refusedWhileMailRuns(engine, mailMonitor))
        engine.undoSelected();
}

void SignatureActions::putBack(SignaturesEngine &engine, MailMonitor &mailMonitor)
{
    if (!refusedWhileMailRuns(engine, mailMonitor))
        engine.putBackSelected();
}

QString SignatureActions::mailRunningRefusal()
{
    return QStringLiteral("Mail was running, so nothing was changed.");
}

bool SignatureActions::refusedWhileMailRuns(SignaturesEngine &engine, MailMonitor &mailMonitor)
{
    // The last poll may be a second old: Mail could have started since.
    mailMonitor.checkMailProcess();
    if (!mailMonitor.isMainRunning().get())
        return false;
    engine.statusUiModel()->message().set(mailRunningRefusal());
    return true;
}

void SignatureActions::authorize(SignaturesEngine &engine)
{
    engine.requestFolderAccess();
}
