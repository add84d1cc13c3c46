#include "platform/nix/NixFolderBookmark.h"

#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

const QLatin1String kindKey("kind");
const QLatin1String kindValue("folder-bookmark");
const QLatin1String versionKey("version");
const QLatin1String pathKey("path");
const QLatin1String deviceKey("device");
const QLatin1String inodeKey("inode");

QString systemError(const QString &path, int error)
{
    return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)));
}

// stat() of a directory; the error text when it is missing or not a directory.
std::optional<struct stat> statFolder(const QString &path, QString *error)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        *error = systemError(path, errno);
        return std::nullopt;
    }
    if (!S_ISDIR(st.st_mode)) {
        *error = systemError(path, ENOTDIR);
        return std::nullopt;
    }
    return st;
}

// Numbers as decimal text: JSON numbers lose precision beyond 2^53.
QString number(quint64 value)
{
    return QString::number(value);
}

std::optional<quint64> number(const QJsonValue &value)
{
    bool ok = false;
    const quint64 result = value.toString().toULongLong(&ok);
    return ok ? std::optional<quint64>(result) : std::nullopt;
}

} // namespace

std::optional<QByteArray> NixFolderBookmark::create(const QString &folder, QString *error)
{
    if (folder.isEmpty() || folder.contains(QChar(0))) {
        *error = QStringLiteral("The folder location is not valid.");
        return std::nullopt;
    }
    const QString path = QDir::cleanPath(QDir(folder).absolutePath());
    const std::optional<struct stat> st = statFolder(path, error);
    if (!st)
        return std::nullopt;
    const QJsonObject object{{kindKey, kindValue},
                             {versionKey, formatVersion},
                             {pathKey, path},
                             {deviceKey, number(quint64(st->st_dev))},
                             {inodeKey, number(quint64(st->st_ino))}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<FolderBookmark::Resolved> NixFolderBookmark::resolve(const QByteArray &data, QString *error)
{
    const QJsonDocument document = QJsonDocument::fromJson(data);
    const QJsonObject object = document.object();
    const QString path = object.value(pathKey).toString();
    const std::optional<quint64> device = number(object.value(deviceKey));
    const std::optional<quint64> inode = number(object.value(inodeKey));
    if (!document.isObject() || object.value(kindKey).toString() != kindValue ||
        object.value(versionKey).toInt() != formatVersion || !path.startsWith(QLatin1Char('/')) ||
        path.contains(QChar(0)) || !device || !inode) {
        *error = QStringLiteral("The bookmark data is not in a format that can be read.");
        return std::nullopt;
    }
    const std::optional<struct stat> st = statFolder(path, error);
    if (!st)
        return std::nullopt;
    return Resolved{path, quint64(st->st_dev) != *device || quint64(st->st_ino) != *inode};
}

bool NixFolderBookmark::startAccessing(const QString &folder)
{
    return RegularFile::canListFolder(folder);
}
