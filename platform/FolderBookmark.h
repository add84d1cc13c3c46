#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A persistent reference to a folder that can be stored as an opaque blob and
// later turned back into the folder, with access to it opened again.
// Main thread only.
class FolderBookmark
{
public:
    struct Resolved
    {
        QString folder;
        // The blob still finds a folder, but no longer the one it was made
        // of; a fresh blob should be made.
        bool isStale = false;
    };

    virtual ~FolderBookmark() = default;

    // The blob for folder, or none with the reason in error.
    virtual std::optional<QByteArray> create(const QString &folder, QString *error) = 0;

    // The folder a blob refers to, or none with the reason in error.
    virtual std::optional<Resolved> resolve(const QByteArray &data, QString *error) = 0;

    // Opens access to a folder that resolve() returned; true when it can now be
    // read. The access stays open until the folder is resolved again or
    // endAccess().
    virtual bool startAccessing(const QString &folder) = 0;

    // Closes every access startAccessing() opened, when the engine that used
    // it ends.
    virtual void endAccess() = 0;
};
