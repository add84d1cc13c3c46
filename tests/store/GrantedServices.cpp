#include "tests/store/GrantedServices.h"

#include <QDir>

std::optional<QString> GrantedServices::restoreFolderAccess()
{
    return m_granted ? std::optional<QString>(QDir::homePath()) : std::nullopt;
}

void GrantedServices::requestFolderAccess(std::function<void(bool)> completion)
{
    pendingRequest = std::move(completion);
}

std::unique_ptr<QObject> GrantedServices::startFolderMonitor(const QString &folder, SignaturesEngine *)
{
    if (m_monitorsMade)
        ++*m_monitorsMade;
    auto marker = std::make_unique<QObject>();
    marker->setObjectName(folder);
    return marker;
}
