#include "store/SignatureVersions.h"

#include "platform/RegularFile.h"
#include "store/MailFolders.h"

#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QString suffix = QStringLiteral(".mailsignature");
// Sorts as it reads, and holds no character any file system refuses.
const QString timeFormat = QStringLiteral("yyyyMMdd'T'HHmmsszzz'Z'");
constexpr qint64 maximumVersionSize = 256 * 1024 * 1024;

std::optional<QDateTime> timeOf(const QString &name)
{
    if (!name.endsWith(suffix))
        return std::nullopt;
    QDateTime time = QDateTime::fromString(name.chopped(suffix.size()), timeFormat);
    if (!time.isValid())
        return std::nullopt;
    time.setTimeSpec(Qt::UTC);
    return time;
}

QString nameOf(const QDateTime &time)
{
    return time.toUTC().toString(timeFormat) + suffix;
}

} // namespace

std::optional<QString> SignatureVersions::folderOf(const QString &id)
{
    const QString root = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (root.isEmpty())
        return std::nullopt;
    return MailFolders::fileIn(root + QStringLiteral("/Versions"), id);
}

QList<SignatureVersions::Version> SignatureVersions::list(const QString &id)
{
    QList<Version> versions;
    const std::optional<QString> folder = folderOf(id);
    if (!folder)
        return versions;
    const QDir dir(*folder);
    for (const QString &name :
         dir.entryList({QLatin1Char('*') + suffix}, QDir::Files, QDir::Name | QDir::Reversed)) {
        if (const std::optional<QDateTime> time = timeOf(name))
            versions.append(Version{dir.filePath(name), *time});
    }
    if (!versions.isEmpty())
        versions.last().isOriginal = true;
    return versions;
}

std::optional<QByteArray> SignatureVersions::read(const QString &versionFile)
{
    return RegularFile::read(versionFile, maximumVersionSize);
}

bool SignatureVersions::keep(const QString &id, const QByteArray &bytes, QString *error)
{
    const std::optional<QString> folder = folderOf(id);
    if (!folder) {
        *error = QStringLiteral("no place to keep it");
        return false;
    }
    const QList<Version> kept = list(id);
    if (!kept.isEmpty() && read(kept.first().file) == bytes)
        return true;
    if (!QDir().mkpath(*folder)) {
        *error = QStringLiteral("its folder could not be made");
        return false;
    }
    // Two versions within one millisecond still get names of their own, in order.
    QDateTime time = QDateTime::currentDateTimeUtc();
    if (!kept.isEmpty() && time <= kept.first().time)
        time = kept.first().time.addMSecs(1);
    QSaveFile file(QDir(*folder).filePath(nameOf(time)));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    // The rename is durable only once the folder's entry is on the disk too.
    RegularFile::syncFolder(*folder);
    // The original is the one most users want back: it stays.
    for (qsizetype i = maximumKept - 1; i < kept.size() - 1; ++i)
        QFile::remove(kept.at(i).file);
    return true;
}
