#pragma once

#include <QMap>
#include <QString>

#include <optional>

// The local account record of a user, as a template's fields: a name each
// field is known by in a signature, and its text. Fields the record leaves
// empty are left out.
class UserRecord
{
public:
    virtual ~UserRecord() = default;

    // The fields of user, or of the user running the program with none; none
    // when there is no such user.
    virtual std::optional<QMap<QString, QString>> fields(const std::optional<QString> &user) const = 0;
};
