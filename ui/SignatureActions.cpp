#include "ui/SignatureActions.h"

#include "access/DroppedFile.h"
#include "access/MailMonitor.h"
#include "access/PasteModel.h"
#include "access/RememberedFields.h"
#include "store/HtmlInput.h"
#include "store/ImageEmbedding.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureStatusUIModel.h"
#include "store/SignatureTemplate.h"
#include "store/SignaturesEngine.h"

#include <QFileInfo>

namespace {
std::optional<SignatureActions::Template> insertOrAsk(const SignatureActions::Template &html,
                                                      SignaturesEngine &engine)
{
    // A template that cannot be filled safely is refused as mailsig refuses it.
    if (const std::optional<QString> refusal = SignatureTemplate::refusal(html.html)) {
        engine.statusUiModel()->message().set(*refusal);
        return std::nullopt;
    }
    // Braces that do not make a template are text like any other.
    if (!SignatureTemplate::fieldNames(html.html).isEmpty())
        return html;
    // The engine publishes the file as written; the preview follows that.
    engine.insertSignature(html.html, html.parts);
    return std::nullopt;
}
} // namespace

std::optional<SignatureActions::Template>
SignatureActions::insertFromClipboard(PasteModel &paste, SignaturesEngine &engine, MailMonitor &mailMonitor)
{
    const std::optional<QString> html = paste.readClipboardHTML();
    if (!html || refusedWhileMailRuns(engine, mailMonitor))
        return std::nullopt;
    return insertOrAsk({*html, {}}, engine);
}

std::optional<SignatureActions::Template>
SignatureActions::insertFromFile(const QString &path, SignaturesEngine &engine, MailMonitor &mailMonitor)
{
    const HtmlInput::Read read = HtmlInput::fromFile(path, QFileInfo(path).fileName());
    QString failure = read.failure;
    // Beside its file, an image no recipient could reach: it goes as a part, as Mail sends one.
    const std::optional<ImageEmbedding::Embedded> embedded =
        read.html ? ImageEmbedding::embed(*read.html, QFileInfo(path).absolutePath(), &failure, false)
                  : std::nullopt;
    if (!embedded) {
        engine.statusUiModel()->message().set(failure);
        return std::nullopt;
    }
    if (refusedWhileMailRuns(engine, mailMonitor))
        return std::nullopt;
    return insertOrAsk({embedded->html, embedded->images}, engine);
}

void SignatureActions::embedImages(SignaturesEngine &engine, MailMonitor &mailMonitor)
{
    if (refusedWhileMailRuns(engine, mailMonitor))
        return;
    QString failure;
    const std::optional<ImageEmbedding::Embedded> embedded =
        ImageEmbedding::embed(engine.renderedUiModel()->html(), std::nullopt, &failure);
    if (!embedded)
        engine.statusUiModel()->message().set(failure);
    else
        engine.insertSignature(embedded->html, embedded->images);
}

std::optional<SignatureActions::Template>
SignatureActions::insertDropped(const QMimeData &mime, SignaturesEngine &engine, MailMonitor &mailMonitor)
{
    const DroppedFile::Verdict dropped = DroppedFile::of(mime);
    if (!dropped.file) {
        engine.statusUiModel()->message().set(dropped.refusal);
        return std::nullopt;
    }
    return insertFromFile(*dropped.file, engine, mailMonitor);
}

bool SignatureActions::insertFilled(const Template &templateBody, const QMap<QString, QString> &values,
                                    SignaturesEngine &engine, MailMonitor &mailMonitor)
{
    const SignatureTemplate::Filled filled = SignatureTemplate::fill(templateBody.html, values);
    if (!filled.html)
        return false;
    RememberedFields::remember(values);
    return !refusedWhileMailRuns(engine, mailMonitor) &&
           engine.insertSignature(*filled.html, templateBody.parts);
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
