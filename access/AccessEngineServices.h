#pragma once

#include "store/EngineServices.h"

// The engine's real outside world: folder access through the bookmark and the
// folder chooser, and a FolderMonitor on the signatures folder.
class AccessEngineServices : public EngineServices
{
public:
    // The folder access restored for the engine ends with it.
    ~AccessEngineServices() override;
    std::optional<QString> restoreFolderAccess() override;
    void requestFolderAccess(std::function<void(bool granted)> completion) override;
    std::unique_ptr<QObject> startFolderMonitor(const QString &folder, SignaturesEngine *delegate) override;

private:
    // A stored bookmark no longer opened Mail's folder at start: the next
    // chooser comes with a word on why.
    bool m_grantLost = false;
};
