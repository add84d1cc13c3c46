#include "store/SignatureWriter.h"

#include "base/Diagnostics.h"
#include "platform/FileFlags.h"
#include "platform/Platform.h"
#include "platform/RegularFile.h"
#include "store/KeptVersions.h"
#include "store/SignatureLimits.h"
#include "store/WriteIntents.h"

#include <QFileInfo>

namespace {

SignatureWriter::Outcome failed(const QString &message)
{
    return SignatureWriter::Outcome{false, message};
}

// None when the file's bytes are kept; otherwise what to tell the user.
std::optional<QString> keepVersion(const SignatureWriter::Target &target, const QByteArray &bytes,
                                   KeptVersions::Kind kind)
{
    QString error;
    if (KeptVersions::keep(target.id, target.store.kind, bytes, kind, &error))
        return std::nullopt;
    Diagnostics::print(QStringLiteral("Failed to keep a version of %1 (%2): %3")
                           .arg(target.id, target.store.kindName(), error));
    return QStringLiteral("The signature's current version could not be kept, so nothing was changed.");
}

// Replaces the whole file atomically, keeping its owner, group and permission bits, not the umask's: Mail,
// running as the user, must still be able to rewrite what root wrote.
bool writeAtomically(const QString &file, const QByteArray &bytes, QString *error)
{
    return RegularFile::replace(file, bytes, error);
}

std::optional<QString> existingFile(const SignatureWriter::Target &target, QString *failure)
{
    const std::optional<QString> file = target.store.fileOf(target.id);
    if (!file)
        *failure = QStringLiteral("The signature's file could not be found.");
    else if (!QFileInfo::exists(*file))
        *failure = QStringLiteral("The signature's file no longer exists.");
    else
        return file;
    return std::nullopt;
}

} // namespace

SignatureWriter::Outcome SignatureWriter::replace(const Target &target, const QByteArray &bytes, bool lock)
{
    QString failure;
    const std::optional<QString> file = existingFile(target, &failure);
    if (!file)
        return failed(failure);
    const std::optional<QByteArray> old = RegularFile::read(*file, SignatureLimits::maximumFileSize);
    if (!old)
        return failed(QStringLiteral("The signature's current version could not be kept, so nothing was "
                                     "changed."));
    if (const std::optional<QString> error = keepVersion(target, *old, KeptVersions::Kind::Kept))
        return Outcome{false, *error};
    const FileFlags &flags = Platform::fileFlags();
    const bool wasLocked = flags.isImmutable(*file);
    QString error;
    const std::optional<QString> intent =
        WriteIntents::record({target.id, target.name, target.store.kind, *file, WriteIntents::digest(*old),
                              WriteIntents::digest(bytes), wasLocked, lock},
                             &error);
    if (!intent) {
        Diagnostics::print(QStringLiteral("Failed to record the write to ") + *file + QStringLiteral(": ") +
                           error);
        return Outcome{false,
                       QStringLiteral("The write could not be recorded first, so nothing was changed.")};
    }
    if (!flags.setImmutable(*file, false)) {
        WriteIntents::clear(*intent);
        return failed(QStringLiteral("The signature's file could not be unlocked, so it was left as it is."));
    }
    if (!writeAtomically(*file, bytes, &error)) {
        Diagnostics::print(error);
        // Unlocked, the user's signature would be Mail's to revert.
        if (wasLocked && !flags.setImmutable(*file, true))
            Diagnostics::print(QStringLiteral("Failed to lock the signature file again: ") + *file);
        else
            WriteIntents::clear(*intent);
        return Outcome{false, QStringLiteral("The signature could not be saved: %1.").arg(error)};
    }
    if (lock && !flags.setImmutable(*file, true)) {
        WriteIntents::clear(*intent);
        Diagnostics::print(QStringLiteral("Failed to lock the signature file: ") + *file);
        return Outcome{true, QStringLiteral("The signature was saved but could not be locked, so Mail "
                                            "may change it.")};
    }
    WriteIntents::clear(*intent);
    return Outcome{true, std::nullopt};
}

std::optional<QString> SignatureWriter::unlock(const Target &target)
{
    QString failure;
    const std::optional<QString> file = existingFile(target, &failure);
    if (!file)
        return failure;
    const std::optional<QByteArray> bytes = RegularFile::read(*file, SignatureLimits::maximumFileSize);
    if (!bytes)
        return QStringLiteral("The signature's current version could not be kept, so nothing was changed.");
    // Once unlocked, Mail puts its own version back: the user's goes to the versions first.
    if (const std::optional<QString> error = keepVersion(target, *bytes, KeptVersions::Kind::Unlocked))
        return error;
    if (!Platform::fileFlags().setImmutable(*file, false))
        return QStringLiteral("The signature's file could not be unlocked.");
    return std::nullopt;
}
