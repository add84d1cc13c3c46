#pragma once

#include "cli/CliArguments.h"
#include "cli/CliError.h"
#include "cli/CliSession.h"
#include "store/SignatureService.h"

struct SignaturePlan;

// The commands that put a signature in use on a Mac and take it out again:
// apply, which makes or updates it, adds it to accounts and makes it their
// choice, writing nothing when all is so already; and remove.
class ApplyCommands
{
public:
    static ExitCode apply(CliSession &session, const CliArguments &arguments);
    static ExitCode remove(CliSession &session, const CliArguments &arguments,
                           const SignatureService::Entry &entry);

private:
    // What was done, a line for each kind of change, or one object with --json.
    static QByteArray report(const SignaturePlan &plan, const QList<SignatureStore> &stores, bool asJson);
};
