#include "platform/nix/NixHomeFolder.h"

#include <QDir>

QString NixHomeFolder::path() const
{
    return QDir::homePath();
}
