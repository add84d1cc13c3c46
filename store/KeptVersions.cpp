#include "store/KeptVersions.h"

#include "platform/RegularFile.h"
#include "store/MailFolders.h"
#include "store/SignatureLimits.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <utility>

namespace {

const QString suffix = QStringLiteral(".mailsignature");
const QString iCloudTag = QStringLiteral("icloud");
const QString insertedTag = QStringLiteral("inserted");
const QString unlockedTag = QStringLiteral("unlocked");
// Sorts as it reads, and holds no character any file system refuses.
const QString timeFormat = QStringLiteral("yyyyMMdd'T'HHmmsszzz'Z'");

// A name this program made: the time, then the tags in the order nameOf
// writes them. Versions kept before stores and kinds were recorded have
// neither tag: local, kept before a write.
// withTime false leaves the time unread: reading it is most of the cost, and
// the newest of a store is found by the name's order alone.
std::optional<KeptVersions::Version> parse(const QString &name, bool withTime = true)
{
    if (!name.endsWith(suffix))
        return std::nullopt;
    QStringList parts = name.chopped(suffix.size()).split(QLatin1Char('.'));
    const QString stamp = parts.takeFirst();
    KeptVersions::Version version;
    if (withTime) {
        version.time = QDateTime::fromString(stamp, timeFormat);
        if (!version.time.isValid())
            return std::nullopt;
        version.time.setTimeSpec(Qt::UTC);
    } else if (stamp.size() != timeFormat.size() - 4 || !stamp.front().isDigit()) {
        return std::nullopt;
    }
    if (!parts.isEmpty() && parts.first() == iCloudTag) {
        version.store = SignatureStore::Kind::ICloud;
        parts.removeFirst();
    }
    if (!parts.isEmpty() && parts.first() == insertedTag) {
        version.kind = KeptVersions::Kind::Inserted;
        parts.removeFirst();
    } else if (!parts.isEmpty() && parts.first() == unlockedTag) {
        version.kind = KeptVersions::Kind::Unlocked;
        parts.removeFirst();
    }
    if (!parts.isEmpty())
        return std::nullopt;
    return version;
}

QString nameOf(const QDateTime &time, SignatureStore::Kind store, KeptVersions::Kind kind)
{
    QString name = time.toUTC().toString(timeFormat);
    if (store == SignatureStore::Kind::ICloud)
        name += u'.' + iCloudTag;
    if (kind == KeptVersions::Kind::Inserted)
        name += u'.' + insertedTag;
    else if (kind == KeptVersions::Kind::Unlocked)
        name += u'.' + unlockedTag;
    return name + suffix;
}

} // namespace

QString KeptVersions::Version::name() const
{
    const QString base = QFileInfo(file).fileName();
    return base.chopped(suffix.size());
}

QString KeptVersions::Version::kindName() const
{
    if (isOriginal)
        return QStringLiteral("original");
    switch (kind) {
    case Kind::Inserted:
        return QStringLiteral("inserted");
    case Kind::Unlocked:
        return QStringLiteral("unlocked");
    case Kind::Kept:
        break;
    }
    return QStringLiteral("kept");
}

std::optional<QString> KeptVersions::folderOf(const QString &id)
{
    const QString root = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (root.isEmpty())
        return std::nullopt;
    return MailFolders::fileIn(root + QStringLiteral("/Versions"), id);
}

QSet<QString> KeptVersions::keptIds()
{
    const QString root = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (root.isEmpty())
        return {};
    const QStringList ids =
        QDir(root + QStringLiteral("/Versions")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return QSet<QString>(ids.cbegin(), ids.cend());
}

QList<KeptVersions::Version> KeptVersions::list(const QString &id)
{
    QList<Version> versions;
    const std::optional<QString> folder = folderOf(id);
    if (!folder)
        return versions;
    const QDir dir(*folder);
    bool seenOriginal[2] = {false, false};
    // Oldest first, so the first of each store is its original.
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
        std::optional<Version> version = parse(name);
        if (!version)
            continue;
        version->file = dir.filePath(name);
        bool &seen = seenOriginal[version->store == SignatureStore::Kind::ICloud ? 1 : 0];
        version->isOriginal = !std::exchange(seen, true);
        versions.prepend(*version);
    }
    return versions;
}

QList<KeptVersions::Version> KeptVersions::list(const QString &id, SignatureStore::Kind store)
{
    QList<Version> versions = list(id);
    versions.removeIf([store](const Version &version) { return version.store != store; });
    return versions;
}

std::optional<KeptVersions::Version> KeptVersions::lastInserted(const QString &id, SignatureStore::Kind store)
{
    const std::optional<QString> folder = folderOf(id);
    if (!folder)
        return std::nullopt;
    const QDir dir(*folder);
    // No name filter: Qt makes each one a regular expression, the most of a
    // thousand signatures' check; parse() takes only names that end right.
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name | QDir::Reversed)) {
        std::optional<Version> version = parse(name, false);
        if (!version || version->store != store)
            continue;
        if (version->kind != Kind::Inserted)
            return std::nullopt;
        version->file = dir.filePath(name);
        return version;
    }
    return std::nullopt;
}

std::optional<QByteArray> KeptVersions::read(const QString &versionFile)
{
    return RegularFile::read(versionFile, SignatureLimits::maximumFileSize);
}

bool KeptVersions::keep(const QString &id, SignatureStore::Kind store, const QByteArray &bytes, Kind kind,
                        QString *error, QString *made)
{
    if (made)
        made->clear();
    const std::optional<QString> folder = folderOf(id);
    if (!folder) {
        *error = QStringLiteral("no place to keep it");
        return false;
    }
    const QList<Version> all = list(id);
    const QList<Version> kept = list(id, store);
    // The newest version already says this: a write of the same bytes again,
    // or the file before a write that is what was inserted last.
    if (!kept.isEmpty() && (kind == Kind::Kept || kept.first().kind == kind) &&
        read(kept.first().file) == bytes)
        return true;
    if (!QDir().mkpath(*folder)) {
        *error = QStringLiteral("its folder could not be made");
        return false;
    }
    // Every version gets a time of its own, after all others of the signature,
    // so names sort in the order the versions were kept.
    QDateTime time = QDateTime::currentDateTimeUtc();
    if (!all.isEmpty() && time <= all.first().time)
        time = all.first().time.addMSecs(1);
    QSaveFile file(QDir(*folder).filePath(nameOf(time, store, kind)));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    // The rename is durable only once the folder's entry is on the disk too.
    RegularFile::syncFolder(*folder);
    if (made)
        *made = file.fileName();
    // The original is the one most users want back: it stays.
    for (qsizetype i = maximumKept - 1; i < kept.size() - 1; ++i)
        QFile::remove(kept.at(i).file);
    return true;
}

void KeptVersions::discard(const QString &made)
{
    if (!made.isEmpty())
        QFile::remove(made);
}
