#include "platform/nix/NixFileFlags.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opens a regular file for flag ioctls without following a final symbolic link
// and without blocking on FIFOs or devices that happen to carry the name.
int openForFlags(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty() || native.contains('\0'))
        return -1;
    const int fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool unsupported(int error)
{
    return error == ENOTTY || error == EOPNOTSUPP || error == ENOSYS || error == EINVAL;
}

} // namespace

bool NixFileFlags::isImmutable(const QString &path) const
{
    const int fd = openForFlags(path);
    if (fd < 0)
        return false;
    int flags = 0;
    const bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    ::close(fd);
    return ok && (flags & FS_IMMUTABLE_FL) != 0;
}

bool NixFileFlags::setImmutable(const QString &path, bool immutable) const
{
    const int fd = openForFlags(path);
    if (fd < 0)
        return false;
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
        const int error = errno;
        ::close(fd);
        // Where there are no flags nothing can be immutable, so clearing is a no-op.
        return !immutable && unsupported(error);
    }
    const int wanted = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    bool ok = true;
    if (wanted != flags)
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &wanted) == 0;
    ::close(fd);
    return ok;
}
