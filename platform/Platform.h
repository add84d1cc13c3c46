#pragma once

#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

class FileFlags;
class FolderBookmark;
class MailPreferences;
class ManagedPreferences;
class RunningApplications;
class UserRecord;

// The one place that picks the implementation of each platform concern.
namespace Platform {
const FileFlags &fileFlags();
RunningApplications &runningApplications();
FolderBookmark &folderBookmark();
// Mail's preferences of the Library folder library (the one holding the Mail folder in use).
std::unique_ptr<MailPreferences> mailPreferences(const QString &library);
// The local account records of users.
const UserRecord &userRecord();
// What a configuration profile (or, off the Mac, the system-wide settings) sets for this program.
const ManagedPreferences &managedPreferences();

// Whether folders are chosen in the system's own open panel: only there does
// a choice open a protected folder (and, under App Sandbox, any folder) to
// the program. Otherwise Qt's own dialog, which tests can drive.
bool usesSystemFolderChooser();

// The system settings pane where the user gives a program Full Disk Access,
// the other way into Mail's folder; none where the system has no such thing.
std::optional<QUrl> fullDiskAccessSettings();

// Whether Qt WebEngine needs Qt::AA_ShareOpenGLContexts set before the
// application object exists: it renders through an OpenGL context shared
// with Qt's own.
bool webEngineSharesOpenGLContexts();

// How to let a program run from a terminal read a protected folder such as
// Mail's, as one sentence; empty where no such protection exists.
QString terminalFolderAccessAdvice();

// The user's home folder, whose Library holds Mail's data.
QString homeFolder();
// Makes homeFolder() answer folder for the rest of the process, or the
// system's answer again with none: tests run in a throw-away home.
void redirectHomeFolder(const std::optional<QString> &folder);
} // namespace Platform
