#include "platform/Platform.h"

#include "platform/MailPreferences.h"
#include "platform/ManagedPreferences.h"
#include "platform/UserRecord.h"

#include <QtGlobal>

#if defined(Q_OS_MACOS)
#include "platform/mac/MacFileFlags.h"
#include "platform/mac/MacFolderBookmark.h"
#include "platform/mac/MacHomeFolder.h"
#include "platform/mac/MacMailPreferences.h"
#include "platform/mac/MacManagedPreferences.h"
#include "platform/mac/MacRunningApplications.h"
#include "platform/mac/MacUserRecord.h"
using NativeFileFlags = MacFileFlags;
using NativeFolderBookmark = MacFolderBookmark;
using NativeHomeFolder = MacHomeFolder;
using NativeManagedPreferences = MacManagedPreferences;
using NativeRunningApplications = MacRunningApplications;
using NativeUserRecord = MacUserRecord;
// The preferences system reaches the running user's own domain only.
std::unique_ptr<MailPreferences> nativeMailPreferences(const QString &library)
{
    return std::make_unique<MacMailPreferences>(library ==
                                                Platform::homeFolder() + QStringLiteral("/Library"));
}
constexpr bool systemFolderChooser = true;
// From Qt 6.6 on, Qt WebEngine on macOS renders through ANGLE on Metal
// (qtwebengine change "Support ANGLE to CGL painting"), and its
// src/core/api/qtwebenginecoreglobal.cpp compiles the share context, and the
// warning about a missing one, out there (#if QT_CONFIG(opengl) &&
// !defined(Q_OS_MACOS)). The attribute would only make an OpenGL context at
// start for nothing.
constexpr bool sharedOpenGLContexts = QT_VERSION < QT_VERSION_CHECK(6, 6, 0);
// System Settings → Privacy & Security → Full Disk Access, by its
// x-apple.systempreferences: address (pane com.apple.preference.security,
// anchor Privacy_AllFiles).
const char *const fullDiskAccessPane =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles";
constexpr const char *terminalAdvice =
    "Give your terminal (or the tool running mailsig) Full Disk Access in System Settings > Privacy & "
    "Security > Full Disk Access, then open it again.";
#else
#include "platform/nix/NixFileFlags.h"
#include "platform/nix/NixFolderBookmark.h"
#include "platform/nix/NixHomeFolder.h"
#include "platform/nix/NixMailPreferences.h"
#include "platform/nix/NixManagedPreferences.h"
#include "platform/nix/NixRunningApplications.h"
#include "platform/nix/NixUserRecord.h"
using NativeFileFlags = NixFileFlags;
using NativeFolderBookmark = NixFolderBookmark;
using NativeHomeFolder = NixHomeFolder;
using NativeManagedPreferences = NixManagedPreferences;
using NativeRunningApplications = NixRunningApplications;
using NativeUserRecord = NixUserRecord;
std::unique_ptr<MailPreferences> nativeMailPreferences(const QString &library)
{
    return std::make_unique<NixMailPreferences>(library);
}
constexpr bool systemFolderChooser = false;
// On Linux the preview crashes in QOpenGLContext::format() inside the web
// engine without it.
constexpr bool sharedOpenGLContexts = true;
const char *const fullDiskAccessPane = nullptr;
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

std::unique_ptr<MailPreferences> mailPreferences(const QString &library)
{
    return nativeMailPreferences(library);
}

const UserRecord &userRecord()
{
    static const NativeUserRecord record;
    return record;
}

const ManagedPreferences &managedPreferences()
{
    static const NativeManagedPreferences preferences;
    return preferences;
}

bool usesSystemFolderChooser()
{
    return systemFolderChooser;
}

std::optional<QUrl> fullDiskAccessSettings()
{
    if (!fullDiskAccessPane)
        return std::nullopt;
    return QUrl(QString::fromLatin1(fullDiskAccessPane));
}

bool webEngineSharesOpenGLContexts()
{
    return sharedOpenGLContexts;
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
