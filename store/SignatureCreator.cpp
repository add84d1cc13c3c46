#include "store/SignatureCreator.h"

#include "store/AccountsMap.h"
#include "store/ListFileWriter.h"
#include "store/SignatureFileFormat.h"
#include "store/SignatureName.h"
#include "store/SignaturePlan.h"
#include "store/WriteIntents.h"

#include <QUuid>

#include <algorithm>

namespace {
using Failure = SignatureService::Failure;
} // namespace

QString SignatureCreator::newId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QByteArray> SignatureCreator::newFile(const QString &html, const QList<SignatureImage> &images)
{
    // The header Mail gives a signature it makes.
    const QString header =
        QStringLiteral("Content-Transfer-Encoding: quoted-printable\nContent-Type: text/html;\n"
                       "\tcharset=utf-8\nMessage-Id: <%1>\nMime-Version: 1.0 (Mac OS X Mail 16.0 "
                       "\\(3826.400.131.1.6\\))")
            .arg(newId());
    return SignatureFileFormat::compose({header, QString()}, html, images);
}

std::optional<Failure>
SignatureCreator::create(const QList<SignatureStore> &stores, const QList<SignatureService::Entry> &entries,
                         const QString &name, const QString &html, const QStringList &addresses,
                         SignatureService::Created *created, const QList<SignatureImage> &images)
{
    if (const std::optional<Failure> refused = SignatureName::refusal(name, entries))
        return refused;
    // A list file that is a link is refused before its signature's file is written.
    QList<const char *> lists{ListFileWriter::allSignaturesName};
    if (!addresses.isEmpty())
        lists.append(ListFileWriter::accountsMapName);
    for (const SignatureStore &store : stores) {
        for (const char *list : lists) {
            if (const std::optional<QString> refusal = ListFileWriter::refusal(store, QLatin1String(list)))
                return Failure{Failure::Kind::Failed, *refusal};
        }
    }
    // Each address names one account (by its id, which both stores share).
    QStringList folders;
    for (const SignatureStore &store : stores)
        folders.append(store.folder);
    QString unknown;
    const std::optional<QStringList> accountIds = AccountsMap::idsOf(addresses, folders, &unknown);
    if (!accountIds)
        return Failure{Failure::Kind::NoAccount, unknown};
    const std::optional<QByteArray> bytes = newFile(html, images);
    if (!bytes)
        return Failure{Failure::Kind::Failed, QStringLiteral("The HTML could not be encoded.")};
    SignaturePlan plan;
    plan.id = newId();
    plan.name = name;
    *created = SignatureService::Created{plan.id, {}};
    for (const SignatureStore &store : stores) {
        plan.made.append({store, *store.fileOf(plan.id), *bytes, WriteIntents::digest(*bytes)});
        created->files.append(plan.made.constLast().file);
        const QList<AccountsMap::Account> accounts = AccountsMap::read(store.folder);
        for (const QString &accountId : *accountIds) {
            if (std::any_of(accounts.cbegin(), accounts.cend(),
                            [&](const AccountsMap::Account &account) { return account.id == accountId; }))
                plan.accounts.append({store, accountId});
        }
    }
    if (const std::optional<QString> failure = plan.run())
        return Failure{Failure::Kind::Failed, *failure};
    return std::nullopt;
}
