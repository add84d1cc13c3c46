#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>

#include <optional>

// One signature of Mail's list. Rows are keyed by id; two records are equal
// only when all fields are (texts compared as canonically equivalent Unicode,
// so a decomposed "é" equals a precomposed one).
struct SignatureModel
{
    QString id;
    QString name;
    bool isFileLocked = false;
    // The list entry's "SignatureIsRich"; none when the entry does not say.
    std::optional<bool> isRich = std::nullopt;
    // A copy of it is kept in iCloud Drive (Mail syncs that one).
    bool isInICloud = false;
    // A file of it no longer holds what this program last wrote there.
    bool isReplacedSinceInsert = false;
    // The accounts that send it, each by its address (or its id when its URL holds none).
    QStringList accounts = {};
    // The accounts Mail's preferences choose it for, each named as in accounts.
    QStringList chosenFor = {};

    friend bool operator==(const SignatureModel &a, const SignatureModel &b);
    friend bool operator!=(const SignatureModel &a, const SignatureModel &b) { return !(a == b); }
};

// Equality of texts as the records use it: canonical equivalence.
bool canonicallyEqual(const QString &a, const QString &b);

size_t qHash(const SignatureModel &signature, size_t seed = 0);

Q_DECLARE_METATYPE(SignatureModel)
