#pragma once

#include "platform/FolderBookmark.h"

#include <QHash>

// Security-scoped bookmarks of NSURL (plain ones where the scope is refused,
// as it may be outside App Sandbox). Access can only be opened on the very URL
// object that resolving produced, so those are kept until the end of the run,
// by path. Access counts as open when the folder can be listed, whatever the
// security scope answered.
class MacFolderBookmark : public FolderBookmark
{
public:
    MacFolderBookmark() = default;
    MacFolderBookmark(const MacFolderBookmark &) = delete;
    MacFolderBookmark &operator=(const MacFolderBookmark &) = delete;
    ~MacFolderBookmark() override;

    std::optional<QByteArray> create(const QString &folder, QString *error) override;
    std::optional<Resolved> resolve(const QByteArray &data, QString *error) override;
    bool startAccessing(const QString &folder) override;

private:
    // Retained NSURL objects (CFBridgingRetain), keyed by their path.
    QHash<QString, const void *> m_resolved;
};
