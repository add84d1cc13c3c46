#pragma once

#include "cli/CliArguments.h"
#include "cli/CliError.h"
#include "cli/CliOutput.h"
#include "store/ImageEmbedding.h"
#include "store/SignatureService.h"

#include <QMap>
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

    // Mail's signatures, read afresh; false after saying why not. For a
    // command that makes a signature, a Mail not set up yet is told as such.
    bool loadSignatures(ExitCode *refusal, bool making = false);
    // The signature the first operand names; none after saying why, with the
    // exit status in refusal.
    std::optional<SignatureService::Entry> signature(const CliArguments &arguments, ExitCode *refusal);
    // Refuses while Mail runs: it rewrites signature files it finds changed.
    // With a wait set, Mail is looked for once a second until it has quit or
    // the wait is over; what a killed run left is then finished again.
    bool mailIsClosed();
    void setWait(int seconds) { m_wait = seconds; }
    // Whether mailIsClosed waited for Mail to quit: what was read before may have changed.
    bool waitedForMail() const { return m_waited; }
    // The HTML to insert: the named file, or standard input for "-" or none.
    // Text that is empty or only white space is refused unless allowEmpty.
    std::optional<QString> inputHtml(const QString &operand, bool allowEmpty = false);
    // The HTML to write: the input, filled as a template from the field
    // options (--field, then --fields, then each --fields-from in order) when
    // it has placeholders or fields are given; as it is with --literal. A
    // placeholder without a value is refused. Without it, refusal holds the
    // exit status.
    std::optional<QString> filledHtml(const CliArguments &arguments, const QString &operand,
                                      ExitCode *refusal);
    // What a writing command writes: the filled HTML, with its images made
    // parts when --embed-images asks (those a file names from its own folder,
    // and data: images); without it, refusal holds the exit status.
    std::optional<ImageEmbedding::Embedded> htmlToWrite(const CliArguments &arguments, const QString &operand,
                                                        ExitCode *refusal);

private:
    // The fields of one --fields-from source; none after saying why not.
    std::optional<QMap<QString, QString>> fieldsFrom(const QString &source, ExitCode *refusal);

    CliOutput m_output;
    std::optional<SignatureService> m_service;
    int m_wait = 0;
    bool m_waited = false;
};
