#include "platform/Platform.h"

#include <QtGlobal>

#if defined(Q_OS_MACOS)
#include "platform/mac/MacFileFlags.h"
#include "platform/mac/MacFolderBookmark.h"
#include "platform/mac/MacRunningApplications.h"
using NativeFileFlags = MacFileFlags;
using NativeFolderBookmark = MacFolderBookmark;
using NativeRunningApplications = MacRunningApplications;
#else
#include "platform/nix/NixFileFlags.h"
#include "platform/nix/NixFolderBookmark.h"
#include "platform/nix/NixRunningApplications.h"
using NativeFileFlags = NixFileFlags;
using NativeFolderBookmark = NixFolderBookmark;
using NativeRunningApplications = NixRunningApplications;
#endif

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

} // namespace Platform
