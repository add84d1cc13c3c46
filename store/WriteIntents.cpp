#include "store/WriteIntents.h"

#include "platform/FileFlags.h"
#include "platform/Platform.h"
#include "platform/RegularFile.h"
#include "store/SignatureLimits.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUuid>

namespace {

constexpr qint64 maximumRecordSize = 64 * 1024;

QString intentsFolder()
{
    const QString root = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return root.isEmpty() ? QString() : root + QStringLiteral("/Intents");
}

QJsonObject toJson(const WriteIntents::Intent &intent)
{
    return {{QStringLiteral("id"), intent.id},
            {QStringLiteral("name"), intent.name},
            {QStringLiteral("store"), SignatureStore::kindName(intent.store)},
            {QStringLiteral("file"), intent.file},
            {QStringLiteral("oldDigest"), QString::fromLatin1(intent.oldDigest.toHex())},
            {QStringLiteral("newDigest"), QString::fromLatin1(intent.newDigest.toHex())},
            {QStringLiteral("wasLocked"), intent.wasLocked},
            {QStringLiteral("lockNew"), intent.lockNew}};
}

std::optional<WriteIntents::Intent> fromJson(const QByteArray &bytes)
{
    const QJsonObject o = QJsonDocument::fromJson(bytes).object();
    if (o.isEmpty() || !o.value(QStringLiteral("file")).isString())
        return std::nullopt;
    WriteIntents::Intent intent;
    intent.id = o.value(QStringLiteral("id")).toString();
    intent.name = o.value(QStringLiteral("name")).toString();
    intent.store =
        o.value(QStringLiteral("store")).toString() == SignatureStore::kindName(SignatureStore::Kind::ICloud)
            ? SignatureStore::Kind::ICloud
            : SignatureStore::Kind::Local;
    intent.file = o.value(QStringLiteral("file")).toString();
    intent.oldDigest = QByteArray::fromHex(o.value(QStringLiteral("oldDigest")).toString().toLatin1());
    intent.newDigest = QByteArray::fromHex(o.value(QStringLiteral("newDigest")).toString().toLatin1());
    intent.wasLocked = o.value(QStringLiteral("wasLocked")).toBool();
    intent.lockNew = o.value(QStringLiteral("lockNew")).toBool(true);
    return intent;
}

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

// What became of one interrupted write, in one sentence.
QString finish(const WriteIntents::Intent &intent)
{
    const QString who = intent.name.isEmpty() ? quoted(intent.id) : quoted(intent.name);
    const QString copy = SignatureStore::copyName(intent.store);
    const std::optional<QByteArray> bytes = RegularFile::read(intent.file, SignatureLimits::maximumFileSize);
    const FileFlags &flags = Platform::fileFlags();
    bool lock = false;
    QString held;
    if (bytes && WriteIntents::isDigestOf(intent.newDigest, *bytes)) {
        lock = intent.lockNew;
        held = QStringLiteral("the new signature");
    } else if (bytes && WriteIntents::isDigestOf(intent.oldDigest, *bytes)) {
        lock = intent.wasLocked;
        held = QStringLiteral("the signature as it was before");
    } else {
        return QStringLiteral("A write to %1 of %2 was interrupted and left the file holding neither the old "
                              "nor the new signature; its versions are kept.")
            .arg(copy, who);
    }
    if (lock && !flags.isImmutable(intent.file) && !flags.setImmutable(intent.file, true))
        return QStringLiteral(
                   "A write to %1 of %2 was interrupted; it holds %3 but could not be locked again, "
                   "so Mail may change it.")
            .arg(copy, who, held);
    return QStringLiteral("A write to %1 of %2 was interrupted; it holds %3%4.")
        .arg(copy, who, held, lock ? QStringLiteral(", locked again") : QString());
}

} // namespace

QByteArray WriteIntents::digest(const QByteArray &bytes)
{
    // BLAKE2b is four times as fast as SHA-256 here, which a signature with images, a megabyte,
    // would otherwise pay for twice a write.
    return QCryptographicHash::hash(bytes, QCryptographicHash::Blake2b_256);
}

bool WriteIntents::isDigestOf(const QByteArray &digest, const QByteArray &bytes)
{
    // Records written before took SHA-256.
    return digest == WriteIntents::digest(bytes) ||
           digest == QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

std::optional<QString> WriteIntents::record(const Intent &intent, QString *error)
{
    const QString folder = intentsFolder();
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        *error = QStringLiteral("no place to record the write");
        return std::nullopt;
    }
    const QString path =
        folder + u'/' + QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".json");
    QSaveFile file(path);
    const QByteArray bytes = QJsonDocument(toJson(intent)).toJson(QJsonDocument::Compact);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = file.errorString();
        return std::nullopt;
    }
    RegularFile::syncFolder(folder);
    return path;
}

void WriteIntents::clear(const QString &record)
{
    QFile::remove(record);
}

QList<QString> WriteIntents::recover()
{
    QList<QString> sentences;
    const QString folder = intentsFolder();
    if (folder.isEmpty())
        return sentences;
    const QDir dir(folder);
    for (const QString &name : dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Time)) {
        const QString path = dir.filePath(name);
        const std::optional<QByteArray> bytes = RegularFile::read(path, maximumRecordSize);
        // A record cut short by the kill names nothing yet unlocked: the write had not begun.
        const std::optional<Intent> intent = bytes ? fromJson(*bytes) : std::nullopt;
        if (intent)
            sentences.append(finish(*intent));
        clear(path);
    }
    return sentences;
}
