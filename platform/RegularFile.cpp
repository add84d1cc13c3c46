#include "platform/RegularFile.h"

#include <QFile>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RegularFile {

namespace {
std::optional<QByteArray> readUpTo(const QString &path, qint64 maximumSize, bool whole)
{
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty() || native.contains('\0'))
        return std::nullopt;
    // O_NONBLOCK so that opening a FIFO cannot hang the main thread.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (whole && st.st_size > maximumSize)) {
        ::close(fd);
        return std::nullopt;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(std::min<qint64>(st.st_size, maximumSize)));
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = file.read(buffer, std::min<qint64>(sizeof buffer, maximumSize + 1 - bytes.size()));
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        if (bytes.size() + n > maximumSize) {
            if (whole)
                return std::nullopt;
            bytes.append(buffer, static_cast<qsizetype>(maximumSize - bytes.size()));
            break;
        }
        bytes.append(buffer, static_cast<qsizetype>(n));
    }
    return bytes;
}
} // namespace

std::optional<QByteArray> read(const QString &path, qint64 maximumSize)
{
    return readUpTo(path, maximumSize, true);
}

std::optional<QByteArray> readStart(const QString &path, qint64 size)
{
    return readUpTo(path, size, false);
}

bool syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

bool isSymbolicLink(const QString &path)
{
    struct stat st
    {
    };
    const QByteArray native = QFile::encodeName(path);
    return ::lstat(native.constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

} // namespace RegularFile
