#include "access/AccessEngineServices.h"

#include "access/FolderAccess.h"
#include "access/FolderMonitor.h"
#include "platform/FolderBookmark.h"
#include "platform/Platform.h"

#include <QSettings>

#include <utility>

AccessEngineServices::~AccessEngineServices()
{
    Platform::folderBookmark().endAccess();
}

AccessEngineServices::AccessEngineServices(QWidget *window) : m_window(window) {}

std::optional<QString> AccessEngineServices::restoreFolderAccess()
{
    const bool stored = QSettings().contains(QLatin1String(FolderAccess::bookmarkKey));
    std::optional<QString> folder = FolderAccess::restoreFolderAccess();
    m_grantLost = stored && !folder;
    return folder;
}

void AccessEngineServices::requestFolderAccess(std::function<void(bool granted)> completion)
{
    if (std::exchange(m_grantLost, false))
        FolderAccess::requestFolderAccessAgain(std::move(completion), m_window);
    else
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
