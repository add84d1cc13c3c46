#include "cli/SignatureCommands.h"

#include "store/KeptVersions.h"
#include "store/SignatureFileFormat.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

ExitCode SignatureCommands::show(CliSession &session, const CliArguments &arguments,
                                 const SignatureService::Entry &entry)
{
    CliOutput &output = session.output();
    const SignatureService::Reading reading = SignatureService::read(entry);
    if (!reading.bytes)
        return output.fail(ExitCode::Failed,
                           QStringLiteral("The signature's file %1 cannot be read.").arg(entry.file()));
    if (arguments.has(QStringLiteral("--raw"))) {
        output.print(*reading.bytes);
        return ExitCode::Done;
    }
    if (!reading.html)
        return output.fail(ExitCode::Failed,
                           QStringLiteral("The signature's file %1 is not a header and a UTF-8 body; "
                                          "--raw shows its bytes.")
                               .arg(entry.file()));
    if (!arguments.has(QStringLiteral("--json"))) {
        output.print(*reading.html);
        return ExitCode::Done;
    }
    const QSet<QString> shown = SignatureFileFormat::namedContentIds(*reading.html);
    QJsonArray parts;
    for (const SignatureImage &part : reading.parts)
        parts.append(QJsonObject{
            {QStringLiteral("contentId"), part.contentId},
            {QStringLiteral("filename"), part.filename},
            {QStringLiteral("type"), QString::fromLatin1(part.type)},
            {QStringLiteral("size"), part.data.size()},
            {QStringLiteral("shown"), !part.contentId.isEmpty() && shown.contains(part.contentId)}});
    output.print(CliOutput::json({{QStringLiteral("id"), entry.signature.id},
                                  {QStringLiteral("name"), entry.signature.name},
                                  {QStringLiteral("html"), *reading.html},
                                  {QStringLiteral("parts"), parts}}));
    return ExitCode::Done;
}

ExitCode SignatureCommands::insert(CliSession &session, const CliArguments &arguments,
                                   const SignatureService::Entry &entry)
{
    CliOutput &output = session.output();
    ExitCode refused = ExitCode::Failed;
    const std::optional<ImageEmbedding::Embedded> toWrite =
        session.htmlToWrite(arguments, arguments.operands().value(1, QStringLiteral("-")), &refused);
    if (!toWrite)
        return refused;
    const QString *html = &toWrite->html;
    const bool lock = !arguments.has(QStringLiteral("--no-lock"));
    if (arguments.has(QStringLiteral("--dry-run"))) {
        // The header is read now, from the file as it is: Mail may have changed it since.
        QString failure;
        bool unchanged = false;
        const std::optional<QByteArray> bytes =
            SignatureService::wouldWrite(entry, *html, &failure, &unchanged, toWrite->images);
        if (!bytes)
            return output.fail(ExitCode::Failed, failure);
        if (unchanged) {
            output.print(QStringLiteral("%1 already holds this HTML, so nothing would be written%2.\n")
                             .arg(CliOutput::quoted(entry.signature.name),
                                  lock && !entry.signature.isFileLocked
                                      ? QStringLiteral("; it would be locked again")
                                      : QString()));
            return ExitCode::Done;
        }
        const AppleSignatureContent composed = *SignatureFileFormat::parse(*bytes);
        output.print(
            QStringLiteral("Would write %1 (%2 bytes; nothing written):\n%3\n\n[body: %4 bytes encoded]\n")
                .arg(entry.file())
                .arg(bytes->size())
                .arg(composed.header)
                .arg(composed.htmlContent.toUtf8().size()));
        return ExitCode::Done;
    }
    if (!session.mailIsClosed())
        return ExitCode::MailRunning;
    const SignatureService::Outcome outcome = SignatureService::insert(entry, *html, lock, toWrite->images);
    if (outcome.unchanged && !outcome.failure) {
        output.print(
            SignatureService::unchangedSentence(entry.signature.name, lock && !entry.signature.isFileLocked) +
            u'\n');
        return ExitCode::Done;
    }
    if (outcome.failure)
        return output.fail(ExitCode::Failed, *outcome.failure);
    output.print(QStringLiteral("Inserted into %1 (%2)%3.\n")
                     .arg(CliOutput::quoted(entry.signature.name), copiesOf(entry),
                          lock ? QStringLiteral(", locked") : QStringLiteral(", left unlocked")));
    if (outcome.notice)
        output.fail(ExitCode::Done, *outcome.notice);
    // The parts the file now holds, by their ids; the images just embedded with their bytes.
    QList<SignatureImage> parts = SignatureService::read(entry, false).parts;
    for (SignatureImage &part : parts) {
        for (const SignatureImage &image : toWrite->images) {
            if (image.contentId == part.contentId)
                part = image;
        }
    }
    output.printNotes(*html, entry.signature.isRich, parts);
    return ExitCode::Done;
}

ExitCode SignatureCommands::unlock(CliSession &session, const CliArguments &,
                                   const SignatureService::Entry &entry)
{
    CliOutput &output = session.output();
    if (!session.mailIsClosed())
        return ExitCode::MailRunning;
    if (const std::optional<QString> failure = SignatureService::unlock(entry))
        return output.fail(ExitCode::Failed, *failure);
    output.print(QStringLiteral("Unlocked %1; its version is kept. Mail may now change it.\n")
                     .arg(CliOutput::quoted(entry.signature.name)));
    return ExitCode::Done;
}

