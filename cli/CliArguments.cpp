#include "cli/CliArguments.h"

namespace {
// The options that take a value, whichever command they belong to.
const QStringList &valueOptions()
{
    static const QStringList options = {QStringLiteral("--account"), QStringLiteral("--field"),
                                        QStringLiteral("--fields"), QStringLiteral("--fields-from"),
                                        QStringLiteral("--wait")};
    return options;
}
} // namespace

std::optional<CliArguments> CliArguments::parse(const QStringList &arguments, CliError *error)
{
    CliArguments parsed;
    bool options = true;
    QStringList words;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &word = arguments.at(i);
        if (!options || word == QLatin1String("-") || !word.startsWith(u'-')) {
            words.append(word);
        } else if (word == QLatin1String("--")) {
            options = false;
        } else if (word == QLatin1String("--help") || word == QLatin1String("-h")) {
            parsed.m_help = true;
        } else if (word == QLatin1String("--version")) {
            parsed.m_version = true;
        } else if (word == QLatin1String("--mail-folder")) {
            if (++i == arguments.size() || arguments.at(i).isEmpty()) {
                *error = {ExitCode::Usage, QStringLiteral("--mail-folder needs a folder.")};
                return std::nullopt;
            }
            parsed.m_mailFolder = arguments.at(i);
        } else if (word.startsWith(QLatin1String("--mail-folder="))) {
            parsed.m_mailFolder = word.mid(word.indexOf(u'=') + 1);
        } else if (const QString option = word.section(u'=', 0, 0); valueOptions().contains(option)) {
            if (word.contains(u'=')) {
                parsed.m_values[option].append(word.section(u'=', 1));
            } else if (++i == arguments.size()) {
                *error = {ExitCode::Usage, QStringLiteral("%1 needs a value.").arg(option)};
                return std::nullopt;
            } else {
                parsed.m_values[option].append(arguments.at(i));
            }
            parsed.m_flags.insert(option);
        } else {
            // Whether the command knows it is the command's to say.
            parsed.m_flags.insert(word);
        }
    }
    if (!words.isEmpty())
        parsed.m_command = words.takeFirst();
    parsed.m_operands = words;
    return parsed;
}
