#include "cli/CliSession.h"

#include "access/MailMonitor.h"
#include "platform/ManagedPreferences.h"
#include "platform/Platform.h"
#include "platform/RunningApplications.h"
#include "platform/UserRecord.h"
#include "store/HtmlInput.h"
#include "store/SignatureTemplate.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QThread>

bool CliSession::loadSignatures(ExitCode *refusal, bool making)
{
    m_service = SignatureService::load();
    if (std::optional<SignatureService::Failure> failure = m_service->failure()) {
        if (making && failure->kind == SignatureService::Failure::Kind::NotSetUp)
            failure->message = SignatureService::notSetUpSentence();
        *refusal = m_output.fail(*failure);
        return false;
    }
    return true;
}

std::optional<SignatureService::Entry> CliSession::signature(const CliArguments &arguments, ExitCode *refusal)
{
    // Mail lets a signature's name be empty; an empty argument is a slip, not its name.
    if (arguments.operands().at(0).isEmpty()) {
        *refusal = m_output.fail(
            ExitCode::Usage, QStringLiteral("An empty SIGNATURE names none: give a signature's name or id."));
        return std::nullopt;
    }
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
    for (int waited = 0; Platform::runningApplications().countWithBundleIdentifier(
                             QLatin1String(MailMonitor::mailBundleIdentifier)) > 0;
         ++waited) {
        if (waited == m_wait) {
            m_output.fail(ExitCode::MailRunning,
                          m_wait == 0
                              ? QStringLiteral("Mail is running: quit Mail, then try again.")
                              : QStringLiteral("Mail is still running after %1: quit Mail, then try again.")
                                    .arg(m_wait == 1 ? QStringLiteral("1 second")
                                                     : QStringLiteral("%1 seconds").arg(m_wait)));
            return false;
        }
        QThread::sleep(1);
        m_waited = true;
    }
    if (m_waited) {
        for (const QString &sentence : SignatureService::recoverInterruptedWrites())
            m_output.fail(ExitCode::Done, sentence);
    }
    return true;
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
    const bool fields = arguments.has(QStringLiteral("--field")) ||
                        arguments.has(QStringLiteral("--fields")) ||
                        arguments.has(QStringLiteral("--fields-from"));
    if (fields && arguments.has(QStringLiteral("--literal"))) {
        *refusal = m_output.fail(ExitCode::Usage,
                                 QStringLiteral("--literal writes the HTML as it is: give it no fields."));
        return std::nullopt;
    }
    const std::optional<QString> html = inputHtml(operand);
    if (!html || arguments.has(QStringLiteral("--literal")) ||
        (!fields && !SignatureTemplate::hasPlaceholders(*html)))
        return html;
    // The first source given wins over the later ones, --fields over them all.
    QMap<QString, QString> values;
    const QStringList sources = arguments.values(QStringLiteral("--fields-from"));
    for (auto source = sources.crbegin(); source != sources.crend(); ++source) {
        const std::optional<QMap<QString, QString>> found = fieldsFrom(*source, refusal);
        if (!found)
            return std::nullopt;
        values.insert(*found);
    }
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

std::optional<QMap<QString, QString>> CliSession::fieldsFrom(const QString &source, ExitCode *refusal)
{
    QString failure;
    std::optional<QMap<QString, QString>> fields;
    if (source == QLatin1String("managed")) {
        fields = Platform::managedPreferences().dictionary(QStringLiteral("SignatureFields"), &failure);
    } else if (source == QLatin1String("user") || source.startsWith(QLatin1String("user:"))) {
        const std::optional<QString> user =
            source.contains(u':') ? std::optional(source.section(u':', 1)) : std::nullopt;
        fields = Platform::userRecord().fields(user);
        if (!fields)
            failure = user ? QStringLiteral("No local user is named %1.").arg(CliOutput::quoted(*user))
                           : QStringLiteral("The record of the user running mailsig cannot be read.");
    } else {
        *refusal = m_output.fail(ExitCode::Usage,
                                 QStringLiteral("--fields-from takes user, user:ACCOUNT or managed, not %1.")
                                     .arg(CliOutput::quoted(source)));
        return std::nullopt;
    }
    if (!fields)
        m_output.fail(ExitCode::Failed, failure);
    return fields;
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
