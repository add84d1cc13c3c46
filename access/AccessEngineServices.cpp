#include "access/AccessEngineServices.h"

#include "access/FolderAccess.h"
#include "access/FolderMonitor.h"

AccessEngineServices::AccessEngineServices(QWidget *window) : m_window(window) {}

std::optional<QString> AccessEngineServices::restoreFolderAccess()
{
    return FolderAccess::restoreFolderAccess();
}

void AccessEngineServices::requestFolderAccess(std::function<void(bool granted)> completion)
{
    FolderAccess::requestFolderAccess(std::move(completion), m_window);
}

std::unique_ptr<QObject> AccessEngineServices::startFolderMonitor(const QString &folder,
                                                                  SignaturesEngine *delegate)
{
    auto monitor = std::make_unique<FolderMonitor>(folder);
    monitor->setDelegate(delegate);
    monitor->startMonitoring();
    return monitor;
}
