#pragma once

#include "store/EngineServices.h"

// Services for store tests: access is already granted at start, and the
// monitor is a bare marker object (watching is tested with the access layer).
class GrantedServices : public EngineServices
{
public:
    explicit GrantedServices(bool granted = true, int *monitorsMade = nullptr)
        : m_granted(granted), m_monitorsMade(monitorsMade) {}
    std::optional<QString> restoreFolderAccess() override;
    void requestFolderAccess(std::function<void(bool)> completion) override;
    std::unique_ptr<QObject> startFolderMonitor(const QString &folder, SignaturesEngine *delegate) override;

    // The completion of the last access request, for the test to answer.
    std::function<void(bool)> pendingRequest;

private:
    bool m_granted;
    int *m_monitorsMade;
};
