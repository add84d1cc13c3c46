#pragma once

#include "cli/CliArguments.h"
#include "cli/CliError.h"
#include "cli/CliOutput.h"
#include "store/ImageEmbedding.h"
#include "store/SignatureService.h"

#include <QString>

#include <cstdio>
#include <optional>

// What the commands of one run share: where they write, Mail's signatures
// once read, and the reading of the HTML they are given.
class CliSession
{
public:
    CliSession(std::FILE *out, std::FILE *err) : m_output(out, err) {}

    // The ending of Mail's signature files, which kept versions' names may carry.
    static inline const QString versionSuffix = QStringLiteral(".mailsignature");

    CliOutput &output() { return m_output; }
    // Mail's signatures as loadSignatures last read them.
    SignatureService &service() { return *m_service; }

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
    // What a writing command writes: the filled HTML, with its images made
    // parts when --embed-images asks (those a file names from its own folder,
    // and data: images); without it, refusal holds the exit status.
    std::optional<ImageEmbedding::Embedded> htmlToWrite(const CliArguments &arguments, const QString &operand,
                                                        ExitCode *refusal);

private:
    CliOutput m_output;
    std::optional<SignatureService> m_service;
};
