#pragma once

#include <QString>

// The file system's immutable flag changed and read through the system's own
// tools, as another program would: chattr and lsattr on Linux (changing it
// needs root or CAP_LINUX_IMMUTABLE), chflags and ls -lO on macOS.
class ImmutableFlag
{
public:
    static bool set(const QString &path);
    static bool clear(const QString &path);
    static bool isSet(const QString &path);
    // Clears it on everything under folder, so that the folder can be removed.
    static void clearAll(const QString &folder);
};
