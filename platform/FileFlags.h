#pragma once

#include <QString>

// The file system's "do not modify" flag of a single file. Symbolic links are
// never followed: a link is reported as not immutable and cannot be changed.
class FileFlags
{
public:
    virtual ~FileFlags() = default;

    // True only when the file exists and carries the immutable flag.
    virtual bool isImmutable(const QString &path) const = 0;

    // Sets or clears the flag; true when the call succeeded. Clearing the flag
    // of an existing file on a file system without such flags succeeds.
    virtual bool setImmutable(const QString &path, bool immutable) const = 0;
};
