#include "cli/Mailsig.h"

#include "access/MailMonitor.h"
#include "notes/SignatureCheck.h"
#include "platform/Platform.h"
#include "platform/RegularFile.h"
#include "platform/RunningApplications.h"
#include "store/Diagnostics.h"
#include "store/HtmlInput.h"
#include "store/KeptVersions.h"
#include "store/ListFileWriter.h"
#include "store/MailFolders.h"
#include "store/SignatureFileFormat.h"
#include "store/SignatureLimits.h"
#include "store/SignatureTemplate.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

const QString versionSuffix = QStringLiteral(".mailsignature");

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

} // namespace

const QList<Mailsig::Command> &Mailsig::commands()
{
    static const QList<Command> table = {
        {"list",
         "[--json]",
         "names, ids, locked or not, rich or not, file path",
         0,
         0,
         {"--json"},
         &Mailsig::list},
        {"show",
         "SIGNATURE [--raw]",
         "the decoded HTML (or the file's bytes)",
         1,
         1,
         {"--raw"},
         &Mailsig::show},
        {"insert",
         "SIGNATURE [FILE|-] [--no-lock] [--dry-run] [--field NAME=VALUE]... [--fields FILE.json]",
         "puts the HTML of FILE (or standard input) into the signature and locks it",
         1,
         2,
         {"--no-lock", "--dry-run", "--field", "--fields"},
         &Mailsig::insert},
        {"new",
         "NAME [FILE|-] [--account ADDRESS]... [--field NAME=VALUE]... [--fields FILE.json] [--json]",
         "makes a new signature in every store, locked, from FILE (or standard input)",
         1,
         2,
         {"--account", "--field", "--fields", "--json"},
         &Mailsig::create},
        {"unlock",
         "SIGNATURE",
         "keeps a version, then lets Mail change the signature again",
         1,
         1,
         {},
         &Mailsig::unlock},
        {"versions",
         "SIGNATURE|--list-file [--json]",
         "the kept versions, newest first (of Mail's list files with --list-file)",
         1,
         1,
         {"--json", "--list-file"},
         &Mailsig::versions},
        {"restore",
         "SIGNATURE [VERSION] | --list-file VERSION",
         "writes a kept version back (default: the newest unlike the file now)",
         1,
         2,
         {"--list-file"},
         &Mailsig::restore},
        {"reapply",
         "SIGNATURE|--all",
         "puts back what was inserted where Mail or another Mac replaced it since",
         0,
         1,
         {"--all"},
         &Mailsig::reapply},
        {"check",
         "SIGNATURE|FILE|- [--json]",
         "what Mail and recipients will do otherwise than expected, one note a line",
         1,
         1,
         {"--json"},
         &Mailsig::check},
    };
    return table;
}

QString Mailsig::usage()
{
    QString text = QStringLiteral("Usage: mailsig [--mail-folder PATH] COMMAND ...\n\n"
                                  "Mail's signatures from the command line.\n\nCommands:\n");
    for (const Command &command : commands()) {
        text += QStringLiteral("  mailsig %1 %2\n      %3\n")
                    .arg(QLatin1String(command.name), QLatin1String(command.synopsis),
                         QLatin1String(command.summary));
    }
    text +=
        QStringLiteral("\nSIGNATURE is a signature's id or its name (exact first, then in any case).\n"
                       "With --field or --fields the HTML is a Mustache template: {{name}} takes the\n"
                       "value HTML-escaped, {{{name}}} as it is; a placeholder without a value is refused.\n"
                       "VERSION is a name that mailsig versions shows.\n"
                       "check reads FILE when a file of that name exists: a .mailsignature file's\n"
                       "body, any other file as HTML; it succeeds with or without notes.\n\n"
                       "Global options:\n"
                       "  --mail-folder PATH   Mail's folder (default: ~/Library/Mail)\n"
                       "  --help               this text\n"
                       "  --version            the program's version\n\n"
                       "insert, restore, unlock and reapply refuse while Mail is running; with\n"
                       "nothing to do, reapply writes nothing and exits 0.\n\n"
                       "Exit status:\n"
                       "  0  done\n"
                       "  1  the operation failed\n"
                       "  2  usage error\n"
                       "  3  Mail is running\n"
                       "  4  no such signature or version (or the name is ambiguous)\n"
                       "  5  Mail's folder cannot be read\n");
    return text;
}

