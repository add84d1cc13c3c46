#pragma once

#include "store/SignatureStore.h"

#include <QString>

#include <optional>

// Changes to the property lists beside the signatures (AllSignatures.plist,
// AccountsMap.plist): read with libplist, changed, written back in the form
// they had (binary stays binary, XML stays XML) atomically, the whole file
// kept as a version first, like a signature.
namespace ListFileWriter {
// The name versions of a list file are kept under.
inline constexpr const char *allSignaturesName = "AllSignatures.plist";
inline constexpr const char *accountsMapName = "AccountsMap.plist";

// Appends a rich signature's entry to the store's list; none when done,
// otherwise what to tell the user.
std::optional<QString> appendSignature(const SignatureStore &store, const QString &id, const QString &name);
// Adds signatureId to the "Signatures" of account accountId in the store's map.
std::optional<QString> addToAccount(const SignatureStore &store, const QString &accountId,
                                    const QString &signatureId);
// Writes bytes back as the list file named fileName in store, the file kept first.
std::optional<QString> replace(const SignatureStore &store, const QString &fileName, const QByteArray &bytes);
// Why the list file named fileName in store must not be written, in one
// sentence: it is a symbolic link, whose target may lie anywhere. None when
// it may be.
std::optional<QString> refusal(const SignatureStore &store, const QString &fileName);
} // namespace ListFileWriter
