#include "platform/mac/MacFileFlags.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

bool MacFileFlags::isImmutable(const QString &path) const
{
    struct stat st
    {
    };
    const QByteArray native = QFile::encodeName(path);
    if (::lstat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    return (st.st_flags & UF_IMMUTABLE) != 0;
}

bool MacFileFlags::setImmutable(const QString &path, bool immutable) const
{
    struct stat st
    {
    };
    const QByteArray native = QFile::encodeName(path);
    if (::lstat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const unsigned int wanted = immutable ? (st.st_flags | UF_IMMUTABLE) : (st.st_flags & ~UF_IMMUTABLE);
    return wanted == st.st_flags || ::lchflags(native.constData(), wanted) == 0;
}