int Mailsig::run(const QStringList &arguments)
{
    // Standard output is kept for what was asked; failures get one line of their own.
    Diagnostics::silence();
    CliError error;
    const std::optional<CliArguments> parsed = CliArguments::parse(arguments, &error);
    if (!parsed)
        return int(fail(error));
    if (parsed->wantsHelp()) {
        print(usage());
        return int(ExitCode::Done);
    }
    if (parsed->wantsVersion()) {
        print(QStringLiteral("mailsig %1\n").arg(QLatin1String(SIGNATURES_VERSION)));
        return int(ExitCode::Done);
    }
    if (parsed->command().isEmpty())
        return int(fail(ExitCode::Usage, QStringLiteral("No command given; mailsig --help lists them.")));
    const auto command = std::find_if(commands().begin(), commands().end(), [&](const Command &c) {
        return parsed->command() == QLatin1String(c.name);
    });
    if (command == commands().end())
        return int(fail(
            ExitCode::Usage,
            QStringLiteral("Unknown command %1; mailsig --help lists them.").arg(quoted(parsed->command()))));
    const QString synopsis = QStringLiteral("Usage: mailsig %1 %2")
                                 .arg(QLatin1String(command->name), QLatin1String(command->synopsis));
    for (const QString &flag : parsed->flags()) {
        if (!command->flags.contains(flag))
            return int(fail(ExitCode::Usage, QStringLiteral("Unknown option %1. %2").arg(flag, synopsis)));
    }
    // Mail's list files are no signature: their versions need no look-up.
    if (parsed->has(QStringLiteral("--list-file")))
        return int(listFileVersions(*parsed));
    const qsizetype operands = parsed->operands().size();
    if (operands < command->minimumOperands || operands > command->maximumOperands)
        return int(fail(ExitCode::Usage, synopsis));
    if (parsed->mailFolder())
        MailFolders::useMailFolder(QFileInfo(*parsed->mailFolder()).absoluteFilePath());
    // A write a killed run left unlocked is finished before anything else is read.
    for (const QString &sentence : SignatureService::recoverInterruptedWrites())
        fail(ExitCode::Done, sentence);
    if (const auto *onSignature = std::get_if<SignatureCommand>(&command->run)) {
        ExitCode refusal = ExitCode::Failed;
        const std::optional<SignatureService::Entry> entry = signature(*parsed, &refusal);
        return int(entry ? (this->*(*onSignature))(*parsed, *entry) : refusal);
    }
    return int((this->*std::get<PlainCommand>(command->run))(*parsed));
}

ExitCode Mailsig::list(const CliArguments &arguments)
{
    ExitCode refusal = ExitCode::Failed;
    if (!loadSignatures(&refusal))
        return refusal;
    const bool asJson = arguments.has(QStringLiteral("--json"));
    if (asJson) {
        QJsonArray signatures;
        for (const SignatureService::Entry &entry : m_service->entries()) {
            QJsonArray stores;
            for (const SignatureService::Copy &copy : entry.copies)
                stores.append(
                    QJsonObject{{QStringLiteral("store"), copy.store.kindName()},
                                {QStringLiteral("file"), copy.file},
                                {QStringLiteral("locked"), copy.isLocked},
                                {QStringLiteral("replacedSinceInsert"), copy.isReplacedSinceInsert}});
            signatures.append(QJsonObject{
                {QStringLiteral("id"), entry.signature.id},
                {QStringLiteral("name"), entry.signature.name},
                {QStringLiteral("locked"), entry.signature.isFileLocked},
                {QStringLiteral("rich"), entry.signature.isRich.value_or(false)},
                {QStringLiteral("file"), entry.file()},
                {QStringLiteral("replacedSinceInsert"), entry.signature.isReplacedSinceInsert},
                {QStringLiteral("stores"), stores},
                {QStringLiteral("accounts"), QJsonArray::fromStringList(entry.signature.accounts)}});
        }
        QJsonObject listing{{QStringLiteral("mailFolder"), MailFolders::mailFolder()},
                            {QStringLiteral("signatures"), signatures}};
        for (const SignatureStore &store : m_service->stores()) {
            // The local folder keeps its old key; scripts read it.
            listing.insert(store.kind == SignatureStore::Kind::Local
                               ? QStringLiteral("signaturesFolder")
                               : QStringLiteral("iCloudSignaturesFolder"),
                           store.folder);
        }
        QJsonArray problems;
        for (const SignatureService::Failure &problem : m_service->problems())
            problems.append(problem.message);
        if (!problems.isEmpty())
            listing.insert(QStringLiteral("problems"), problems);
        print(json(listing));
        return ExitCode::Done;
    }
    QByteArray text;
    for (const SignatureService::Entry &entry : m_service->entries()) {
        QStringList stores;
        for (const SignatureService::Copy &copy : entry.copies)
            stores.append(copy.store.kindName());
        text +=
            (entry.signature.name + u'\t' + entry.signature.id + u'\t' +
             (entry.signature.isFileLocked ? QStringLiteral("locked") : QStringLiteral("unlocked")) + u'\t' +
             (entry.signature.isRich.value_or(false) ? QStringLiteral("rich") : QStringLiteral("plain")) +
             u'\t' + entry.file() + u'\t' + stores.join(u',') +
             (entry.signature.isReplacedSinceInsert ? QStringLiteral("\treplaced") : QString()) + u'\n')
                .toUtf8();
    }
    print(text);
    for (const SignatureService::Failure &problem : m_service->problems())
        fail(SignatureService::Failure{SignatureService::Failure::Kind::Failed, problem.message,
                                       problem.denied});
    return ExitCode::Done;
}

