#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class SignaturesEngine;

// What the engine needs from outside the store: access to Mail's folder and a
// watch on the signatures folder. The running program plugs in the real ones;
// the engine never knows how they work.
class EngineServices
{
public:
    virtual ~EngineServices() = default;

    // The folder a stored grant opens, or none when there is no usable grant.
    virtual std::optional<QString> restoreFolderAccess() = 0;

    // Asks the user without blocking; completion runs once, later, on the main
    // thread, with whether access is now available.
    virtual void requestFolderAccess(std::function<void(bool granted)> completion) = 0;

    // Creates a monitor of folder whose delegate is the engine (held weakly),
    // starts it and hands it over. It calls loadSignatures() on the engine
    // after each batch of changes in the folder.
    virtual std::unique_ptr<QObject> startFolderMonitor(const QString &folder,
                                                        SignaturesEngine *delegate) = 0;
};
