#pragma once

#include "store/SignatureStore.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// A write to a signature file unlocks it first; a program killed before it
// locks the file again would leave it for Mail to revert unseen. So the
// intent is recorded durably, in the application's data folder, before the
// file is unlocked, and cleared once it is locked again. The next start of
// the window or of mailsig finishes what it finds.
namespace WriteIntents {
struct Intent
{
    QString id;
    QString name;
    SignatureStore::Kind store = SignatureStore::Kind::Local;
    QString file;
    // SHA-256 of the file before and of what is being written.
    QByteArray oldDigest;
    QByteArray newDigest;
    bool wasLocked = false;
    // Whether the new bytes are to be locked once written.
    bool lockNew = true;
};

QByteArray digest(const QByteArray &bytes);
// Whether digest, of this program or of an earlier one, is that of bytes.
bool isDigestOf(const QByteArray &digest, const QByteArray &bytes);

// The intent's record; none (with the reason) when it could not be made
// durable, and the write must then not start.
std::optional<QString> record(const Intent &intent, QString *error);
void clear(const QString &record);

// Finishes every recorded intent: a file holding the old bytes is locked
// again if it was, one holding the new bytes is locked if that was asked,
// and a file holding neither is left as it is and reported. No file is ever
// removed but the records. One sentence per intent found, for the user.
QList<QString> recover();
} // namespace WriteIntents
