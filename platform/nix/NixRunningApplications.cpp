#include "platform/nix/NixRunningApplications.h"

#include "platform/PropertyList.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 maximumInfoPlistSize = 4 * 1024 * 1024;

bool isProcessId(const char *name)
{
    if (!*name)
        return false;
    for (; *name; ++name) {
        if (*name < '0' || *name > '9')
            return false;
    }
    return true;
}

} // namespace

NixRunningApplications::NixRunningApplications(QByteArray procRoot) : m_procRoot(std::move(procRoot)) {}

std::optional<QByteArray> NixRunningApplications::bundleOfExecutable(const QByteArray &executable)
{
    static const QByteArray marker = QByteArrayLiteral(".app/Contents/MacOS/");
    // The innermost bundle owns the executable (helpers nest inside apps).
    const qsizetype at = executable.lastIndexOf(marker);
    if (at <= 0 || executable.at(at - 1) == '/' || !executable.startsWith('/'))
        return std::nullopt;
    const QByteArray name = executable.mid(at + marker.size());
    if (name.isEmpty() || name.contains('/'))
        return std::nullopt;
    return executable.left(at + 4);
}

const std::optional<QString> &NixRunningApplications::identifierOfBundle(const QByteArray &bundle)
{
    BundleInfo &info = m_bundles[bundle];
    // Several processes of one bundle: its Info.plist is looked at once per call.
    if (info.seen)
        return info.identifier;
    info.seen = true;
    const QByteArray plistPath = bundle + "/Contents/Info.plist";
    struct stat st
    {
    };
    if (::stat(plistPath.constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
        info = BundleInfo{};
        info.seen = true;
        return info.identifier;
    }
    const qint64 mtime = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    if (mtime == info.mtimeNanoseconds && st.st_size == info.size && st.st_ino == info.inode)
        return info.identifier;
    info.mtimeNanoseconds = mtime;
    info.size = st.st_size;
    info.inode = st.st_ino;
    const std::optional<PropertyList> plist = st.st_size <= maximumInfoPlistSize
                                                  ? PropertyList::fromFile(QFile::decodeName(plistPath))
                                                  : std::nullopt;
    info.identifier =
        plist ? PropertyList::text(PropertyList::value(plist->root(), "CFBundleIdentifier")) : std::nullopt;
    return info.identifier;
}

int NixRunningApplications::countWithBundleIdentifier(const QString &bundleIdentifier)
{
    DIR *proc = ::opendir(m_procRoot.constData());
    if (!proc)
        return 0;
    for (BundleInfo &info : m_bundles)
        info.seen = false;
    const int procFd = ::dirfd(proc);
    int count = 0;
    char target[4096];
    char link[300];
    while (const dirent *entry = ::readdir(proc)) {
        if (!isProcessId(entry->d_name))
            continue;
        std::snprintf(link, sizeof link, "%s/exe", entry->d_name);
        // Kernel threads and other users' processes have no readable link.
        const ssize_t length = ::readlinkat(procFd, link, target, sizeof target);
        if (length <= 0 || length == ssize_t(sizeof target))
            continue;
        const QByteArray executable = QByteArray::fromRawData(target, length);
        if (!executable.contains(".app/Contents/MacOS/"))
            continue;
        const std::optional<QByteArray> bundle = bundleOfExecutable(QByteArray(target, length));
        if (!bundle)
            continue;
        const std::optional<QString> &identifier = identifierOfBundle(*bundle);
        if (identifier && *identifier == bundleIdentifier)
            ++count;
    }
    ::closedir(proc);
    // Forget bundles no process runs from any more, so the cache stays small.
    m_bundles.removeIf([](const auto &item) { return !item.value().seen; });
    return count;
}
