#include "store/ListFileWriter.h"

#include "platform/PropertyList.h"
#include "platform/RegularFile.h"
#include "store/KeptVersions.h"

#include <QFileInfo>

#include <plist/plist.h>

#include <cstdlib>
#include <functional>

namespace {

enum class Edit
{
    Changed,
    Unchanged,
    // The file is not as expected.
    Unreadable,
};

// Reads the list, lets change edit its tree, and writes it back in its own form when it changed.
std::optional<QString> edit(const SignatureStore &store, const QString &fileName,
                            const std::function<Edit(plist_t root)> &change)
{
    const QString path = store.folder + u'/' + fileName;
    const std::optional<QByteArray> bytes = RegularFile::read(path, PropertyList::maximumFileSize);
    const std::optional<PropertyList> list = bytes ? PropertyList::fromData(*bytes) : std::nullopt;
    const Edit edited = list ? change(list->root()) : Edit::Unreadable;
    if (edited == Edit::Unreadable)
        return QStringLiteral("%1 could not be read, so nothing was changed.").arg(path);
    if (edited == Edit::Unchanged)
        return std::nullopt;
    return ListFileWriter::replace(store, fileName, list->toData(PropertyList::isBinary(*bytes)));
}

// Removes every string of array equal to text; whether one was.
bool removeText(plist_t array, const QString &text)
{
    bool removed = false;
    for (uint32_t i = plist_array_get_size(array); i-- > 0;) {
        if (PropertyList::text(plist_array_get_item(array, i)) == text) {
            plist_array_remove_item(array, i);
            removed = true;
        }
    }
    return removed;
}

} // namespace

std::optional<QString> ListFileWriter::replace(const SignatureStore &store, const QString &fileName,
                                               const QByteArray &bytes)
{
    if (const std::optional<QString> refused = refusal(store, fileName))
        return refused;
    const QString path = store.folder + u'/' + fileName;
    QString error;
    const std::optional<QByteArray> old = RegularFile::read(path, PropertyList::maximumFileSize);
    if (old && !KeptVersions::keep(fileName, store.kind, *old, KeptVersions::Kind::Kept, &error))
        return QStringLiteral("%1 could not be kept first, so nothing was changed.").arg(path);
    if (!RegularFile::replace(path, bytes, &error))
        return QStringLiteral("%1 could not be saved: %2.").arg(path, error);
    return std::nullopt;
}

std::optional<QString> ListFileWriter::refusal(const SignatureStore &store, const QString &fileName)
{
    // A save through a link would replace its target, outside Mail's folder.
    const QString path = store.folder + u'/' + fileName;
    if (RegularFile::isSymbolicLink(path))
        return QStringLiteral("%1 is a symbolic link, so it was left as it is.").arg(path);
    return std::nullopt;
}

std::optional<QString> ListFileWriter::appendSignature(const SignatureStore &store, const QString &id,
                                                       const QString &name)
{
    return edit(store, QLatin1String(allSignaturesName), [&](plist_t root) {
        if (plist_get_node_type(root) != PLIST_ARRAY)
            return Edit::Unreadable;
        for (uint32_t i = 0; i < plist_array_get_size(root); ++i) {
            if (PropertyList::text(PropertyList::value(plist_array_get_item(root, i), "SignatureUniqueId")) ==
                id)
                return Edit::Unchanged;
        }
        plist_t entry = plist_new_dict();
        plist_dict_set_item(entry, "SignatureIsRich", plist_new_bool(1));
        plist_dict_set_item(entry, "SignatureName", plist_new_string(name.toUtf8().constData()));
        plist_dict_set_item(entry, "SignatureUniqueId", plist_new_string(id.toUtf8().constData()));
        plist_array_append_item(root, entry);
        return Edit::Changed;
    });
}

std::optional<QString> ListFileWriter::removeSignature(const SignatureStore &store, const QString &id)
{
    return edit(store, QLatin1String(allSignaturesName), [&](plist_t root) {
        if (plist_get_node_type(root) != PLIST_ARRAY)
            return Edit::Unreadable;
        Edit edited = Edit::Unchanged;
        for (uint32_t i = plist_array_get_size(root); i-- > 0;) {
            if (PropertyList::text(PropertyList::value(plist_array_get_item(root, i), "SignatureUniqueId")) ==
                id) {
                plist_array_remove_item(root, i);
                edited = Edit::Changed;
            }
        }
        return edited;
    });
}

std::optional<QString> ListFileWriter::addToAccounts(const SignatureStore &store,
                                                     const QStringList &accountIds,
                                                     const QString &signatureId)
{
    if (accountIds.isEmpty())
        return std::nullopt;
    return edit(store, QLatin1String(accountsMapName), [&](plist_t root) {
        Edit edited = Edit::Unchanged;
        for (const QString &accountId : accountIds) {
            plist_t account = PropertyList::value(root, accountId.toUtf8().constData());
            if (!account || plist_get_node_type(account) != PLIST_DICT)
                return Edit::Unreadable;
            plist_t signatures = PropertyList::value(account, "Signatures");
            if (!signatures) {
                signatures = plist_new_array();
                plist_dict_set_item(account, "Signatures", signatures);
            }
            if (plist_get_node_type(signatures) != PLIST_ARRAY)
                return Edit::Unreadable;
            bool there = false;
            for (uint32_t i = 0; i < plist_array_get_size(signatures) && !there; ++i)
                there = PropertyList::text(plist_array_get_item(signatures, i)) == signatureId;
            if (!there) {
                plist_array_append_item(signatures, plist_new_string(signatureId.toUtf8().constData()));
                edited = Edit::Changed;
            }
        }
        return edited;
    });
}

std::optional<QString> ListFileWriter::removeFromAccounts(const SignatureStore &store,
                                                          const QString &signatureId,
                                                          const QStringList &accountIds)
{
    if (!QFileInfo::exists(store.folder + u'/' + QLatin1String(accountsMapName)))
        return std::nullopt;
    return edit(store, QLatin1String(accountsMapName), [&](plist_t root) {
        if (plist_get_node_type(root) != PLIST_DICT)
            return Edit::Unreadable;
        Edit edited = Edit::Unchanged;
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(root, &it);
        for (plist_t account = nullptr; it;) {
            char *key = nullptr;
            plist_dict_next_item(root, it, &key, &account);
            if (!key)
                break;
            const bool named = accountIds.isEmpty() || accountIds.contains(QString::fromUtf8(key));
            std::free(key);
            const plist_t signatures = named ? PropertyList::value(account, "Signatures") : nullptr;
            if (signatures && plist_get_node_type(signatures) == PLIST_ARRAY &&
                removeText(signatures, signatureId))
                edited = Edit::Changed;
        }
        std::free(it);
        return edited;
    });
}
