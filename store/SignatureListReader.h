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
    // non-text "SignatureUniqueId"/"SignatureName" gives an empty text, a
    // missing or non-Boolean "SignatureIsRich" no rich flag.
    static std::optional<QList<SignatureModel>> read(const QString &listFile);

    // What one dictionary of the list says; none for a key that is missing
    // or of another kind.
    struct Entry
    {
        std::optional<QString> id;
        std::optional<QString> name;
        std::optional<bool> isRich;
    };

    // The entries of the list file's bytes, without touching any other file.
    static std::optional<QList<Entry>> parseEntries(const QByteArray &data);
};