bool Mailsig::loadSignatures(ExitCode *refusal)
{
    m_service = SignatureService::load();
    if (const std::optional<SignatureService::Failure> &failure = m_service->failure()) {
        *refusal = fail(*failure);
        return false;
    }
    return true;
}

std::optional<SignatureService::Entry> Mailsig::signature(const CliArguments &arguments, ExitCode *refusal)
{
    if (!loadSignatures(refusal))
        return std::nullopt;
    SignatureService::Failure failure;
    const std::optional<SignatureService::Entry> entry =
        m_service->find(arguments.operands().at(0), &failure);
    if (!entry)
        *refusal = fail(failure);
    return entry;
}

ExitCode Mailsig::show(const CliArguments &arguments, const SignatureService::Entry &entry)
{
    const SignatureService::Reading reading = SignatureService::read(entry);
    if (!reading.bytes)
        return fail(ExitCode::Failed,
                    QStringLiteral("The signature's file %1 cannot be read.").arg(entry.file()));
    if (arguments.has(QStringLiteral("--raw"))) {
        print(*reading.bytes);
        return ExitCode::Done;
    }
    if (!reading.html)
        return fail(ExitCode::Failed,
                    QStringLiteral("The signature's file %1 is not a header and a UTF-8 body; "
                                   "--raw shows its bytes.")
                        .arg(entry.file()));
    print(*reading.html);
    return ExitCode::Done;
}

std::optional<QString> Mailsig::inputHtml(const QString &operand, bool allowEmpty)
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
        fail(ExitCode::Failed, read.failure);
    return read.html;
}

std::optional<QString> Mailsig::filledHtml(const CliArguments &arguments, const QString &operand,
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
            fail(ExitCode::Failed, QStringLiteral("%1 is not a JSON object of texts.").arg(file));
            return std::nullopt;
        }
        const QJsonObject object = document.object();
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (!it.value().isString()) {
                fail(ExitCode::Failed,
                     QStringLiteral("%1 gives %2 a value that is not text.").arg(file, it.key()));
                return std::nullopt;
            }
            values.insert(it.key(), it.value().toString());
        }
    }
    for (const QString &field : arguments.values(QStringLiteral("--field"))) {
        if (!field.contains(u'=') || field.startsWith(u'=')) {
            *refusal =
                fail(ExitCode::Usage, QStringLiteral("--field takes NAME=VALUE, not %1.").arg(quoted(field)));
            return std::nullopt;
        }
        // The system's decoding of an argument that is not UTF-8 leaves replacement characters.
        if (field.contains(QChar::ReplacementCharacter)) {
            fail(ExitCode::Failed,
                 QStringLiteral("The value of %1 is not UTF-8.").arg(field.section(u'=', 0, 0)));
            return std::nullopt;
        }
        values.insert(field.section(u'=', 0, 0), field.section(u'=', 1));
    }
    const SignatureTemplate::Filled filled = SignatureTemplate::fill(*html, values);
    if (filled.failure)
        fail(ExitCode::Failed, *filled.failure);
    return filled.html;
}

