#pragma once

#include "store/EngineServices.h"

#include <QPointer>
#include <QWidget>

// The engine's real outside world: folder access through the bookmark and the
// folder chooser, and a FolderMonitor on the signatures folder.
class AccessEngineServices : public EngineServices
{
public:
    // window: what the folder chooser is modal to; none for a chooser of its own.
    explicit AccessEngineServices(QWidget *window = nullptr);
    // The folder access restored for the engine ends with it.
    ~AccessEngineServices() override;
    std::optional<QString> restoreFolderAccess() override;
    void requestFolderAccess(std::function<void(bool granted)> completion) override;
    std::unique_ptr<QObject> startFolderMonitor(const QString &folder, SignaturesEngine *delegate) override;

private:
    QPointer<QWidget> m_window;
    // A stored bookmark no longer opened Mail's folder at start: the next
    // chooser comes with a word on why.
    bool m_grantLost = false;
};
