#include "store/SignatureCreator.h"

#include "platform/FileFlags.h"
#include "platform/Platform.h"
#include "platform/RegularFile.h"
#include "store/AccountsMap.h"
#include "store/ListFileWriter.h"
#include "store/SignatureFileFormat.h"

#include <QSaveFile>
#include <QUuid>

#include <algorithm>

namespace {
using Failure = SignatureService::Failure;
} // namespace

std::optional<Failure>
SignatureCreator::create(const QList<SignatureStore> &stores, const QList<SignatureService::Entry> &entries,
                         const QString &name, const QString &html, const QStringList &addresses,
                         SignatureService::Created *created, const QList<SignatureImage> &images)
{
    if (name.trimmed().isEmpty())
        return Failure{Failure::Kind::Failed, QStringLiteral("A signature needs a name.")};
    for (const SignatureService::Entry &entry : entries) {
        if (canonicallyEqual(entry.signature.name, name))
            return Failure{
                Failure::Kind::NotFound,
                QStringLiteral("A signature named %1 exists: insert into it, or choose another name.")
                    .arg(u'"' + name + u'"')};
    }
    // Each address names one account (by its id, which both stores share).
    QList<QString> accountIds;
    for (const QString &address : addresses) {
        QStringList matches, known;
        for (const SignatureStore &store : stores) {
            for (const AccountsMap::Account &account : AccountsMap::read(store.folder)) {
                if (!known.contains(account.label()))
                    known.append(account.label());
                if (account.label().compare(address, Qt::CaseInsensitive) == 0 &&
                    !matches.contains(account.id))
                    matches.append(account.id);
            }
        }
        if (matches.size() != 1)
            return Failure{
                Failure::Kind::NotFound,
                QStringLiteral("%1 %2; the accounts are: %3.")
                    .arg(address,
                         matches.isEmpty() ? QStringLiteral("names no account")
                                           : QStringLiteral("names %1 accounts").arg(matches.size()),
                         known.isEmpty() ? QStringLiteral("none") : known.join(QStringLiteral(", ")))};
        accountIds.append(matches.first());
    }
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    // The header Mail gives a signature it makes.
    const QString header =
        QStringLiteral("Content-Transfer-Encoding: quoted-printable\nContent-Type: text/html;\n"
                       "\tcharset=utf-8\nMessage-Id: <%1>\nMime-Version: 1.0 (Mac OS X Mail 16.0 "
                       "\\(3826.400.131.1.6\\))")
            .arg(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
    const std::optional<QByteArray> bytes = SignatureFileFormat::compose({header, QString()}, html, images);
    if (!bytes)
        return Failure{Failure::Kind::Failed, QStringLiteral("The HTML could not be encoded.")};
    *created = SignatureService::Created{id, {}};
    // The files first: a list never names a file that is not there yet.
    for (const SignatureStore &store : stores) {
        const QString file = *store.fileOf(id);
        QSaveFile save(file);
        if (!save.open(QIODevice::WriteOnly) || save.write(*bytes) != bytes->size() || !save.commit())
            return Failure{Failure::Kind::Failed,
                           QStringLiteral("%1 could not be saved: %2.").arg(file, save.errorString())};
        RegularFile::syncFolder(store.folder);
        if (!Platform::fileFlags().setImmutable(file, true))
            return Failure{
                Failure::Kind::Failed,
                QStringLiteral("%1 was saved but could not be locked, so Mail may change it.").arg(file)};
        created->files.append(file);
    }
    for (const SignatureStore &store : stores) {
        if (const std::optional<QString> failure = ListFileWriter::appendSignature(store, id, name))
            return Failure{Failure::Kind::Failed, *failure};
        const QList<AccountsMap::Account> accounts = AccountsMap::read(store.folder);
        for (const QString &accountId : accountIds) {
            const bool here =
                std::any_of(accounts.cbegin(), accounts.cend(),
                            [&](const AccountsMap::Account &account) { return account.id == accountId; });
            if (!here)
                continue;
            if (const std::optional<QString> failure = ListFileWriter::addToAccount(store, accountId, id))
                return Failure{Failure::Kind::Failed, *failure};
        }
    }
    return std::nullopt;
}
