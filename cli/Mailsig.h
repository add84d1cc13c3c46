#pragma once

#include "cli/CliArguments.h"
#include "cli/CliError.h"
#include "store/SignatureService.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>
#include <variant>

// The mailsig command line: one table of subcommands, each a member that
// writes what was asked to standard output and refuses with one line on
// standard error. Writes go through the same store code as the window.
class Mailsig
{
public:
    Mailsig(std::FILE *out, std::FILE *err) : m_out(out), m_err(err) {}

    // arguments without the program's name; the exit status.
    int run(const QStringList &arguments);

    static QString usage();

private:
    using PlainCommand = ExitCode (Mailsig::*)(const CliArguments &arguments);
    // Commands whose first operand names a signature get it looked up first.
    using SignatureCommand = ExitCode (Mailsig::*)(const CliArguments &arguments,
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

    ExitCode list(const CliArguments &arguments);
    ExitCode show(const CliArguments &arguments, const SignatureService::Entry &entry);
    ExitCode insert(const CliArguments &arguments, const SignatureService::Entry &entry);
    ExitCode unlock(const CliArguments &arguments, const SignatureService::Entry &entry);
    ExitCode versions(const CliArguments &arguments, const SignatureService::Entry &entry);
    ExitCode restore(const CliArguments &arguments, const SignatureService::Entry &entry);
    ExitCode reapply(const CliArguments &arguments);
    ExitCode create(const CliArguments &arguments);
    // versions --list-file and restore --list-file VERSION.
    ExitCode listFileVersions(const CliArguments &arguments);
    ExitCode check(const CliArguments &arguments);

    // Mail's signatures, read afresh; false after saying why not.
    bool loadSignatures(ExitCode *refusal);
    // The signature the first operand names; none after saying why, with the
    // exit status in refusal.
    std::optional<SignatureService::Entry> signature(const CliArguments &arguments, ExitCode *refusal);
    // Refuses while Mail runs: it rewrites signature files it finds changed.
    bool mailIsClosed();
    // The HTML to insert: the named file, or standard input for "-" or none.
    // Text that is empty or only white space is refused unless allowEmpty.
    std::optional<QString> inputHtml(const QString &operand, bool allowEmpty = false);
    // The HTML to write: the input, filled as a template when fields are given;
    // without it, refusal holds the exit status.
    std::optional<QString> filledHtml(const CliArguments &arguments, const QString &operand,
                                      ExitCode *refusal);
    // The notes on html, one line each on standard error.
    void printNotes(const QString &html, std::optional<bool> isRich);

    // The files of every copy, for the line that says what was written.
    static QString copiesOf(const SignatureService::Entry &entry);

    void print(const QByteArray &bytes);
    void print(const QString &text) { print(text.toUtf8()); }
    ExitCode fail(const CliError &error);
    ExitCode fail(ExitCode code, const QString &message) { return fail(CliError{code, message}); }
    ExitCode fail(const SignatureService::Failure &failure);

    std::FILE *m_out;
    std::FILE *m_err;
    std::optional<SignatureService> m_service;
};
