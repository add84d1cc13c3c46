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
    return SignatureWriter::Outcome{false, message, QString()};
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
    if (const std::optional<QString> problem = target.store.fileProblem(target.id)) {
        *failure = *problem;
        return std::nullopt;
    }
    return target.store.fileOf(target.id);
}

} // namespace

SignatureWriter::Outcome SignatureWriter::replace(const Target &target, const QByteArray &bytes, bool lock,
                                                  bool asInserted)
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
        return failed(*error);
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
        return failed(QStringLiteral("The write could not be recorded first, so nothing was changed."));
    }
    if (!flags.setImmutable(*file, false)) {
        WriteIntents::clear(*intent);
        return failed(QStringLiteral("The signature's file could not be unlocked, so it was left as it is."));
    }
    // Unlocked: a step that fails locks the file again as it was (a kill leaves that to the record), and
    // takes back the inserted version of what never reached the file.
    QString inserted;
    const auto notWritten = [&](const QString &message) {
        if (wasLocked && !flags.setImmutable(*file, true))
            Diagnostics::print(QStringLiteral("Failed to lock the signature file again: ") + *file);
        else
            WriteIntents::clear(*intent);
        KeptVersions::discard(inserted);
        return failed(message);
    };
    // Recorded before the file changes: a replacement by Mail is then always seen, and put back with this.
    if (asInserted && !KeptVersions::keep(target.id, target.store.kind, bytes, KeptVersions::Kind::Inserted,
                                          &error, &inserted)) {
        Diagnostics::print(QStringLiteral("Failed to keep what is written to %1: %2").arg(*file, error));
        return notWritten(
            QStringLiteral("The new signature could not be kept as a version, so nothing was changed."));
    }
    if (!writeAtomically(*file, bytes, &error)) {
        Diagnostics::print(error);
        return notWritten(QStringLiteral("The signature could not be saved: %1.").arg(error));
    }
    if (lock && !flags.setImmutable(*file, true)) {
        WriteIntents::clear(*intent);
        Diagnostics::print(QStringLiteral("Failed to lock the signature file: ") + *file);
        return Outcome{
            true, QStringLiteral("The signature was saved but could not be locked, so Mail may change it."),
            inserted};
    }
    WriteIntents::clear(*intent);
    return Outcome{true, std::nullopt, inserted};
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
