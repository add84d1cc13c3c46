#pragma once

#include "platform/FileFlags.h"

// UF_IMMUTABLE through lstat/lchflags ("uchg" in Finder terms).
class MacFileFlags : public FileFlags
{
public:
    bool isImmutable(const QString &path) const override;
    bool setImmutable(const QString &path, bool immutable) const override;
};
