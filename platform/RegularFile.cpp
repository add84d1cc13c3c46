#include "platform/RegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <dirent.h>
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

bool replace(const QString &path, const QByteArray &bytes, QString *error)
{
    struct stat model
    {
    };
    const bool replacing = ::stat(QFile::encodeName(path).constData(), &model) == 0;
    const bool known =
        replacing || ::stat(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), &model) == 0;
    QSaveFile save(path);
    if (!save.open(QIODevice::WriteOnly)) {
        *error = save.errorString();
        return false;
    }
    // The owner first: a change of owner may clear mode bits. Only root may give a file away.
    const int fd = save.handle();
    const mode_t mode = model.st_mode & (replacing ? 07777 : 0666);
    if (known &&
        ((::geteuid() == 0 && ::fchown(fd, model.st_uid, model.st_gid) != 0) || ::fchmod(fd, mode) != 0)) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        save.cancelWriting();
        return false;
    }
    if (save.write(bytes) != bytes.size() || !save.commit()) {
        *error = save.errorString();
        save.cancelWriting();
        return false;
    }
    // Without this a power cut can undo the rename.
    syncFolder(QFileInfo(path).absolutePath());
    return true;
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

bool canListFolder(const QString &folder)
{
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return false;
    ::closedir(dir);
    return true;
}

} // namespace RegularFile