ExitCode SignatureCommands::versions(CliSession &session, const CliArguments &arguments,
                                     const SignatureService::Entry &entry)
{
    CliOutput &output = session.output();
    const QList<KeptVersions::Version> kept = SignatureService::versions(entry);
    if (arguments.has(QStringLiteral("--json"))) {
        QJsonArray list;
        for (const KeptVersions::Version &version : kept) {
            list.append(QJsonObject{{QStringLiteral("version"), version.name()},
                                    {QStringLiteral("time"), version.time.toString(Qt::ISODateWithMs)},
                                    {QStringLiteral("kind"), version.kindName()},
                                    {QStringLiteral("store"), SignatureStore::kindName(version.store)},
                                    {QStringLiteral("size"), QFileInfo(version.file).size()},
                                    {QStringLiteral("file"), version.file}});
        }
        output.print(CliOutput::json({{QStringLiteral("id"), entry.signature.id},
                                      {QStringLiteral("name"), entry.signature.name},
                                      {QStringLiteral("versions"), list}}));
        return ExitCode::Done;
    }
    QByteArray text;
    for (const KeptVersions::Version &version : kept) {
        text += QStringLiteral("%1\t%2\t%3\t%4\t%5 bytes\n")
                    .arg(version.name(), version.time.toString(Qt::ISODateWithMs), version.kindName(),
                         SignatureStore::kindName(version.store))
                    .arg(QFileInfo(version.file).size())
                    .toUtf8();
    }
    output.print(text);
    return ExitCode::Done;
}

ExitCode SignatureCommands::restore(CliSession &session, const CliArguments &arguments,
                                    const SignatureService::Entry &entry)
{
    CliOutput &output = session.output();
    const std::optional<QString> wanted =
        arguments.operands().size() > 1 ? std::optional(arguments.operands().at(1)) : std::nullopt;
    // Without a name: the newest that differs from the file now, which undoes the last write.
    std::optional<KeptVersions::Version> version;
    if (!wanted)
        version = SignatureService::previousVersion(entry);
    for (const KeptVersions::Version &kept : SignatureService::versions(entry)) {
        if (wanted && (kept.name() == *wanted || kept.name() + CliSession::versionSuffix == *wanted))
            version = kept;
    }
    if (!version) {
        return output.fail(
            ExitCode::NotFound,
            wanted
                ? QStringLiteral("%1 has no kept version %2; mailsig versions lists them.")
                      .arg(CliOutput::quoted(entry.signature.name), CliOutput::quoted(*wanted))
                : QStringLiteral("No version of %1 is kept.").arg(CliOutput::quoted(entry.signature.name)));
    }
    if (!session.mailIsClosed())
        return ExitCode::MailRunning;
    const SignatureService::Outcome outcome = SignatureService::restore(entry, *version);
    if (outcome.failure)
        return output.fail(ExitCode::Failed, *outcome.failure);
    output.print(QStringLiteral("Restored version %1 of %2, locked.\n")
                     .arg(version->name(), CliOutput::quoted(entry.signature.name)));
    return ExitCode::Done;
}

ExitCode SignatureCommands::reapply(CliSession &session, const CliArguments &arguments)
{
    CliOutput &output = session.output();
    const bool all = arguments.has(QStringLiteral("--all"));
    if (all == !arguments.operands().isEmpty())
        return output.fail(ExitCode::Usage, QStringLiteral("Name one signature or give --all."));
    QList<SignatureService::Entry> entries;
    ExitCode refusal = ExitCode::Failed;
    if (all) {
        if (!session.loadSignatures(&refusal))
            return refusal;
        entries = session.service().entries();
    } else {
        const std::optional<SignatureService::Entry> entry = session.signature(arguments, &refusal);
        if (!entry)
            return refusal;
        entries.append(*entry);
    }
    entries.removeIf(
        [](const SignatureService::Entry &entry) { return !entry.signature.isReplacedSinceInsert; });
    if (entries.isEmpty()) {
        output.print(QStringLiteral("Nothing to put back: every signature holds what was inserted.\n"));
        return ExitCode::Done;
    }
    if (!session.mailIsClosed())
        return ExitCode::MailRunning;
    ExitCode code = ExitCode::Done;
    for (const SignatureService::Entry &entry : entries) {
        const SignatureService::Outcome outcome = SignatureService::putBack(entry);
        if (outcome.failure) {
            code = output.fail(ExitCode::Failed, CliOutput::quoted(entry.signature.name) +
                                                     QStringLiteral(": ") + *outcome.failure);
            continue;
        }
        output.print(QStringLiteral("Put back what was inserted into %1, locked.\n")
                         .arg(CliOutput::quoted(entry.signature.name)));
    }
    return code;
}

QString SignatureCommands::copiesOf(const SignatureService::Entry &entry)
{
    QStringList files;
    for (const SignatureService::Copy &copy : entry.copies)
        files.append(copy.file);
    return files.join(QStringLiteral(", "));
}
