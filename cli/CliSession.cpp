#include "cli/CliSession.h"

#include "access/MailMonitor.h"
#include "platform/Platform.h"
#include "platform/RunningApplications.h"
#include "store/HtmlInput.h"
#include "store/SignatureTemplate.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

bool CliSession::loadSignatures(ExitCode *refusal)
{
    m_service = SignatureService::load();
    if (const std::optional<SignatureService::Failure> &failure = m_service->failure()) {
        *refusal = m_output.fail(*failure);
        return false;
    }
    return true;
}

std::optional<SignatureService::Entry> CliSession::signature(const CliArguments &arguments, ExitCode *refusal)
{
    if (!loadSignatures(refusal))
        return std::nullopt;
    SignatureService::Failure failure;
    const std::optional<SignatureService::Entry> entry =
        m_service->find(arguments.operands().at(0), &failure);
    if (!entry)
        *refusal = m_output.fail(failure);
    return entry;
}

bool CliSession::mailIsClosed()
{
    if (Platform::runningApplications().countWithBundleIdentifier(
            QLatin1String(MailMonitor::mailBundleIdentifier)) == 0)
        return true;
    m_output.fail(ExitCode::MailRunning, QStringLiteral("Mail is running: quit Mail, then try again."));
    return false;
}

std::optional<QString> CliSession::inputHtml(const QString &operand, bool allowEmpty)
{
    HtmlInput::Read read;
    if (operand == QLatin1String("-")) {
        QFile in;
        if (in.open(stdin, QIODevice::ReadOnly))
            read = HtmlInput::fromDevice(in, QStringLiteral("standard input"), allowEmpty);
        else
            read.failure = QStringLiteral("Cannot read standard input: %1.").arg(in.errorString());
    } else {
        read = HtmlInput::fromFile(operand, operand, allowEmpty);
    }
    if (!read.html)
        m_output.fail(ExitCode::Failed, read.failure);
    return read.html;
}

std::optional<QString> CliSession::filledHtml(const CliArguments &arguments, const QString &operand,
                                              ExitCode *refusal)
{
    *refusal = ExitCode::Failed;
    const std::optional<QString> html = inputHtml(operand);
    if (!html || (!arguments.has(QStringLiteral("--field")) && !arguments.has(QStringLiteral("--fields"))))
        return html;
    QMap<QString, QString> values;
    for (const QString &file : arguments.values(QStringLiteral("--fields"))) {
        const std::optional<QString> text = inputHtml(file, true);
        if (!text)
            return std::nullopt;
        const QJsonDocument document = QJsonDocument::fromJson(text->toUtf8());
        if (!document.isObject()) {
            m_output.fail(ExitCode::Failed, QStringLiteral("%1 is not a JSON object of texts.").arg(file));
            return std::nullopt;
        }
        const QJsonObject object = document.object();
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (!it.value().isString()) {
                m_output.fail(ExitCode::Failed,
                              QStringLiteral("%1 gives %2 a value that is not text.").arg(file, it.key()));
                return std::nullopt;
            }
            values.insert(it.key(), it.value().toString());
        }
    }
    for (const QString &field : arguments.values(QStringLiteral("--field"))) {
        if (!field.contains(u'=') || field.startsWith(u'=')) {
            *refusal = m_output.fail(
                ExitCode::Usage,
                QStringLiteral("--field takes NAME=VALUE, not %1.").arg(CliOutput::quoted(field)));
            return std::nullopt;
        }
        // The system's decoding of an argument that is not UTF-8 leaves replacement characters.
        if (field.contains(QChar::ReplacementCharacter)) {
            m_output.fail(ExitCode::Failed,
                          QStringLiteral("The value of %1 is not UTF-8.").arg(field.section(u'=', 0, 0)));
            return std::nullopt;
        }
        values.insert(field.section(u'=', 0, 0), field.section(u'=', 1));
    }
    const SignatureTemplate::Filled filled = SignatureTemplate::fill(*html, values);
    if (filled.failure)
        m_output.fail(ExitCode::Failed, *filled.failure);
    return filled.html;
}

std::optional<ImageEmbedding::Embedded> CliSession::htmlToWrite(const CliArguments &arguments,
                                                                const QString &operand, ExitCode *refusal)
{
    const std::optional<QString> html = filledHtml(arguments, operand, refusal);
    if (!html)
        return std::nullopt;
    if (!arguments.has(QStringLiteral("--embed-images")))
        return ImageEmbedding::Embedded{*html, {}};
    QString failure;
    const std::optional<QString> folder =
        operand == QLatin1String("-") ? std::nullopt : std::optional(QFileInfo(operand).absolutePath());
    std::optional<ImageEmbedding::Embedded> embedded = ImageEmbedding::embed(*html, folder, &failure);
    if (!embedded)
        *refusal = m_output.fail(ExitCode::Failed, failure);
    return embedded;
}
