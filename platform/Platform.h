#pragma once

class FileFlags;
class FolderBookmark;
class RunningApplications;

// The one place that picks the implementation of each platform concern.
namespace Platform {
const FileFlags &fileFlags();
RunningApplications &runningApplications();
FolderBookmark &folderBookmark();
}
