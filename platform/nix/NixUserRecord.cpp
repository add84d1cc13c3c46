#include "platform/nix/NixUserRecord.h"

#include <QFile>
#include <QStringList>

#include <pwd.h>
#include <unistd.h>

#include <vector>

std::optional<QMap<QString, QString>> NixUserRecord::fields(const std::optional<QString> &user) const
{
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested) : 16384);
    passwd entry{};
    passwd *found = nullptr;
    const int failed = user ? ::getpwnam_r(QFile::encodeName(*user).constData(), &entry, buffer.data(),
                                           buffer.size(), &found)
                            : ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found);
    if (failed != 0 || !found)
        return std::nullopt;
    static const char *const names[] = {"name", "office", "phone", "homePhone"};
    const QStringList parts = QString::fromUtf8(found->pw_gecos ? found->pw_gecos : "").split(u',');
    QMap<QString, QString> fields;
    for (qsizetype i = 0; i < std::min<qsizetype>(parts.size(), std::size(names)); ++i) {
        if (const QString value = parts.at(i).trimmed(); !value.isEmpty())
            fields.insert(QLatin1String(names[i]), value);
    }
    return fields;
}
