#include "store/SignatureRemover.h"

#include "platform/FileFlags.h"
#include "platform/Platform.h"
#include "platform/RegularFile.h"
#include "store/KeptVersions.h"
#include "store/ListFileWriter.h"
#include "store/MailChoice.h"
#include "store/SignatureLimits.h"
#include "store/SignatureListReader.h"

#include <QFile>
#include <QFileInfo>

std::optional<QString> SignatureRemover::remove(const QList<SignatureStore> &stores,
                                                const SignatureService::Entry &entry)
{
    const QString id = entry.signature.id;
    // A copy whose file is gone has nothing to keep, and nothing to remove.
    QList<SignatureService::Copy> copies = entry.copies;
    copies.removeIf([](const SignatureService::Copy &copy) { return !QFileInfo::exists(copy.file); });
    for (const SignatureService::Copy &copy : copies) {
        const std::optional<QByteArray> bytes =
            RegularFile::read(copy.file, SignatureLimits::maximumFileSize);
        QString error;
        if (!bytes || !KeptVersions::keep(id, copy.store.kind, *bytes, KeptVersions::Kind::Kept, &error))
            return QStringLiteral("%1 could not be kept first, so nothing was changed.").arg(copy.file);
    }
    if (MailChoice::isSetUp()) {
        QString failure;
        const std::optional<MailChoice::Choices> choices = MailChoice::read(&failure);
        if (!choices)
            return failure;
        MailChoice::Choices none;
        for (auto it = choices->cbegin(); it != choices->cend(); ++it) {
            if (it->signature == id)
                none.insert(it.key(), MailChoice::Choice{});
        }
        if (const std::optional<QString> unwritten = MailChoice::write(none))
            return unwritten;
    }
    // The lists before the files: a list never names a file that is not there.
    for (const SignatureStore &store : stores) {
        if (std::optional<QString> failure = ListFileWriter::removeFromAccounts(store, id);
            failure || (failure = ListFileWriter::removeSignature(store, id)))
            return failure;
    }
    for (const SignatureService::Copy &copy : copies) {
        if (!Platform::fileFlags().setImmutable(copy.file, false) || !QFile::remove(copy.file))
            return QStringLiteral("%1 is no longer listed, but could not be removed.").arg(copy.file);
    }
    return std::nullopt;
}

std::optional<QString> SignatureRemover::bringBackFiles(const SignatureStore &store)
{
    for (const SignatureModel &signature :
         SignatureListReader::read(store.listFile()).value_or(QList<SignatureModel>())) {
        const std::optional<QString> file = store.fileOf(signature.id);
        if (!file || QFileInfo::exists(*file))
            continue;
        const QList<KeptVersions::Version> versions = KeptVersions::list(signature.id, store.kind);
        const std::optional<QByteArray> bytes =
            versions.isEmpty() ? std::nullopt : KeptVersions::read(versions.first().file);
        QString error;
        if (!bytes || !RegularFile::replace(*file, *bytes, &error) ||
            !Platform::fileFlags().setImmutable(*file, true))
            return QStringLiteral("The list names %1, whose file could not be put back.")
                .arg(u'"' + signature.name + u'"');
    }
    return std::nullopt;
}
