#include "store/SignatureListReader.h"

#include "platform/PropertyList.h"
#include "platform/RegularFile.h"
#include "store/SignaturesEngine.h"

#include <QFileInfo>

#include <plist/plist.h>

std::optional<QList<std::pair<std::optional<QString>, std::optional<QString>>>>
SignatureListReader::parseEntries(const QByteArray &data, QList<bool> *isRich)
{
    const std::optional<PropertyList> list = PropertyList::fromData(data);
    if (!list || plist_get_node_type(list->root()) != PLIST_ARRAY)
        return std::nullopt;
    const uint32_t count = plist_array_get_size(list->root());
    QList<std::pair<std::optional<QString>, std::optional<QString>>> entries;
    entries.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        plist_t item = plist_array_get_item(list->root(), i);
        if (!item || plist_get_node_type(item) != PLIST_DICT)
            return std::nullopt;
        entries.append({PropertyList::text(PropertyList::value(item, "SignatureUniqueId")),
                        PropertyList::text(PropertyList::value(item, "SignatureName"))});
        if (isRich) {
            const plist_t rich = PropertyList::value(item, "SignatureIsRich");
            uint8_t value = 0;
            if (rich && plist_get_node_type(rich) == PLIST_BOOLEAN)
                plist_get_bool_val(rich, &value);
            isRich->append(value != 0);
        }
    }
    return entries;
}

std::optional<QList<SignatureModel>> SignatureListReader::read(const QString &listFile, QList<bool> *isRich)
{
    const std::optional<QByteArray> bytes = RegularFile::read(listFile, PropertyList::maximumFileSize);
    if (!bytes)
        return std::nullopt;
    const auto entries = parseEntries(*bytes, isRich);
    if (!entries)
        return std::nullopt;
    QList<SignatureModel> signatures;
    if (entries->isEmpty())
        return signatures;
    // The signature files lie beside the list file: no second search of the
    // Mail folder, and none per entry, which would make a load cost grow with
    // the list size times the Mail folder's size.
    const QString folder = QFileInfo(listFile).path();
    signatures.reserve(entries->size());
    for (const auto &[id, name] : *entries) {
        SignatureModel signature{id.value_or(QString()), name.value_or(QString()), false};
        if (const auto file = SignaturesEngine::signatureFileIn(folder, signature.id))
            signature.isFileLocked = SignaturesEngine::isFileImmutable(*file);
        signatures.append(signature);
    }
    return signatures;
}
