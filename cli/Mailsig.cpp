#include "cli/Mailsig.h"

#include "base/Diagnostics.h"
#include "cli/ApplyCommands.h"
#include "cli/SignatureCommands.h"
#include "cli/StoreCommands.h"
#include "store/MailFolders.h"

#include <QFileInfo>

#include <algorithm>

const QList<Mailsig::Command> &Mailsig::commands()
{
    static const QList<Command> table = {
        {"list",
         "[--json]",
         "names, ids, locked or not, rich or not, file path",
         0,
         0,
         {"--json"},
         &StoreCommands::list},
        {"show",
         "SIGNATURE [--raw] [--json]",
         "the decoded HTML (or the file's bytes; with --json its image parts too)",
         1,
         1,
         {"--raw", "--json"},
         &SignatureCommands::show},
        {"insert",
         "SIGNATURE [FILE|-] [FIELDS] [--no-lock] [--dry-run] [--embed-images] [--wait SECONDS]",
         "puts the HTML of FILE (or standard input) into the signature and locks it",
         1,
         2,
         {"--no-lock", "--dry-run", "--embed-images", "--field", "--fields", "--fields-from", "--literal",
          "--wait"},
         &SignatureCommands::insert},
        {"new",
         "NAME [FILE|-] [FIELDS] [--account ADDRESS|all]... [--embed-images] [--wait SECONDS] [--json]",
         "makes a new signature in every store, locked, from FILE (or standard input)",
         1,
         2,
         {"--account", "--embed-images", "--field", "--fields", "--fields-from", "--literal", "--wait",
          "--json"},
         &StoreCommands::create},
        {"apply",
         "NAME [FILE|-] [FIELDS] [--account ADDRESS|all]... [--default] [--embed-images] [--wait SECONDS] "
         "[--json]",
         "makes or updates the signature, adds it to the accounts and, with --default, makes it their "
         "choice;\n      writes nothing when all is so already",
         1,
         2,
         {"--account", "--default", "--embed-images", "--field", "--fields", "--fields-from", "--literal",
          "--wait", "--json"},
         &ApplyCommands::apply},
        {"remove",
         "SIGNATURE [--wait SECONDS]",
         "takes the signature out of every list, account and choice, and removes its files",
         1,
         1,
         {"--wait"},
         &ApplyCommands::remove},
        {"unlock",
         "SIGNATURE [--wait SECONDS]",
         "keeps a version, then lets Mail change the signature again",
         1,
         1,
         {"--wait"},
         &SignatureCommands::unlock},
        {"versions",
         "SIGNATURE|--list-file [--json]",
         "the kept versions, newest first (of Mail's list files with --list-file)",
         1,
         1,
         {"--json", "--list-file"},
         &SignatureCommands::versions},
        {"restore",
         "SIGNATURE [VERSION] | --list-file VERSION [--wait SECONDS]",
         "writes a kept version back (default: the newest unlike the file now)",
         1,
         2,
         {"--list-file", "--wait"},
         &SignatureCommands::restore},
        {"reapply",
         "SIGNATURE|--all [--wait SECONDS]",
         "puts back what was inserted where Mail or another Mac replaced it since",
         0,
         1,
         {"--all", "--wait"},
         &SignatureCommands::reapply},
        {"check",
         "SIGNATURE|FILE|- [--json]",
         "what Mail and recipients will do otherwise than expected, one note a line",
         1,
         1,
         {"--json"},
         &StoreCommands::check},
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
                       "The HTML is a Mustache template: {{name}} takes the value HTML-escaped, {{{name}}}\n"
                       "as it is; a placeholder without a value is refused. FIELDS are where the values\n"
                       "come from, the first given winning: [--field NAME=VALUE]... [--fields FILE.json]\n"
                       "[--fields-from user[:ACCOUNT]|managed]...; --literal takes the HTML as it is.\n"
                       "--embed-images makes data: images, and images FILE names from its own folder,\n"
                       "parts of the signature, as Mail keeps an image dragged into a signature.\n"
                       "VERSION is a name that mailsig versions shows.\n"
                       "check reads FILE when a file of that name exists: a .mailsignature file's\n"
                       "body, any other file as HTML; it succeeds with or without notes.\n\n"
                       "Global options:\n"
                       "  --mail-folder PATH   Mail's folder (default: ~/Library/Mail)\n"
                       "  --help               this text\n"
                       "  --version            the program's version\n\n"
                       "Every command that writes refuses while Mail is running; --wait SECONDS waits\n"
                       "for Mail to quit first. With nothing to do, apply and reapply write nothing and\n"
                       "exit 0.\n\n"
                       "Exit status:\n"
                       "  0  done\n"
                       "  1  the operation failed\n"
                       "  2  usage error\n"
                       "  3  Mail is running\n"
                       "  4  no such signature or version (or the name is ambiguous)\n"
                       "  5  Mail's folder cannot be read (on macOS: give Full Disk Access)\n"
                       "  6  no account has that address (or several have)\n"
                       "  7  Mail has not been set up for this user yet\n");
    return text;
}

