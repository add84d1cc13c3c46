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
// Flushes folder's entries to the disk, so a rename into it survives a power
// cut; false where the system refuses.
bool syncFolder(const QString &folder);
// True when path names a symbolic link (the link itself, not its target).
bool isSymbolicLink(const QString &path);
} // namespace RegularFile
