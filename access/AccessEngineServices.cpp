#include "access/AccessEngineServices.h"

#include "access/FolderAccess.h"
#include "access/FolderMonitor.h"
#include "platform/FolderBookmark.h"
#include "platform/Platform.h"

AccessEngineServices::~AccessEngineServices()
{
    Platform::folderBookmark().endAccess();
}

std::optional<QString> AccessEngineServices::restoreFolderAccess()
{
    return FolderAccess::restoreFolderAccess();
}

void AccessEngineServices::requestFolderAccess(std::function<void(bool granted)> completion)
{
    FolderAccess::requestFolderAccess(std::move(completion));
}

std::unique_ptr<QObject> AccessEngineServices::startFolderMonitor(const QString &folder,
                                                                  SignaturesEngine *delegate)
{
    auto monitor = std::make_unique<FolderMonitor>(folder);
    monitor->setDelegate(delegate);
    monitor->startMonitoring();
    return monitor;
}
