#pragma once

#include "store/SignatureModel.h"

#include <QList>
#include <QString>

#include <optional>

// Turns AllSignatures.plist into records, each with the lock state of its
// file, which lies beside the list file.
class SignatureListReader
{
public:
    // None when the file cannot be read or parsed, or its root is not an
    // array of dictionaries. Entries keep the file's order; a missing or
    // non-text "SignatureUniqueId"/"SignatureName" gives an empty text.
    // With isRich, also each entry's "SignatureIsRich" (false when missing).
    static std::optional<QList<SignatureModel>> read(const QString &listFile, QList<bool> *isRich = nullptr);

    // The pairs (id, name) of the list file's bytes, without touching any
    // other file.
    static std::optional<QList<std::pair<std::optional<QString>, std::optional<QString>>>>
    parseEntries(const QByteArray &data, QList<bool> *isRich = nullptr);
};
