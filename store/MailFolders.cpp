#include "store/MailFolders.h"

#include "base/Diagnostics.h"
#include "platform/Platform.h"
#include "platform/PropertyList.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace {

// Directories directly inside folder, hidden ones skipped, in the order the
// file system yields them (symbolic links to directories count, as a
// directory test that follows links reports them). None with an error text
// when the folder cannot be listed.
std::optional<QStringList> listDirectories(const QString &folder, QString *error)
{
    const QByteArray native = QFile::encodeName(folder);
    DIR *dir = ::opendir(native.constData());
    if (!dir) {
        *error = QStringLiteral("%1: %2").arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        return std::nullopt;
    }
    QStringList names;
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const QByteArray child = native + '/' + entry->d_name;
        struct stat st
        {
        };
        if (::stat(child.constData(), &st) == 0 && S_ISDIR(st.st_mode))
            names.append(QFile::decodeName(entry->d_name));
    }
    ::closedir(dir);
    return names;
}

std::optional<QString> &chosenMailFolder()
{
    static std::optional<QString> folder;
    return folder;
}

std::optional<quint64> versionNumber(const QString &name)
{
    bool ok = false;
    const QStringView digits = QStringView(name).mid(1);
    if (digits.isEmpty() || !digits.front().isDigit())
        return std::nullopt;
    const quint64 number = digits.toULongLong(&ok);
    return ok ? std::optional<quint64>(number) : std::nullopt;
}

std::optional<QString> lastUsedVersionName(const QString &mailFolder)
{
    const std::optional<PropertyList> info = PropertyList::fromFile(
        mailFolder + QLatin1Char('/') + QLatin1String(MailFolders::persistenceInfoName));
    if (!info)
        return std::nullopt;
    return PropertyList::text(PropertyList::value(info->root(), MailFolders::lastUsedVersionKey));
}

} // namespace

QString MailFolders::userLibraryFolder()
{
    return Platform::homeFolder() + QStringLiteral("/Library");
}

QString MailFolders::mailFolder()
{
    if (const std::optional<QString> &chosen = chosenMailFolder())
        return *chosen;
    return userLibraryFolder() + QStringLiteral("/Mail");
}

void MailFolders::useMailFolder(const std::optional<QString> &folder)
{
    chosenMailFolder() = folder;
}

bool MailFolders::isUsersOwnMailFolder()
{
    return !chosenMailFolder() || *chosenMailFolder() == userLibraryFolder() + QStringLiteral("/Mail");
}

QString MailFolders::libraryFolder()
{
    return QFileInfo(mailFolder()).absolutePath();
}

std::optional<QString> MailFolders::findVersionFolder()
{
    const QString mail = mailFolder();
    QString error;
    const std::optional<QStringList> directories = listDirectories(mail, &error);
    if (!directories) {
        Diagnostics::print(QStringLiteral("Error while accessing directory: ") + error);
        return std::nullopt;
    }
    QStringList candidates;
    for (const QString &name : *directories) {
        if (name.startsWith(QLatin1Char('V')))
            candidates.append(name);
    }
    const std::optional<QString> chosen =
        chooseVersionFolder(candidates, candidates.size() > 1 ? lastUsedVersionName(mail) : std::nullopt);
    if (!chosen) {
        Diagnostics::print(QStringLiteral("No folder starting with 'V' found."));
        return std::nullopt;
    }
    return mail + QLatin1Char('/') + *chosen;
}

std::optional<QString> MailFolders::chooseVersionFolder(const QStringList &candidates,
                                                        const std::optional<QString> &lastUsed)
{
    if (candidates.isEmpty())
        return std::nullopt;
    if (lastUsed && candidates.contains(*lastUsed))
        return *lastUsed;
    std::optional<QString> best;
    std::optional<quint64> bestNumber;
    for (const QString &name : candidates) {
        const std::optional<quint64> number = versionNumber(name);
        if (number && (!bestNumber || *number > *bestNumber)) {
            best = name;
            bestNumber = number;
        }
    }
    return best ? best : candidates.first();
}

std::optional<QString> MailFolders::signaturesFolder()
{
    const std::optional<QString> version = findVersionFolder();
    if (!version)
        return std::nullopt;
    return *version + QStringLiteral("/MailData/Signatures");
}

QString MailFolders::iCloudDataFolder()
{
    return libraryFolder() + QStringLiteral("/Mobile Documents/com~apple~mail/Data");
}

MailFolders::ICloudSignatures MailFolders::findICloudSignatures()
{
    ICloudSignatures found;
    const QString data = iCloudDataFolder();
    QString error;
    const std::optional<QStringList> directories = listDirectories(data, &error);
    if (!directories)
        return found;
    // A Signatures folder that cannot be opened may hold the list: it counts,
    // so the user hears why it is not read rather than gets an older one.
    std::optional<quint64> best;
    const auto hasUbiquitousNames = [](const QString &folder) {
        return !QDir(folder).entryList({QStringLiteral("ubiquitous_*")}, QDir::Files).isEmpty();
    };
    for (const QString &name : *directories) {
        const QString folder = data + u'/' + name;
        if (name == QLatin1String("MailData")) {
            found.olderLayout = true;
            continue;
        }
        const std::optional<quint64> number = name.startsWith(u'V') ? versionNumber(name) : std::nullopt;
        if (!number)
            continue;
        const QString signatures = folder + QStringLiteral("/Signatures");
        if (QFileInfo(signatures + QStringLiteral("/AllSignatures.plist")).isFile() ||
            (QFileInfo(signatures).isDir() && !RegularFile::canListFolder(signatures))) {
            if (!best || *number > *best) {
                best = number;
                found.folder = signatures;
            }
        } else if (QFileInfo(folder + QStringLiteral("/MailData/Signatures")).isDir() ||
                   hasUbiquitousNames(signatures)) {
            found.olderLayout = true;
        }
    }
    // A layout of its own is what Mail uses; an older one beside it is what it left behind.
    if (found.folder)
        found.olderLayout = false;
    return found;
}

std::optional<QString> MailFolders::fileIn(const QString &folder, const QString &name)
{
    if (name.contains(QLatin1Char('/')) || name.contains(QChar(u'\0')) || name == QLatin1String(".") ||
        name == QLatin1String(".."))
        return std::nullopt;
    return folder + QLatin1Char('/') + name;
}

std::optional<QString> MailFolders::signatureFileIn(const QString &signaturesFolder, const QString &id)
{
    // The id comes from a file anyone can edit: it must never reach outside the folder.
    if (id == QLatin1String(".") || id == QLatin1String(".."))
        return std::nullopt;
    const std::optional<QString> file = fileIn(signaturesFolder, id + QStringLiteral(".mailsignature"));
    if (!file || RegularFile::isSymbolicLink(*file))
        return std::nullopt;
    return file;
}

std::optional<QString> MailFolders::signatureFile(const QString &id)
{
    const std::optional<QString> folder = signaturesFolder();
    if (!folder)
        return std::nullopt;
    return signatureFileIn(*folder, id);
}
