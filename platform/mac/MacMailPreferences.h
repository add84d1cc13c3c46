#pragma once

#include "platform/MailPreferences.h"

// Mail's preferences through the preferences system, as `defaults` reaches
// them (CFPreferences on the com.apple.mail domain): the daemon that caches
// them sees every change, and maps the domain to Mail's container itself.
// Only the running user's own domain can be reached this way; another
// user's Library is refused rather than written under that user's daemon.
class MacMailPreferences : public MailPreferences
{
public:
    explicit MacMailPreferences(bool isUsersOwn) : m_isUsersOwn(isUsersOwn) {}

    bool exists() const override { return true; }
    QString location() const override;
    std::optional<QHash<QString, QString>> dictionary(const QString &key, QString *failure) const override;
    std::optional<QByteArray> contents() const override;
    std::optional<QString> change(const QList<Change> &changes) override;

private:
    bool m_isUsersOwn;
};
