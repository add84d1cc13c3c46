#include "store/PlanRecord.h"

#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QUuid>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

constexpr qint64 maximumRecordSize = 1024 * 1024;

QString plansFolder()
{
    const QString root = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return root.isEmpty() ? QString() : root + QStringLiteral("/Plans");
}

} // namespace

PlanRecord::PlanRecord(PlanRecord &&other) noexcept
    : m_path(std::move(other.m_path)), m_fd(std::exchange(other.m_fd, -1))
{
}

PlanRecord::~PlanRecord()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool PlanRecord::write(const QByteArray &bytes, QString *error)
{
    const QString folder = plansFolder();
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        *error = QStringLiteral("no place to record it");
        return false;
    }
    // Written and locked under a name no reader takes, then renamed: the lock travels with the file.
    const QString path = folder + u'/' + QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QByteArray partial = QFile::encodeName(path + QStringLiteral(".part"));
    const int fd = ::open(partial.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    const bool written =
        ::flock(fd, LOCK_EX) == 0 &&
        ::write(fd, bytes.constData(), size_t(bytes.size())) == ssize_t(bytes.size()) && ::fsync(fd) == 0 &&
        ::rename(partial.constData(), QFile::encodeName(path + QStringLiteral(".json")).constData()) == 0;
    if (!written) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        ::unlink(partial.constData());
        ::close(fd);
        return false;
    }
    RegularFile::syncFolder(folder);
    m_path = path + QStringLiteral(".json");
    m_fd = fd;
    return true;
}

void PlanRecord::clear()
{
    if (m_fd < 0)
        return;
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(std::exchange(m_fd, -1));
}

std::vector<std::pair<PlanRecord, QByteArray>> PlanRecord::leftBehind()
{
    std::vector<std::pair<PlanRecord, QByteArray>> records;
    const QString folder = plansFolder();
    if (folder.isEmpty())
        return records;
    const QDir dir(folder);
    // A record a kill cut short before it was renamed: its plan had not begun.
    for (const QString &name : dir.entryList({QStringLiteral("*.part")}, QDir::Files)) {
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.constData());
        if (fd >= 0)
            ::close(fd);
    }
    for (const QString &name : dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Time)) {
        PlanRecord record;
        record.m_path = dir.filePath(name);
        record.m_fd = ::open(QFile::encodeName(record.m_path).constData(), O_RDONLY | O_CLOEXEC);
        struct stat st
        {
        };
        // Held by a run still going, or cleared by one that just ended.
        if (record.m_fd < 0 || ::flock(record.m_fd, LOCK_EX | LOCK_NB) != 0 ||
            ::fstat(record.m_fd, &st) != 0 || st.st_nlink == 0)
            continue;
        const std::optional<QByteArray> bytes = RegularFile::read(record.m_path, maximumRecordSize);
        records.emplace_back(std::move(record), bytes.value_or(QByteArray()));
    }
    return records;
}
