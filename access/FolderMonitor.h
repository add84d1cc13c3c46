#pragma once

#include "store/SignaturesEngine.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

// Watches one folder and asks its delegate to reload the signature list after
// each batch of changes in it. A batch is what happens within one latency
// period from its first change, so a burst such as one atomic save leads to a
// single reload. Watching stops when the monitor is destroyed.
class FolderMonitor : public QObject
{
    Q_OBJECT
public:
    explicit FolderMonitor(const QString &folderURL, QObject *parent = nullptr);

    const QString &folderURL() const { return m_folderURL; }
    SignaturesEngine *delegate() const { return m_delegate.data(); }
    // Held weakly: the monitor never keeps the engine alive.
    void setDelegate(SignaturesEngine *delegate) { m_delegate = delegate; }

    // Starts watching; only changes from now on are reported. Call once.
    void startMonitoring();
    bool isMonitoring() const { return m_started; }

    static constexpr int latencyMilliseconds = 1000;

private:
    void changeSeen();
    void deliverBatch();
    // Files are watched one by one so that rewrites in place are seen too; a
    // file replaced by a rename drops its watch, so the set is renewed.
    void rewatchFiles();

    QString m_folderURL;
    QPointer<SignaturesEngine> m_delegate;
    QFileSystemWatcher m_watcher;
    QTimer m_latency;
    bool m_started = false;
};
