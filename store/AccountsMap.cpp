#include "store/AccountsMap.h"

#include "platform/PropertyList.h"

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
