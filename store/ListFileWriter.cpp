#include "store/ListFileWriter.h"

#include "platform/PropertyList.h"
#include "platform/RegularFile.h"
#include "store/KeptVersions.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <plist/plist.h>

#include <functional>

namespace {

// Reads the list, lets change edit its tree (false: the file is not as
// expected), and writes it back in its own form.
std::optional<QString> edit(const SignatureStore &store, const QString &fileName,
                            const std::function<bool(plist_t root)> &change)
{
    const QString path = store.folder + u'/' + fileName;
    const std::optional<QByteArray> bytes = RegularFile::read(path, PropertyList::maximumFileSize);
    const std::optional<PropertyList> list = bytes ? PropertyList::fromData(*bytes) : std::nullopt;
    if (!list || !change(list->root()))
        return QStringLiteral("%1 could not be read, so nothing was changed.").arg(path);
    return ListFileWriter::replace(store, fileName, list->toData(PropertyList::isBinary(*bytes)));
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
    const QFileDevice::Permissions permissions = QFile::permissions(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        (permissions != QFileDevice::Permissions() && !file.setPermissions(permissions)) ||
        file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("%1 could not be saved: %2.").arg(path, file.errorString());
    RegularFile::syncFolder(store.folder);
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
            return false;
        plist_t entry = plist_new_dict();
        plist_dict_set_item(entry, "SignatureIsRich", plist_new_bool(1));
        plist_dict_set_item(entry, "SignatureName", plist_new_string(name.toUtf8().constData()));
        plist_dict_set_item(entry, "SignatureUniqueId", plist_new_string(id.toUtf8().constData()));
        plist_array_append_item(root, entry);
        return true;
    });
}

std::optional<QString> ListFileWriter::addToAccount(const SignatureStore &store, const QString &accountId,
                                                    const QString &signatureId)
{
    return edit(store, QLatin1String(accountsMapName), [&](plist_t root) {
        plist_t account = plist_get_node_type(root) == PLIST_DICT
                              ? plist_dict_get_item(root, accountId.toUtf8().constData())
                              : nullptr;
        if (!account || plist_get_node_type(account) != PLIST_DICT)
            return false;
        plist_t signatures = plist_dict_get_item(account, "Signatures");
        if (!signatures) {
            signatures = plist_new_array();
            plist_dict_set_item(account, "Signatures", signatures);
        }
        if (plist_get_node_type(signatures) != PLIST_ARRAY)
            return false;
        plist_array_append_item(signatures, plist_new_string(signatureId.toUtf8().constData()));
        return true;
    });
}
