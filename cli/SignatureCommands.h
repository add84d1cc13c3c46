#pragma once

#include "cli/CliArguments.h"
#include "cli/CliError.h"
#include "cli/CliSession.h"
#include "store/SignatureService.h"

#include <QString>

// The commands on one signature: each reads or writes the signature its
// first operand names, or with reapply --all each one Mail replaced.
class SignatureCommands
{
public:
    static ExitCode show(CliSession &session, const CliArguments &arguments,
                         const SignatureService::Entry &entry);
    static ExitCode insert(CliSession &session, const CliArguments &arguments,
                           const SignatureService::Entry &entry);
    static ExitCode unlock(CliSession &session, const CliArguments &arguments,
                           const SignatureService::Entry &entry);
    static ExitCode versions(CliSession &session, const CliArguments &arguments,
                             const SignatureService::Entry &entry);
    static ExitCode restore(CliSession &session, const CliArguments &arguments,
                            const SignatureService::Entry &entry);
    static ExitCode reapply(CliSession &session, const CliArguments &arguments);

private:
    // The files of every copy, for the line that says what was written.
    static QString copiesOf(const SignatureService::Entry &entry);
};
