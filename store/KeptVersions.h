#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// Every signature file this program replaces or hands back to Mail is kept
// first, whole and byte for byte, in the application's own data folder
// (never in Mail's, which must not see extra files):
// Versions/<id>/<UTC time>.mailsignature: the newest few per signature, and
// the oldest for good, the file as it was before this program first changed it.
// "Kept version" always means such a copy; Mail's own V<n> folders are its
// version folders (MailFolders).
namespace KeptVersions {
struct Version
{
    QString file;
    QDateTime time; // UTC
    // The oldest kept version: the signature before this program changed it.
    bool isOriginal = false;
};

inline constexpr int maximumKept = 20;

// Where the versions of id are kept; none for an id that could name
// something outside that folder.
std::optional<QString> folderOf(const QString &id);

// The kept versions of id, newest first; the last is the original.
QList<Version> list(const QString &id);

// The bytes of a kept version; none when it cannot be read.
std::optional<QByteArray> read(const QString &versionFile);

// Keeps bytes as the newest version of id, unless the newest kept one
// holds the same bytes. False, with the reason, when it could not be
// stored: the file must then not be replaced.
bool keep(const QString &id, const QByteArray &bytes, QString *error);
} // namespace KeptVersions
