#pragma once

#include "platform/UserRecord.h"

// The user's record in Open Directory, found along the authentication search
// path (the local node, then any directory the Mac is bound to): RealName,
// EMailAddress, JobTitle, PhoneNumber, MobileNumber and Department as name,
// email, title, phone, mobile and department.
class MacUserRecord : public UserRecord
{
public:
    std::optional<QMap<QString, QString>> fields(const std::optional<QString> &user) const override;
};
