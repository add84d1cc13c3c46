#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Reads of files that the user's mail client owns. Only regular files are
// read: a FIFO, device or folder in their place must not block or be followed.
namespace RegularFile {
// The whole file, or none when it is not a regular file, cannot be read or is
// larger than maximumSize.
std::optional<QByteArray> read(const QString &path, qint64 maximumSize);
// At most the first size bytes of a regular file, or none as read() says.
std::optional<QByteArray> readStart(const QString &path, qint64 size);
// Replaces (or makes) the file at path with bytes atomically, and flushes
// its folder's entries. The file keeps the owner, group and mode of the one
// it replaces, or, when new, those of its folder (less the execute bits):
// run as root on another user's folder, it leaves nothing that user cannot
// rewrite. False, with the reason, when nothing was written.
bool replace(const QString &path, const QByteArray &bytes, QString *error);
// Flushes folder's entries to the disk, so a rename into it survives a power
// cut; false where the system refuses.
bool syncFolder(const QString &folder);
// True when path names a symbolic link (the link itself, not its target).
bool isSymbolicLink(const QString &path);
// True when folder can be opened and its entries listed.
bool canListFolder(const QString &folder);
} // namespace RegularFile
