#pragma once

#include "platform/UserRecord.h"

// The password database's GECOS field, "full name,room,work phone,home
// phone,other": name, office, phone and homePhone.
class NixUserRecord : public UserRecord
{
public:
    std::optional<QMap<QString, QString>> fields(const std::optional<QString> &user) const override;
};
