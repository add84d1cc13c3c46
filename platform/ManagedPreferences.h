#pragma once

#include <QMap>
#include <QString>

#include <optional>

// What the organisation sets for this program from outside: on a Mac a
// configuration profile's keys in the program's managed preferences domain
// (its bundle identifier), elsewhere the system-wide settings.
class ManagedPreferences
{
public:
    virtual ~ManagedPreferences() = default;

    // The texts of the dictionary under key; empty when nothing is set; none,
    // with the reason, when what is set is not a dictionary of texts.
    virtual std::optional<QMap<QString, QString>> dictionary(const QString &key, QString *failure) const = 0;
};
