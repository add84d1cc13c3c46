#include "store/SignatureStore.h"

#include "store/MailFolders.h"

std::optional<QString> SignatureStore::fileOf(const QString &id) const
{
    return MailFolders::signatureFileIn(folder, id);
}

QString SignatureStore::kindName(Kind kind)
{
    return kind == Kind::ICloud ? QStringLiteral("iCloud") : QStringLiteral("local");
}

QString SignatureStore::copyName(Kind kind)
{
    return kind == Kind::ICloud ? QStringLiteral("the iCloud Drive copy") : QStringLiteral("the local copy");
}