int Mailsig::run(const QStringList &arguments)
{
    // Standard output is kept for what was asked; failures get one line of their own.
    Diagnostics::silence();
    CliOutput &output = m_session.output();
    CliError error;
    const std::optional<CliArguments> parsed = CliArguments::parse(arguments, &error);
    if (!parsed)
        return int(output.fail(error));
    if (parsed->wantsHelp()) {
        output.print(usage());
        return int(ExitCode::Done);
    }
    if (parsed->wantsVersion()) {
        output.print(QStringLiteral("mailsig %1\n").arg(QLatin1String(SIGNATURES_VERSION)));
        return int(ExitCode::Done);
    }
    if (parsed->command().isEmpty())
        return int(
            output.fail(ExitCode::Usage, QStringLiteral("No command given; mailsig --help lists them.")));
    const auto command = std::find_if(commands().begin(), commands().end(), [&](const Command &c) {
        return parsed->command() == QLatin1String(c.name);
    });
    if (command == commands().end())
        return int(
            output.fail(ExitCode::Usage, QStringLiteral("Unknown command %1; mailsig --help lists them.")
                                             .arg(CliOutput::quoted(parsed->command()))));
    const QString synopsis = QStringLiteral("Usage: mailsig %1 %2")
                                 .arg(QLatin1String(command->name), QLatin1String(command->synopsis));
    for (const QString &flag : parsed->flags()) {
        if (!command->flags.contains(flag))
            return int(
                output.fail(ExitCode::Usage, QStringLiteral("Unknown option %1. %2").arg(flag, synopsis)));
    }
    if (parsed->has(QStringLiteral("--wait"))) {
        bool number = false;
        const QString given = parsed->values(QStringLiteral("--wait")).constLast();
        const int seconds = given.toInt(&number);
        if (!number || seconds < 0)
            return int(output.fail(
                ExitCode::Usage,
                QStringLiteral("--wait takes a number of seconds, not %1.").arg(CliOutput::quoted(given))));
        m_session.setWait(seconds);
    }
    if (parsed->mailFolder())
        MailFolders::useMailFolder(QFileInfo(*parsed->mailFolder()).absoluteFilePath());
    // A write a killed run left unlocked is finished before anything else is read.
    for (const QString &sentence : SignatureService::recoverInterruptedWrites())
        output.fail(ExitCode::Done, sentence);
    // Mail's list files are no signature: their versions need no look-up.
    if (parsed->has(QStringLiteral("--list-file")))
        return int(StoreCommands::listFileVersions(m_session, *parsed));
    const qsizetype operands = parsed->operands().size();
    if (operands < command->minimumOperands || operands > command->maximumOperands)
        return int(output.fail(ExitCode::Usage, synopsis));
    if (const auto *onSignature = std::get_if<SignatureCommand>(&command->run)) {
        ExitCode refusal = ExitCode::Failed;
        const std::optional<SignatureService::Entry> entry = m_session.signature(*parsed, &refusal);
        return int(entry ? (*onSignature)(m_session, *parsed, *entry) : refusal);
    }
    return int(std::get<PlainCommand>(command->run)(m_session, *parsed));
}