bool Mailsig::mailIsClosed()
{
    if (Platform::runningApplications().countWithBundleIdentifier(
            QLatin1String(MailMonitor::mailBundleIdentifier)) == 0)
        return true;
    fail(ExitCode::MailRunning, QStringLiteral("Mail is running: quit Mail, then try again."));
    return false;
}

ExitCode Mailsig::insert(const CliArguments &arguments, const SignatureService::Entry &entry)
{
    ExitCode refused = ExitCode::Failed;
    const std::optional<QString> html =
        filledHtml(arguments, arguments.operands().value(1, QStringLiteral("-")), &refused);
    if (!html)
        return refused;
    if (arguments.has(QStringLiteral("--dry-run"))) {
        // The header is read now, from the file as it is: Mail may have changed it since.
        QString failure;
        const std::optional<QByteArray> bytes = SignatureService::wouldWrite(entry, *html, &failure);
        if (!bytes)
            return fail(ExitCode::Failed, failure);
        const AppleSignatureContent composed = *SignatureFileFormat::parse(*bytes);
        print(QStringLiteral("Would write %1 (%2 bytes; nothing written):\n%3\n\n[body: %4 bytes encoded]\n")
                  .arg(entry.file())
                  .arg(bytes->size())
                  .arg(composed.header)
                  .arg(composed.htmlContent.toUtf8().size()));
        return ExitCode::Done;
    }
    if (!mailIsClosed())
        return ExitCode::MailRunning;
    const bool lock = !arguments.has(QStringLiteral("--no-lock"));
    const SignatureService::Outcome outcome = SignatureService::insert(entry, *html, lock);
    if (outcome.unchanged && !outcome.failure) {
        print(SignatureService::unchangedSentence(entry.signature.name) + u'\n');
        return ExitCode::Done;
    }
    if (outcome.failure)
        return fail(ExitCode::Failed, *outcome.failure);
    print(QStringLiteral("Inserted into %1 (%2)%3.\n")
              .arg(quoted(entry.signature.name), copiesOf(entry),
                   lock ? QStringLiteral(", locked") : QStringLiteral(", left unlocked")));
    printNotes(*html, entry.signature.isRich);
    return ExitCode::Done;
}

void Mailsig::printNotes(const QString &html, std::optional<bool> isRich)
{
    QByteArray text;
    for (const SignatureNote &note : SignatureCheck::check(html, isRich))
        text += QStringLiteral("mailsig: note: %1\n").arg(note.sentence).toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), m_err);
    std::fflush(m_err);
}

ExitCode Mailsig::check(const CliArguments &arguments)
{
    const QString operand = arguments.operands().at(0);
    QJsonObject subject;
    std::optional<QString> html;
    std::optional<bool> isRich;
    if (operand == QLatin1String("-") || QFileInfo(operand).isFile()) {
        html = inputHtml(operand, true);
        if (!html)
            return ExitCode::Failed;
        subject.insert(QStringLiteral("file"), operand);
        if (operand.endsWith(versionSuffix)) {
            const std::optional<AppleSignatureContent> content = SignatureFileFormat::split(*html);
            html = content ? SignatureFileFormat::decodedBody(*content) : std::nullopt;
        }
    } else {
        ExitCode refusal = ExitCode::Failed;
        const std::optional<SignatureService::Entry> entry = signature(arguments, &refusal);
        if (!entry)
            return refusal;
        const SignatureService::Reading reading = SignatureService::read(*entry);
        if (!reading.bytes)
            return fail(ExitCode::Failed,
                        QStringLiteral("The signature's file %1 cannot be read.").arg(entry->file()));
        html = reading.html;
        isRich = entry->signature.isRich;
        subject = {{QStringLiteral("id"), entry->signature.id},
                   {QStringLiteral("name"), entry->signature.name},
                   {QStringLiteral("file"), entry->file()}};
    }
    if (!html)
        return fail(ExitCode::Failed, QStringLiteral("%1 is not a header and a UTF-8 body.")
                                          .arg(subject.value(QStringLiteral("file")).toString()));
    const QList<SignatureNote> notes = SignatureCheck::check(*html, isRich);
    if (arguments.has(QStringLiteral("--json"))) {
        QJsonArray list;
        for (const SignatureNote &note : notes) {
            list.append(QJsonObject{{QStringLiteral("kind"), SignatureNote::name(note.kind)},
                                    {QStringLiteral("note"), note.sentence}});
        }
        subject.insert(QStringLiteral("notes"), list);
        print(json(subject));
        return ExitCode::Done;
    }
    QString text;
    for (const SignatureNote &note : notes)
        text += note.sentence + u'\n';
    print(text);
    return ExitCode::Done;
}

