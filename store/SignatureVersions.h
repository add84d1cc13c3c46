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
class SignatureVersions
{
public:
    struct Version
    {
        QString file;
        QDateTime time; // UTC
        // The oldest kept version: the signature before this program changed it.
        bool isOriginal = false;
    };

    static constexpr int maximumKept = 20;

    // Where the versions of id are kept; none for an id that could name
    // something outside that folder.
    static std::optional<QString> folderOf(const QString &id);

    // The kept versions of id, newest first; the last is the original.
    static QList<Version> list(const QString &id);

    // The bytes of a kept version; none when it cannot be read.
    static std::optional<QByteArray> read(const QString &versionFile);

    // Keeps bytes as the newest version of id, unless the newest kept one
    // holds the same bytes. False, with the reason, when it could not be
    // stored: the file must then not be replaced.
    static bool keep(const QString &id, const QByteArray &bytes, QString *error);
};
