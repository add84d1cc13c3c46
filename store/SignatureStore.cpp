#include "store/SignatureStore.h"

#include "platform/RegularFile.h"
#include "store/MailFolders.h"

#include <QFileInfo>

std::optional<QString> SignatureStore::fileOf(const QString &id) const
{
    return MailFolders::signatureFileIn(folder, id);
}

std::optional<QString> SignatureStore::linkOf(const QString &id) const
{
    if (id == QLatin1String(".") || id == QLatin1String(".."))
        return std::nullopt;
    const std::optional<QString> file = MailFolders::fileIn(folder, id + QStringLiteral(".mailsignature"));
    return file && RegularFile::isSymbolicLink(*file) ? file : std::nullopt;
}

std::optional<QString> SignatureStore::fileProblem(const QString &id) const
{
    if (const std::optional<QString> link = linkOf(id))
        return QStringLiteral("The signature's file %1 is a symbolic link, so it was left as it is.")
            .arg(*link);
    const std::optional<QString> file = fileOf(id);
    if (!file)
        return QStringLiteral("The signature's file could not be found.");
    if (!QFileInfo::exists(*file))
        return QStringLiteral("The signature's file %1 is missing.").arg(*file);
    return std::nullopt;
}

QString SignatureStore::kindName(Kind kind)
{
    return kind == Kind::ICloud ? QStringLiteral("iCloud") : QStringLiteral("local");
}

QString SignatureStore::copyName(Kind kind)
{
    return kind == Kind::ICloud ? QStringLiteral("the iCloud Drive copy") : QStringLiteral("the local copy");
}
