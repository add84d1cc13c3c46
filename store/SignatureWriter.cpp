#include "store/SignatureWriter.h"

#include "platform/RegularFile.h"
#include "store/Diagnostics.h"
#include "store/SignatureVersions.h"
#include "store/SignaturesEngine.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
// A signature is a few kilobytes; this only keeps a runaway file from being
// pulled into memory whole.
constexpr qint64 maximumSignatureFileSize = 256 * 1024 * 1024;

SignatureWriter::Outcome failed(const QString &message)
{
    return SignatureWriter::Outcome{false, message};
}
} // namespace

SignatureWriter::Outcome SignatureWriter::replace(const QString &id, const QByteArray &bytes, bool lock)
{
    const std::optional<QString> file = SignaturesEngine::signatureFileURL(id);
    if (!file)
        return failed(QStringLiteral("The signature's file could not be found."));
    if (!QFileInfo::exists(*file))
        return failed(QStringLiteral("The signature's file no longer exists."));
    if (const std::optional<QString> error = keepVersion(id, *file))
        return failed(*error);
    const bool wasLocked = SignaturesEngine::isFileImmutable(*file);
    if (!SignaturesEngine::setFileLocked(*file, false))
        return failed(QStringLiteral("The signature's file could not be unlocked, so it was left as it is."));
    QString error;
    if (!writeAtomically(*file, bytes, &error)) {
        Diagnostics::print(error);
        // Unlocked, the user's signature would be Mail's to revert.
        if (wasLocked && !SignaturesEngine::setFileLocked(*file, true))
            Diagnostics::print(QStringLiteral("Failed to lock the signature file again: ") + *file);
        return failed(QStringLiteral("The signature could not be saved: %1.").arg(error));
    }
    if (lock && !SignaturesEngine::setFileLocked(*file, true)) {
        Diagnostics::print(QStringLiteral("Failed to lock the signature file: ") + *file);
        return Outcome{true, QStringLiteral("The signature was saved but could not be locked, so Mail "
                                            "may change it.")};
    }
    return Outcome{true, std::nullopt};
}

std::optional<QString> SignatureWriter::unlock(const QString &id)
{
    const std::optional<QString> file = SignaturesEngine::signatureFileURL(id);
    if (!file || !QFileInfo::exists(*file))
        return QStringLiteral("The signature's file no longer exists.");
    // Once unlocked, Mail puts its own version back: the user's goes to the versions first.
    if (const std::optional<QString> error = keepVersion(id, *file))
        return error;
    if (!SignaturesEngine::unlockFile(*file))
        return QStringLiteral("The signature's file could not be unlocked.");
    return std::nullopt;
}

std::optional<QString> SignatureWriter::keepVersion(const QString &id, const QString &file)
{
    const std::optional<QByteArray> bytes = RegularFile::read(file, maximumSignatureFileSize);
    QString error = QStringLiteral("the file could not be read");
    if (bytes && SignatureVersions::keep(id, *bytes, &error))
        return std::nullopt;
    Diagnostics::print(QStringLiteral("Failed to keep a version of ") + file + QStringLiteral(": ") + error);
    return QStringLiteral("The signature's current version could not be kept, so nothing was changed.");
}

bool SignatureWriter::writeAtomically(const QString &file, const QByteArray &bytes, QString *error)
{
    const QFileDevice::Permissions permissions = QFile::permissions(file);
    QSaveFile save(file);
    if (!save.open(QIODevice::WriteOnly)) {
        *error = save.errorString();
        return false;
    }
    // The replacement must carry the old file's permission bits, not the umask's.
    if (permissions != QFileDevice::Permissions() && !save.setPermissions(permissions)) {
        *error = save.errorString();
        save.cancelWriting();
        return false;
    }
    if (save.write(bytes) != bytes.size() || !save.commit()) {
        *error = save.errorString();
        save.cancelWriting();
        return false;
    }
    // Without this a power cut can undo the rename while the versions say otherwise.
    RegularFile::syncFolder(QFileInfo(file).absolutePath());
    return true;
}
