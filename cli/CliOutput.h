#pragma once

#include "cli/CliError.h"
#include "store/SignatureService.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <cstdio>
#include <optional>

// Where mailsig writes: what was asked on standard output, each refusal and
// note as one line of its own on standard error.
class CliOutput
{
public:
    CliOutput(std::FILE *out, std::FILE *err) : m_out(out), m_err(err) {}

    void print(const QByteArray &bytes);
    void print(const QString &text) { print(text.toUtf8()); }
    ExitCode fail(const CliError &error);
    ExitCode fail(ExitCode code, const QString &message) { return fail(CliError{code, message}); }
    ExitCode fail(const SignatureService::Failure &failure);
    // The notes on html (with the image parts it is written with), one line each on standard error.
    void printNotes(const QString &html, std::optional<bool> isRich, const QList<SignatureImage> &parts = {});

    static QString quoted(const QString &text);
    static QByteArray json(const QJsonObject &object);

private:
    std::FILE *m_out;
    std::FILE *m_err;
};
