#include "cli/CliOutput.h"

#include "notes/SignatureCheck.h"
#include "platform/Platform.h"

#include <QJsonDocument>

QString CliOutput::quoted(const QString &text)
{
    return u'"' + text + u'"';
}

QByteArray CliOutput::json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

void CliOutput::printNotes(const QString &html, std::optional<bool> isRich,
                           const QList<SignatureImage> &parts)
{
    QByteArray text;
    for (const SignatureNote &note : SignatureCheck::check(html, isRich, parts))
        text += QStringLiteral("mailsig: note: %1\n").arg(note.sentence).toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), m_err);
    std::fflush(m_err);
}

void CliOutput::print(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_out);
    std::fflush(m_out);
}

ExitCode CliOutput::fail(const SignatureService::Failure &failure)
{
    static const ExitCode codes[] = {ExitCode::Failed, ExitCode::NotFound, ExitCode::FolderUnreadable,
                                     ExitCode::NoAccount, ExitCode::MailNotSetUp};
    QString message = failure.message;
    if (const QString advice = Platform::terminalFolderAccessAdvice(); failure.denied && !advice.isEmpty())
        message += u' ' + advice;
    return fail(codes[int(failure.kind)], message);
}

ExitCode CliOutput::fail(const CliError &error)
{
    // One line, whatever a name or an id from Mail's files holds.
    QString line = error.message;
    for (QChar &c : line) {
        if (c.category() == QChar::Other_Control)
            c = u' ';
    }
    const QByteArray bytes = QStringLiteral("mailsig: %1\n").arg(line).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_err);
    std::fflush(m_err);
    return error.code;
}
