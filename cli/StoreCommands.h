#pragma once

#include "cli/CliArguments.h"
#include "cli/CliError.h"
#include "cli/CliSession.h"

// The commands on Mail's signatures as a whole: listing them, making one,
// checking HTML, and the kept versions of Mail's list files.
class StoreCommands
{
public:
    static ExitCode list(CliSession &session, const CliArguments &arguments);
    static ExitCode create(CliSession &session, const CliArguments &arguments);
    static ExitCode check(CliSession &session, const CliArguments &arguments);
    // versions --list-file and restore --list-file VERSION.
    static ExitCode listFileVersions(CliSession &session, const CliArguments &arguments);
};