ExitCode Mailsig::unlock(const CliArguments &, const SignatureService::Entry &entry)
{
    if (!mailIsClosed())
        return ExitCode::MailRunning;
    if (const std::optional<QString> failure = SignatureService::unlock(entry))
        return fail(ExitCode::Failed, *failure);
    print(QStringLiteral("Unlocked %1; its version is kept. Mail may now change it.\n")
              .arg(quoted(entry.signature.name)));
    return ExitCode::Done;
}

ExitCode Mailsig::versions(const CliArguments &arguments, const SignatureService::Entry &entry)
{
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
        print(json({{QStringLiteral("id"), entry.signature.id},
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
    print(text);
    return ExitCode::Done;
}

ExitCode Mailsig::restore(const CliArguments &arguments, const SignatureService::Entry &entry)
{
    const std::optional<QString> wanted =
        arguments.operands().size() > 1 ? std::optional(arguments.operands().at(1)) : std::nullopt;
    // Without a name: the newest that differs from the file now, which undoes the last write.
    std::optional<KeptVersions::Version> version;
    if (!wanted)
        version = SignatureService::previousVersion(entry);
    for (const KeptVersions::Version &kept : SignatureService::versions(entry)) {
        if (wanted && (kept.name() == *wanted || kept.name() + versionSuffix == *wanted))
            version = kept;
    }
    if (!version) {
        return fail(ExitCode::NotFound,
                    wanted ? QStringLiteral("%1 has no kept version %2; mailsig versions lists them.")
                                 .arg(quoted(entry.signature.name), quoted(*wanted))
                           : QStringLiteral("No version of %1 is kept.").arg(quoted(entry.signature.name)));
    }
    if (!mailIsClosed())
        return ExitCode::MailRunning;
    const SignatureService::Outcome outcome = SignatureService::restore(entry, *version);
    if (outcome.failure)
        return fail(ExitCode::Failed, *outcome.failure);
    print(QStringLiteral("Restored version %1 of %2, locked.\n")
              .arg(version->name(), quoted(entry.signature.name)));
    return ExitCode::Done;
}

ExitCode Mailsig::reapply(const CliArguments &arguments)
{
    const bool all = arguments.has(QStringLiteral("--all"));
    if (all == !arguments.operands().isEmpty())
        return fail(ExitCode::Usage, QStringLiteral("Name one signature or give --all."));
    QList<SignatureService::Entry> entries;
    ExitCode refusal = ExitCode::Failed;
    if (all) {
        if (!loadSignatures(&refusal))
            return refusal;
        entries = m_service->entries();
    } else {
        const std::optional<SignatureService::Entry> entry = signature(arguments, &refusal);
        if (!entry)
            return refusal;
        entries.append(*entry);
    }
    entries.removeIf(
        [](const SignatureService::Entry &entry) { return !entry.signature.isReplacedSinceInsert; });
    if (entries.isEmpty()) {
        print(QStringLiteral("Nothing to put back: every signature holds what was inserted.\n"));
        return ExitCode::Done;
    }
    if (!mailIsClosed())
        return ExitCode::MailRunning;
    ExitCode code = ExitCode::Done;
    for (const SignatureService::Entry &entry : entries) {
        const SignatureService::Outcome outcome = SignatureService::putBack(entry);
        if (outcome.failure) {
            code = fail(ExitCode::Failed,
                        quoted(entry.signature.name) + QStringLiteral(": ") + *outcome.failure);
            continue;
        }
        print(QStringLiteral("Put back what was inserted into %1, locked.\n")
                  .arg(quoted(entry.signature.name)));
    }
    return code;
}

ExitCode Mailsig::create(const CliArguments &arguments)
{
    ExitCode refusal = ExitCode::Failed;
    if (!loadSignatures(&refusal))
        return refusal;
    ExitCode refused = ExitCode::Failed;
    const std::optional<QString> html =
        filledHtml(arguments, arguments.operands().value(1, QStringLiteral("-")), &refused);
    if (!html)
        return refused;
    // Mail rewrites its lists when it quits.
    if (!mailIsClosed())
        return ExitCode::MailRunning;
    const QString name = arguments.operands().at(0);
    SignatureService::Created created;
    if (const std::optional<SignatureService::Failure> failure =
            m_service->create(name, *html, arguments.values(QStringLiteral("--account")), &created))
        return fail(*failure);
    if (arguments.has(QStringLiteral("--json"))) {
        print(json({{QStringLiteral("id"), created.id},
                    {QStringLiteral("name"), name},
                    {QStringLiteral("files"), QJsonArray::fromStringList(created.files)}}));
    } else {
        print(QStringLiteral("Made %1 (%2) in %3, locked.\n")
                  .arg(quoted(name), created.id, created.files.join(QStringLiteral(", "))));
    }
    printNotes(*html, true);
    return ExitCode::Done;
}

ExitCode Mailsig::listFileVersions(const CliArguments &arguments)
{
    const bool restoring = arguments.command() == QLatin1String("restore");
    if (arguments.operands().size() != (restoring ? 1 : 0))
        return fail(ExitCode::Usage, restoring
                                         ? QStringLiteral("Usage: mailsig restore --list-file VERSION")
                                         : QStringLiteral("Usage: mailsig versions --list-file [--json]"));
    ExitCode refusal = ExitCode::Failed;
    if (!loadSignatures(&refusal))
        return refusal;
    // Each version named after its file: AllSignatures.plist/<time>[.icloud].
    QJsonArray list;
    QByteArray text;
    for (const char *fileName : {ListFileWriter::allSignaturesName, ListFileWriter::accountsMapName}) {
        for (const KeptVersions::Version &version : KeptVersions::list(QLatin1String(fileName))) {
            const QString name = QLatin1String(fileName) + u'/' + version.name();
            const QString store = SignatureStore::kindName(version.store);
            if (restoring && name == arguments.operands().at(0)) {
                const auto target =
                    std::find_if(m_service->stores().cbegin(), m_service->stores().cend(),
                                 [&](const SignatureStore &s) { return s.kind == version.store; });
                const std::optional<QByteArray> bytes = KeptVersions::read(version.file);
                if (target == m_service->stores().cend() || !bytes)
                    return fail(ExitCode::Failed,
                                QStringLiteral("That version could not be read, so nothing was "
                                               "changed."));
                if (!mailIsClosed())
                    return ExitCode::MailRunning;
                if (const std::optional<QString> failure =
                        ListFileWriter::replace(*target, QLatin1String(fileName), *bytes))
                    return fail(ExitCode::Failed, *failure);
                print(QStringLiteral("Restored %1 (%2).\n").arg(name, store));
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
        return fail(ExitCode::NotFound,
                    QStringLiteral("No kept list file %1; mailsig versions --list-file lists them.")
                        .arg(quoted(arguments.operands().at(0))));
    print(arguments.has(QStringLiteral("--json")) ? json({{QStringLiteral("versions"), list}}) : text);
    return ExitCode::Done;
}

QString Mailsig::copiesOf(const SignatureService::Entry &entry)
{
    QStringList files;
    for (const SignatureService::Copy &copy : entry.copies)
        files.append(copy.file);
    return files.join(QStringLiteral(", "));
}

void Mailsig::print(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_out);
    std::fflush(m_out);
}

ExitCode Mailsig::fail(const SignatureService::Failure &failure)
{
    static const ExitCode codes[] = {ExitCode::Failed, ExitCode::NotFound, ExitCode::FolderUnreadable};
    QString message = failure.message;
    if (const QString advice = Platform::terminalFolderAccessAdvice(); failure.denied && !advice.isEmpty())
        message += u' ' + advice;
    return fail(codes[int(failure.kind)], message);
}

ExitCode Mailsig::fail(const CliError &error)
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
