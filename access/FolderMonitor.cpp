#include "access/FolderMonitor.h"

#include <QDir>

FolderMonitor::FolderMonitor(const QString &folderURL, QObject *parent)
    : QObject(parent), m_folderURL(folderURL)
{
    m_latency.setSingleShot(true);
    m_latency.setInterval(latencyMilliseconds);
    connect(&m_latency, &QTimer::timeout, this, &FolderMonitor::deliverBatch);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderMonitor::changeSeen);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &FolderMonitor::changeSeen);
}

void FolderMonitor::startMonitoring()
{
    if (m_started)
        return;
    m_started = true;
    // A folder that cannot be watched (missing, unreadable) is simply not
    // reported on; the list is still reloaded by the store's own operations.
    m_watcher.addPath(m_folderURL);
    rewatchFiles();
}

void FolderMonitor::changeSeen()
{
    // The first change opens the batch; later ones ride along without
    // pushing the delivery further out.
    if (!m_latency.isActive())
        m_latency.start();
}

void FolderMonitor::deliverBatch()
{
    rewatchFiles();
    if (!m_watcher.directories().contains(m_folderURL))
        m_watcher.addPath(m_folderURL);
    const QPointer<SignaturesEngine> delegate = m_delegate;
    if (delegate)
        delegate->loadSignatures();
}

void FolderMonitor::rewatchFiles()
{
    const QStringList watched = m_watcher.files();
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
    const QDir folder(m_folderURL);
    QStringList files;
    for (const QString &name : folder.entryList(QDir::Files | QDir::NoDotAndDotDot))
        files.append(folder.filePath(name));
    if (!files.isEmpty())
        m_watcher.addPaths(files);
}
