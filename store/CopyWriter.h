#pragma once

#include "store/KeptVersions.h"
#include "store/SignatureService.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The writes that act on every copy of a signature, all or nothing, and the
// reading of one copy they start from. SignatureService is the way in.
namespace CopyWriter {

// Whether file differs from what this program last wrote there.
bool isReplaced(const QString &file, const std::optional<KeptVersions::Version> &inserted);
// The copy as read now; without withData its parts' bytes are not decoded.
SignatureService::Reading readCopy(const SignatureService::Copy &copy, bool withData = true);

// See SignatureService, which each of these serves.
std::optional<QByteArray> wouldWrite(const SignatureService::Entry &entry, const QString &html,
                                     QString *failure, bool *unchanged, const QList<SignatureImage> &images);
SignatureService::Outcome insert(const SignatureService::Entry &entry, const QString &html, bool lock,
                                 const QList<SignatureImage> &images);
SignatureService::Outcome restore(const SignatureService::Entry &entry, const KeptVersions::Version &version);
SignatureService::Outcome putBack(const SignatureService::Entry &entry);
std::optional<QString> unlock(const SignatureService::Entry &entry);

} // namespace CopyWriter
