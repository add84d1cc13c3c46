#pragma once

class FileFlags;

// The one place that picks the implementation of each platform concern.
namespace Platform {
const FileFlags &fileFlags();
}
