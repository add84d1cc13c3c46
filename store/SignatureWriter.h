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
    // The inserted version this write kept of the new bytes, if it made one:
    // a later put back of the old bytes takes it back (KeptVersions::discard).
    QString insertedVersion;
};

struct Target
{
    QString id;
    // For the sentences of an interrupted write.
    QString name;
    SignatureStore store;
};

// Replaces the whole file of the target with bytes: version kept, intent
// recorded, unlocked, the new bytes kept as the inserted version when
// asInserted (before the file changes: a replacement by Mail is then always
// seen, and put back with what was really written), written atomically, then
// locked (or left unlocked when lock is false). After a failed write a lock
// that was there is put back, and the inserted version taken back.
Outcome replace(const Target &target, const QByteArray &bytes, bool lock, bool asInserted);

// Keeps the file of the target as a version, then clears its flag. Without a
// kept version the file stays locked: Mail would put its own back unseen.
std::optional<QString> unlock(const Target &target);
} // namespace SignatureWriter
