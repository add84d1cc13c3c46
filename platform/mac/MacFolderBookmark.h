#pragma once

#include "platform/FolderBookmark.h"

#include <QHash>

// Security-scoped bookmarks of NSURL (plain ones where the scope is refused,
// as it may be outside App Sandbox). Access can only be opened on the very URL
// object that resolving produced, so the latest one is kept, by path, until a
// new resolve replaces it or the access ends. Access counts as open when the folder can be
// listed, whatever the security scope answered.
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
    void endAccess() override;

private:
    struct Url
    {
        // A retained NSURL (CFBridgingRetain).
        const void *url = nullptr;
        // Whether startAccessingSecurityScopedResource was called on it, which
        // one stopAccessingSecurityScopedResource has to balance.
        bool accessing = false;
    };
    // Balances the access opened on url, if any, and releases it.
    static void forget(const Url &url);

    QHash<QString, Url> m_resolved;
};
