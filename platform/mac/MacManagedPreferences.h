#pragma once

#include "platform/ManagedPreferences.h"

// The program's preferences domain, its bundle identifier, through
// CFPreferences: a configuration profile's keys there are managed
// preferences, which take precedence over anything the user sets.
class MacManagedPreferences : public ManagedPreferences
{
public:
    std::optional<QMap<QString, QString>> dictionary(const QString &key, QString *failure) const override;
};
