#pragma once

#include "store/SignatureStore.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Every change this program makes to one copy of a signature file, for the
// window and the command line alike: the file's current bytes kept as a
// version first, the intent recorded, then the change. Failures come back as
// one sentence for the user; where the system gave a cause (a version, the
// record of the write, the write or the lock failed), the cause also goes to
// the diagnostic lines.
namespace SignatureWriter {
struct Outcome
{
    // The file now holds the new bytes (even when locking it failed).
    bool written = false;
    // What to tell the user; none when everything asked for was done.
    std::optional<QString> failure;
};

struct Target
{
    QString id;
    // For the sentences of an interrupted write.
    QString name;
    SignatureStore store;
};

// Replaces the whole file of the target with bytes: version kept, intent
// recorded, unlocked, written atomically, then locked (or left unlocked when
// lock is false). After a failed write a lock that was there is put back.
Outcome replace(const Target &target, const QByteArray &bytes, bool lock = true);

// Keeps the file of the target as a version, then clears its flag. Without a
// kept version the file stays locked: Mail would put its own back unseen.
std::optional<QString> unlock(const Target &target);
} // namespace SignatureWriter
