#pragma once

#include "platform/MailPreferences.h"

// Mail's preferences as the file its container keeps,
// <Library>/Containers/com.apple.mail/Data/Library/Preferences/com.apple.mail.plist,
// read and written with libplist in the form it has (binary stays binary).
class NixMailPreferences : public MailPreferences
{
public:
    explicit NixMailPreferences(const QString &library);

    bool exists() const override;
    QString location() const override { return m_file; }
    std::optional<QHash<QString, QString>> dictionary(const QString &key, QString *failure) const override;
    std::optional<QByteArray> contents() const override;
    std::optional<QString> change(const QList<Change> &changes) override;

private:
    QString m_file;
};
