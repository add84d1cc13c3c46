#pragma once

#include <QStringList>

class PreviewModule;

// Finds and loads the preview module, only where the program itself is:
// beside the executable, or in the application bundle's PlugIns folder.
class PreviewModuleLoader
{
public:
    // Loaded on the first call, which also prints one line if it cannot be;
    // none then, for the rest of the run.
    static PreviewModule *module();

private:
    // Where the module is looked for, in order.
    static QStringList candidates();
    static PreviewModule *load();
};
