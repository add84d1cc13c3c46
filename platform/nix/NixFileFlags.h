#pragma once

#include "platform/FileFlags.h"

// The inode flag FS_IMMUTABLE_FL (chattr +i); changing it needs CAP_LINUX_IMMUTABLE.
class NixFileFlags : public FileFlags
{
public:
    bool isImmutable(const QString &path) const override;
    bool setImmutable(const QString &path, bool immutable) const override;
};
