#include "preview/PreviewModuleLoader.h"

#include "base/Diagnostics.h"
#include "preview/PreviewModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>

namespace {
// Where the module is looked for, in order.
QStringList candidates()
{
    const QString name = QStringLiteral(SIGNATURES_PREVIEW_MODULE);
    const QString programFolder = QCoreApplication::applicationDirPath();
    return {programFolder + u'/' + name,
            QDir::cleanPath(programFolder + QStringLiteral("/../PlugIns/") + name)};
}

PreviewModule *load()
{
    QString failure = QStringLiteral("not found in ") + candidates().join(QStringLiteral(", "));
    for (const QString &candidate : candidates()) {
        if (!QFileInfo::exists(candidate))
            continue;
        QPluginLoader loader(candidate);
        // Never unloaded, not even at exit: Qt WebEngine is not made to be unloaded.
        loader.setLoadHints(QLibrary::PreventUnloadHint);
        if (auto *module = qobject_cast<PreviewModule *>(loader.instance()))
            return module;
        failure =
            loader.isLoaded() ? candidate + QStringLiteral(": not the preview module") : loader.errorString();
        break;
    }
    Diagnostics::print(QStringLiteral("Preview module not loaded: ") + failure);
    return nullptr;
}
} // namespace

PreviewModule *PreviewModuleLoader::module()
{
    static PreviewModule *const loaded = load();
    return loaded;
}
