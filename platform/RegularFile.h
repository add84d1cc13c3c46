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
// True when path names a symbolic link (the link itself, not its target).
bool isSymbolicLink(const QString &path);
} // namespace RegularFile
