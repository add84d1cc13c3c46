#pragma once

#include "cli/CliArguments.h"
#include "cli/CliError.h"
#include "cli/CliSession.h"
#include "store/SignatureService.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <variant>

// The mailsig command line: one table of subcommands, each a function that
// writes what was asked to standard output and refuses with one line on
// standard error. Writes go through the same store code as the window.
class Mailsig
{
public:
    Mailsig(std::FILE *out, std::FILE *err) : m_session(out, err) {}

    // arguments without the program's name; the exit status.
    int run(const QStringList &arguments);

    static QString usage();

private:
    using PlainCommand = ExitCode (*)(CliSession &session, const CliArguments &arguments);
    // Commands whose first operand names a signature get it looked up first.
    using SignatureCommand = ExitCode (*)(CliSession &session, const CliArguments &arguments,
                                          const SignatureService::Entry &entry);
    struct Command
    {
        const char *name;
        const char *synopsis; // after the name, as the help shows it
        const char *summary;
        qsizetype minimumOperands;
        qsizetype maximumOperands;
        QStringList flags;
        std::variant<PlainCommand, SignatureCommand> run;
    };
    static const QList<Command> &commands();

    CliSession m_session;
};
