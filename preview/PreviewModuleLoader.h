#pragma once

#include <QStringList>

class PreviewModule;

// Finds and loads the preview module, only where the program itself is:
// beside the executable, or in the application bundle's PlugIns folder.
namespace PreviewModuleLoader {
// Loaded on the first call, which also prints one line if it cannot be;
// none then, for the rest of the run.
PreviewModule *module();
} // namespace PreviewModuleLoader
