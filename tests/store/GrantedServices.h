#pragma once

#include "store/EngineServices.h"

#include <QDir>

// Access for store tests: granted at start, or asked for and answered by the
// test through pendingRequest. The monitor is a marker object named after
// its folder; watching itself is tested with the access layer.
struct GrantedServices : EngineServices
{
    explicit GrantedServices(bool granted = true, int *monitorsMade = nullptr)
        : granted(granted), monitorsMade(monitorsMade)
    {
    }
    std::optional<QString> restoreFolderAccess() override
    {
        return granted ? std::optional(QDir::homePath()) : std::nullopt;
    }
    void requestFolderAccess(std::function<void(bool)> completion) override
    {
        pendingRequest = std::move(completion);
    }
    std::unique_ptr<QObject> startFolderMonitor(const QString &folder, SignaturesEngine *) override
    {
        if (monitorsMade)
            ++*monitorsMade;
        auto marker = std::make_unique<QObject>();
        marker->setObjectName(folder);
        return marker;
    }

    bool granted;
    int *monitorsMade;
    std::function<void(bool)> pendingRequest;
};
