#include "store/AccountsMap.h"

#include "platform/PropertyList.h"

#include <QFileInfo>
#include <QUrl>

#include <plist/plist.h>

std::optional<QString> AccountsMap::Account::address() const
{
    const QString user = QUrl(url).userName(QUrl::FullyDecoded);
    if (user.contains(u'@'))
        return user;
    return std::nullopt;
}

QList<AccountsMap::Account> AccountsMap::read(const QString &signaturesFolder)
{
    QList<Account> accounts;
    const std::optional<PropertyList> map =
        PropertyList::fromFile(signaturesFolder + QStringLiteral("/AccountsMap.plist"));
    if (!map || plist_get_node_type(map->root()) != PLIST_DICT)
        return accounts;
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(map->root(), &it);
    for (;;) {
        char *key = nullptr;
        plist_t entry = nullptr;
        plist_dict_next_item(map->root(), it, &key, &entry);
        if (!key)
            break;
        Account account{QString::fromUtf8(key), {}, {}};
        std::free(key);
        if (plist_get_node_type(entry) != PLIST_DICT)
            continue;
        account.url = PropertyList::text(PropertyList::value(entry, "AccountURL")).value_or(QString());
        const plist_t ids = PropertyList::value(entry, "Signatures");
        if (ids && plist_get_node_type(ids) == PLIST_ARRAY) {
            for (uint32_t i = 0; i < plist_array_get_size(ids); ++i) {
                if (const std::optional<QString> id = PropertyList::text(plist_array_get_item(ids, i)))
                    account.signatures.append(*id);
            }
        }
        accounts.append(account);
    }
    std::free(it);
    return accounts;
}

std::optional<QStringList> AccountsMap::idsOf(const QStringList &addresses,
                                              const QStringList &signaturesFolders, QString *failure)
{
    QList<Account> accounts;
    QStringList known, maps, ids;
    for (const QString &folder : signaturesFolders) {
        if (QFileInfo::exists(folder + QStringLiteral("/AccountsMap.plist")))
            maps.append(folder);
        for (const Account &account : read(folder)) {
            accounts.append(account);
            if (!known.contains(account.label()))
                known.append(account.label());
        }
    }
    for (const QString &address : addresses) {
        QStringList matches;
        for (const Account &account : accounts) {
            if ((address == QLatin1String(everyAccount) ||
                 account.label().compare(address, Qt::CaseInsensitive) == 0) &&
                !matches.contains(account.id))
                matches.append(account.id);
        }
        if (matches.size() == 1 || (!matches.isEmpty() && address == QLatin1String(everyAccount))) {
            for (const QString &id : matches) {
                if (!ids.contains(id))
                    ids.append(id);
            }
            continue;
        }
        if (maps.isEmpty())
            *failure =
                QStringLiteral("%1 names no account: Mail keeps no map of accounts (AccountsMap.plist) "
                               "beside its signatures in %2, so no account can be named yet.")
                    .arg(address, signaturesFolders.join(QStringLiteral(" or ")));
        else
            *failure = QStringLiteral("%1 %2; the accounts are: %3.")
                           .arg(address,
                                matches.isEmpty() ? QStringLiteral("names no account")
                                                  : QStringLiteral("names %1 accounts").arg(matches.size()),
                                known.isEmpty() ? QStringLiteral("none") : known.join(QStringLiteral(", ")));
        return std::nullopt;
    }
    return ids;
}
