#pragma once

#include "platform/ManagedPreferences.h"

// The system-wide settings of the program, Qt's system scope: an INI file
// "<organisation>/<application>.conf" under the XDG configuration folders
// ($XDG_CONFIG_DIRS, /etc/xdg), a dictionary being a group of its own.
class NixManagedPreferences : public ManagedPreferences
{
public:
    std::optional<QMap<QString, QString>> dictionary(const QString &key, QString *failure) const override;
};
