#pragma once

#include "store/SignatureStore.h"

#include <QString>
#include <QStringList>

#include <optional>

// Changes to the property lists beside the signatures (AllSignatures.plist,
// AccountsMap.plist): read with libplist, changed, written back in the form
// they had (binary stays binary, XML stays XML) atomically, the whole file
// kept as a version first, like a signature. A change that is already there
// writes nothing.
namespace ListFileWriter {
// The name versions of a list file are kept under.
inline constexpr const char *allSignaturesName = "AllSignatures.plist";
inline constexpr const char *accountsMapName = "AccountsMap.plist";

// Appends a rich signature's entry to the store's list unless it lists id;
// none when done, otherwise what to tell the user.
std::optional<QString> appendSignature(const SignatureStore &store, const QString &id, const QString &name);
// Takes every entry of id out of the store's list.
std::optional<QString> removeSignature(const SignatureStore &store, const QString &id);
// Adds signatureId to the "Signatures" of each account of accountIds in the store's map, where it is not.
std::optional<QString> addToAccounts(const SignatureStore &store, const QStringList &accountIds,
                                     const QString &signatureId);
// Takes signatureId out of the "Signatures" of each account of accountIds, or of every account when empty,
// in the store's map; none when done or there is no map.
std::optional<QString> removeFromAccounts(const SignatureStore &store, const QString &signatureId,
                                          const QStringList &accountIds = {});
// Writes bytes back as the list file named fileName in store, the file kept first.
std::optional<QString> replace(const SignatureStore &store, const QString &fileName, const QByteArray &bytes);
// Why the list file named fileName in store must not be written, in one
// sentence: it is a symbolic link, whose target may lie anywhere. None when
// it may be.
std::optional<QString> refusal(const SignatureStore &store, const QString &fileName);
} // namespace ListFileWriter
