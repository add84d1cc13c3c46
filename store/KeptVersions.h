#pragma once

#include "store/SignatureStore.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>

// Every signature file this program replaces or hands back to Mail is kept
// first, whole and byte for byte, in the application's own data folder
// (never in Mail's, which must not see extra files), and so is every file it
// wrote: Versions/<id>/<UTC time>[.icloud][.inserted|.unlocked].mailsignature.
// Per store, the newest few are kept, and the oldest for good: the file as it
// was before this program first changed it. "Kept version" always means such
// a copy; Mail's own V<n> folders are its version folders (MailFolders).
namespace KeptVersions {
enum class Kind
{
    // The file as it was before a write.
    Kept,
    // What an insert or restore wrote: the bytes Mail should still hold.
    Inserted,
    // The file as it was when the user handed it back to Mail.
    Unlocked,
};

struct Version
{
    QString file;
    QDateTime time; // UTC
    Kind kind = Kind::Kept;
    SignatureStore::Kind store = SignatureStore::Kind::Local;
    // The oldest kept version of its store: the signature before this program changed it.
    bool isOriginal = false;

    // What mailsig shows and takes: the file's name without ".mailsignature".
    QString name() const;
    // "original", "inserted", "unlocked" or "kept": mailsig's word for it.
    QString kindName() const;
};

inline constexpr int maximumKept = 20;

// Where the versions of id are kept; none for an id that could name
// something outside that folder.
std::optional<QString> folderOf(const QString &id);

// The ids that have kept versions, by one listing of the versions folder.
QSet<QString> keptIds();

// The kept versions of id, newest first, of every store or of one; within a
// store the last is the original.
QList<Version> list(const QString &id);
QList<Version> list(const QString &id, SignatureStore::Kind store);

// The newest version of id in store when it records what this program
// wrote; none once anything else (a version kept before a write, an unlock)
// came after it. Found by the names alone: its time is not read.
std::optional<Version> lastInserted(const QString &id, SignatureStore::Kind store);

// The bytes of a kept version; none when it cannot be read.
std::optional<QByteArray> read(const QString &versionFile);

// Keeps bytes as the newest version of id in store, unless the newest one
// holds the same bytes and is of the same kind (any kind, for a version kept
// before a write); made, when given, gets the version's file (empty when none
// was needed). False, with the reason, when it could not be stored: the file
// must then not be replaced.
bool keep(const QString &id, SignatureStore::Kind store, const QByteArray &bytes, Kind kind, QString *error,
          QString *made = nullptr);
// Takes back a version keep() made moments ago for bytes that never reached
// the file (its write failed, or was put back): it would say they did.
void discard(const QString &made);
} // namespace KeptVersions
