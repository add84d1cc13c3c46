#pragma once

#include "store/SignatureService.h"

#include <QList>
#include <QString>

#include <optional>

// The taking out of a signature: from Mail's choice, every account's
// Signatures and every store's list, then its files. Every file is kept as a
// version before it changes; a signature file is unlocked and removed only
// after its version is whole. SignatureService::remove is the way in.
namespace SignatureRemover {
std::optional<QString> remove(const QList<SignatureStore> &stores, const SignatureService::Entry &entry);
// Puts back, from its newest kept version, the file of each signature the
// store's list names that has none: what a restored list needs.
std::optional<QString> bringBackFiles(const SignatureStore &store);
} // namespace SignatureRemover
