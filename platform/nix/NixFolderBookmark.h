#pragma once

#include "platform/FolderBookmark.h"

// There are no security-scoped bookmarks here: the blob records the folder's
// absolute path with its device and inode numbers, resolving follows the path,
// and access is there when the folder can be listed.
class NixFolderBookmark : public FolderBookmark
{
public:
    std::optional<QByteArray> create(const QString &folder, QString *error) override;
    std::optional<Resolved> resolve(const QByteArray &data, QString *error) override;
    bool startAccessing(const QString &folder) override;
    // Nothing is held open here.
    void endAccess() override {}

    static constexpr int formatVersion = 1;
};
