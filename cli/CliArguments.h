#pragma once

#include "cli/CliError.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// A command line split into the command, its operands and its flags. The
// global options may stand anywhere; "--" ends the options and "-" is an
// operand (standard input).
class CliArguments
{
public:
    // None, with a usage error, for an option that wants a value and has none.
    static std::optional<CliArguments> parse(const QStringList &arguments, CliError *error);

    const QString &command() const { return m_command; }
    const QStringList &operands() const { return m_operands; }
    bool has(const QString &flag) const { return m_flags.contains(flag); }
    const QSet<QString> &flags() const { return m_flags; }
    // The values given to an option that takes one (--account ADDRESS or
    // --account=ADDRESS), in order; the option is among the flags too.
    QStringList values(const QString &option) const { return m_values.value(option); }
    const std::optional<QString> &mailFolder() const { return m_mailFolder; }
    bool wantsHelp() const { return m_help; }
    bool wantsVersion() const { return m_version; }

private:
    QString m_command;
    QStringList m_operands;
    QSet<QString> m_flags;
    QHash<QString, QStringList> m_values;
    std::optional<QString> m_mailFolder;
    bool m_help = false;
    bool m_version = false;
};
