#pragma once

#include <QString>

// What mailsig's exit status says; documented in its help and the README.
enum class ExitCode
{
    Done = 0,
    Failed = 1,
    Usage = 2,
    MailRunning = 3,
    NotFound = 4,
    FolderUnreadable = 5,
    NoAccount = 6,
    MailNotSetUp = 7,
};

// A refusal: the exit status and the one line that explains it.
struct CliError
{
    ExitCode code = ExitCode::Failed;
    QString message;
};
