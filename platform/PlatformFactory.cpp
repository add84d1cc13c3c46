#include "platform/Platform.h"

#include <QtGlobal>

#if defined(Q_OS_MACOS)
#include "platform/mac/MacFileFlags.h"
using NativeFileFlags = MacFileFlags;
#else
#include "platform/nix/NixFileFlags.h"
using NativeFileFlags = NixFileFlags;
#endif

namespace Platform {

const FileFlags &fileFlags()
{
    static const NativeFileFlags flags;
    return flags;
}

} // namespace Platform
