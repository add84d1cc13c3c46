#include "platform/Platform.h"

#include <QtGlobal>

#if defined(Q_OS_MACOS)
#include "platform/mac/MacFileFlags.h"
#include "platform/mac/MacFolderBookmark.h"
#include "platform/mac/MacHomeFolder.h"
#include "platform/mac/MacRunningApplications.h"
using NativeFileFlags = MacFileFlags;
using NativeFolderBookmark = MacFolderBookmark;
using NativeHomeFolder = MacHomeFolder;
using NativeRunningApplications = MacRunningApplications;
constexpr bool systemFolderChooser = true;
constexpr const char *terminalAdvice =
    "Give your terminal (or the tool running mailsig) Full Disk Access in System Settings > Privacy & "
    "Security > Full Disk Access, then open it again.";
#else
#include "platform/nix/NixFileFlags.h"
#include "platform/nix/NixFolderBookmark.h"
#include "platform/nix/NixHomeFolder.h"
#include "platform/nix/NixRunningApplications.h"
using NativeFileFlags = NixFileFlags;
using NativeFolderBookmark = NixFolderBookmark;
using NativeHomeFolder = NixHomeFolder;
using NativeRunningApplications = NixRunningApplications;
constexpr bool systemFolderChooser = false;
constexpr const char *terminalAdvice = "";
#endif

namespace {

std::optional<QString> &redirectedHomeFolder()
{
    static std::optional<QString> folder;
    return folder;
}

} // namespace

namespace Platform {

const FileFlags &fileFlags()
{
    static const NativeFileFlags flags;
    return flags;
}

RunningApplications &runningApplications()
{
    static NativeRunningApplications applications;
    return applications;
}

FolderBookmark &folderBookmark()
{
    static NativeFolderBookmark bookmark;
    return bookmark;
}

bool usesSystemFolderChooser()
{
    return systemFolderChooser;
}

QString terminalFolderAccessAdvice()
{
    return QString::fromUtf8(terminalAdvice);
}

QString homeFolder()
{
    if (const std::optional<QString> &redirected = redirectedHomeFolder())
        return *redirected;
    static const NativeHomeFolder home;
    return home.path();
}

void redirectHomeFolder(const std::optional<QString> &folder)
{
    redirectedHomeFolder() = folder;
}

} // namespace Platform
