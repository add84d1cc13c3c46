#include "cli/StoreCommands.h"

#include "notes/SignatureCheck.h"
#include "store/KeptVersions.h"
#include "store/ListFileWriter.h"
#include "store/MailChoice.h"
#include "store/MailFolders.h"
#include "store/SignatureFileFormat.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>

ExitCode StoreCommands::list(CliSession &session, const CliArguments &arguments)
{
    CliOutput &output = session.output();
    ExitCode refusal = ExitCode::Failed;
    if (!session.loadSignatures(&refusal))
        return refusal;
    // A path listed for a file that is not there says so, or it reads as one that is.
    const auto missing = [](const QString &file) { return !file.isEmpty() && !QFileInfo::exists(file); };
    const auto anyMissing = [&missing](const SignatureService::Entry &entry) {
        return std::any_of(entry.copies.cbegin(), entry.copies.cend(),
                           [&missing](const SignatureService::Copy &copy) { return missing(copy.file); });
    };
    const bool asJson = arguments.has(QStringLiteral("--json"));
    if (asJson) {
        QJsonArray signatures;
        for (const SignatureService::Entry &entry : session.service().entries()) {
            QJsonArray stores;
            for (const SignatureService::Copy &copy : entry.copies)
                stores.append(
                    QJsonObject{{QStringLiteral("store"), copy.store.kindName()},
                                {QStringLiteral("file"), copy.file},
                                {QStringLiteral("locked"), copy.isLocked},
                                {QStringLiteral("missing"), missing(copy.file)},
                                {QStringLiteral("replacedSinceInsert"), copy.isReplacedSinceInsert}});
            signatures.append(QJsonObject{
                {QStringLiteral("id"), entry.signature.id},
                {QStringLiteral("name"), entry.signature.name},
                {QStringLiteral("locked"), entry.signature.isFileLocked},
                {QStringLiteral("rich"), entry.signature.isRich.value_or(false)},
                {QStringLiteral("file"), entry.file()},
                {QStringLiteral("missing"), anyMissing(entry)},
                {QStringLiteral("replacedSinceInsert"), entry.signature.isReplacedSinceInsert},
                {QStringLiteral("stores"), stores},
                {QStringLiteral("accounts"), QJsonArray::fromStringList(entry.signature.accounts)},
                {QStringLiteral("chosenFor"), QJsonArray::fromStringList(entry.signature.chosenFor)}});
        }
        // Each account, and the signature Mail sends for it.
        QJsonArray accounts;
        for (const SignatureService::Account &account : session.service().accounts()) {
            QJsonObject each{
                {QStringLiteral("id"), account.id},
                {QStringLiteral("chosen"), account.chosen ? QJsonValue(*account.chosen) : QJsonValue()}};
            if (account.address)
                each.insert(QStringLiteral("address"), *account.address);
            accounts.append(each);
        }
        QJsonObject listing{{QStringLiteral("mailFolder"), MailFolders::mailFolder()},
                            {QStringLiteral("signatures"), signatures},
                            {QStringLiteral("accounts"), accounts}};
        for (const SignatureStore &store : session.service().stores()) {
            // The local folder keeps its old key; scripts read it.
            listing.insert(store.kind == SignatureStore::Kind::Local
                               ? QStringLiteral("signaturesFolder")
                               : QStringLiteral("iCloudSignaturesFolder"),
                           store.folder);
        }
        QJsonArray problems;
        for (const SignatureService::Failure &problem : session.service().problems())
            problems.append(problem.message);
        if (!problems.isEmpty())
            listing.insert(QStringLiteral("problems"), problems);
        output.print(CliOutput::json(listing));
        return ExitCode::Done;
    }
    QByteArray text;
    for (const SignatureService::Entry &entry : session.service().entries()) {
        QStringList stores;
        for (const SignatureService::Copy &copy : entry.copies)
            stores.append(copy.store.kindName());
        text +=
            (entry.signature.name + u'\t' + entry.signature.id + u'\t' +
             (entry.signature.isFileLocked ? QStringLiteral("locked") : QStringLiteral("unlocked")) + u'\t' +
             (entry.signature.isRich.value_or(false) ? QStringLiteral("rich") : QStringLiteral("plain")) +
             u'\t' + entry.file() + u'\t' + stores.join(u',') +
             (entry.signature.isReplacedSinceInsert ? QStringLiteral("\treplaced") : QString()) +
             (anyMissing(entry) ? QStringLiteral("\tmissing") : QString()) + u'\n')
                .toUtf8();
    }
    output.print(text);
    for (const SignatureService::Failure &problem : session.service().problems())
        output.fail(SignatureService::Failure{SignatureService::Failure::Kind::Failed, problem.message,
                                              problem.denied});
    return ExitCode::Done;
}

ExitCode StoreCommands::create(CliSession &session, const CliArguments &arguments)
{
    CliOutput &output = session.output();
    ExitCode refusal = ExitCode::Failed;
    if (!session.loadSignatures(&refusal, true))
        return refusal;
    ExitCode refused = ExitCode::Failed;
    const std::optional<ImageEmbedding::Embedded> toWrite =
        session.htmlToWrite(arguments, arguments.operands().value(1, QStringLiteral("-")), &refused);
    if (!toWrite)
        return refused;
    const QString *html = &toWrite->html;
    // Mail rewrites its lists when it quits: they are read again after waiting for it.
    if (!session.mailIsClosed())
        return ExitCode::MailRunning;
    if (session.waitedForMail() && !session.loadSignatures(&refusal, true))
        return refusal;
    const QString name = arguments.operands().at(0);
    SignatureService::Created created;
    if (const std::optional<SignatureService::Failure> failure = session.service().create(
            name, *html, arguments.values(QStringLiteral("--account")), &created, toWrite->images))
        return output.fail(*failure);
    if (arguments.has(QStringLiteral("--json"))) {
        output.print(CliOutput::json({{QStringLiteral("id"), created.id},
                                      {QStringLiteral("name"), name},
                                      {QStringLiteral("files"), QJsonArray::fromStringList(created.files)}}));
    } else {
        output.print(QStringLiteral("Made %1 (%2) in %3, locked.\n")
                         .arg(CliOutput::quoted(name), created.id, created.files.join(QStringLiteral(", "))));
    }
    output.printNotes(*html, true, toWrite->images);
    return ExitCode::Done;
}

ExitCode StoreCommands::check(CliSession &session, const CliArguments &arguments)
{
    CliOutput &output = session.output();
    const QString operand = arguments.operands().at(0);
    QJsonObject subject;
    std::optional<QString> html;
    QList<SignatureImage> parts;
    std::optional<bool> isRich;
    if (operand == QLatin1String("-") || QFileInfo(operand).isFile()) {
        html = session.inputHtml(operand, true);
        if (!html)
            return ExitCode::Failed;
        subject.insert(QStringLiteral("file"), operand);
        if (operand.endsWith(CliSession::versionSuffix)) {
            const std::optional<AppleSignatureContent> content = SignatureFileFormat::split(*html);
            const std::optional<SignatureFileFormat::Body> body =
                content ? SignatureFileFormat::body(*content) : std::nullopt;
            html = body ? std::optional(body->html) : std::nullopt;
            parts = body ? body->parts : QList<SignatureImage>();
        }
    } else {
        ExitCode refusal = ExitCode::Failed;
        const std::optional<SignatureService::Entry> entry = session.signature(arguments, &refusal);
        if (!entry)
            return refusal;
        const SignatureService::Reading reading = SignatureService::read(*entry);
        if (!reading.bytes)
            return output.fail(ExitCode::Failed,
                               QStringLiteral("The signature's file %1 cannot be read.").arg(entry->file()));
        html = reading.html;
        parts = reading.parts;
        isRich = entry->signature.isRich;
        subject = {{QStringLiteral("id"), entry->signature.id},
                   {QStringLiteral("name"), entry->signature.name},
                   {QStringLiteral("file"), entry->file()}};
    }
    if (!html)
        return output.fail(ExitCode::Failed, QStringLiteral("%1 is not a header and a UTF-8 body.")
                                                 .arg(subject.value(QStringLiteral("file")).toString()));
    const QList<SignatureNote> notes = SignatureCheck::check(*html, isRich, parts);
    if (arguments.has(QStringLiteral("--json"))) {
        QJsonArray list;
        for (const SignatureNote &note : notes) {
            list.append(QJsonObject{{QStringLiteral("kind"), SignatureNote::name(note.kind)},
                                    {QStringLiteral("note"), note.sentence}});
        }
        subject.insert(QStringLiteral("notes"), list);
        output.print(CliOutput::json(subject));
        return ExitCode::Done;
    }
    QString text;
    for (const SignatureNote &note : notes)
        text += note.sentence + u'\n';
    output.print(text);
    return ExitCode::Done;
}

ExitCode StoreCommands::listFileVersions(CliSession &session, const CliArguments &arguments)
{
    CliOutput &output = session.output();
    const bool restoring = arguments.command() == QLatin1String("restore");
    if (arguments.operands().size() != (restoring ? 1 : 0))
        return output.fail(ExitCode::Usage,
                           restoring ? QStringLiteral("Usage: mailsig restore --list-file VERSION")
                                     : QStringLiteral("Usage: mailsig versions --list-file [--json]"));
    ExitCode refusal = ExitCode::Failed;
    if (!session.loadSignatures(&refusal))
        return refusal;
    // Each version named after its file: AllSignatures.plist/<time>[.icloud].
    QJsonArray list;
    QByteArray text;
    for (const char *fileName :
         {ListFileWriter::allSignaturesName, ListFileWriter::accountsMapName, MailChoice::preferencesName}) {
        for (const KeptVersions::Version &version : KeptVersions::list(QLatin1String(fileName))) {
            const QString name = QLatin1String(fileName) + u'/' + version.name();
            const QString store = SignatureStore::kindName(version.store);
            if (restoring && name == arguments.operands().at(0)) {
                const std::optional<QByteArray> bytes = KeptVersions::read(version.file);
                if (!bytes)
                    return output.fail(ExitCode::Failed,
                                       QStringLiteral("That version could not be read, so nothing was "
                                                      "changed."));
                if (!session.mailIsClosed())
                    return ExitCode::MailRunning;
                if (const std::optional<QString> failure =
                        session.service().restoreListFile(version.store, QLatin1String(fileName), *bytes))
                    return output.fail(ExitCode::Failed, *failure);
                output.print(QStringLiteral("Restored %1 (%2).\n").arg(name, store));
                return ExitCode::Done;
            }
            list.append(QJsonObject{{QStringLiteral("version"), name},
                                    {QStringLiteral("time"), version.time.toString(Qt::ISODateWithMs)},
                                    {QStringLiteral("store"), store},
                                    {QStringLiteral("file"), version.file}});
            text += QStringLiteral("%1\t%2\t%3\n")
                        .arg(name, version.time.toString(Qt::ISODateWithMs), store)
                        .toUtf8();
        }
    }
    if (restoring)
        return output.fail(ExitCode::NotFound,
                           QStringLiteral("No kept list file %1; mailsig versions --list-file lists them.")
                               .arg(CliOutput::quoted(arguments.operands().at(0))));
    output.print(arguments.has(QStringLiteral("--json"))
                     ? CliOutput::json({{QStringLiteral("versions"), list}})
                     : text);
    return ExitCode::Done;
}
