#include "store/SignatureListReader.h"

#include "platform/PropertyList.h"
#include "platform/RegularFile.h"
#include "store/SignaturesEngine.h"

#include <QFileInfo>

#include <plist/plist.h>

std::optional<QList<SignatureListReader::Entry>> SignatureListReader::parseEntries(const QByteArray &data)
{
    const std::optional<PropertyList> list = PropertyList::fromData(data);
    if (!list || plist_get_node_type(list->root()) != PLIST_ARRAY)
        return std::nullopt;
    const uint32_t count = plist_array_get_size(list->root());
    QList<Entry> entries;
    entries.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        plist_t item = plist_array_get_item(list->root(), i);
        if (!item || plist_get_node_type(item) != PLIST_DICT)
            return std::nullopt;
        entries.append({PropertyList::text(PropertyList::value(item, "SignatureUniqueId")),
                        PropertyList::text(PropertyList::value(item, "SignatureName")),
                        PropertyList::boolean(PropertyList::value(item, "SignatureIsRich"))});
    }
    return entries;
}

std::optional<QList<SignatureModel>> SignatureListReader::read(const QString &listFile)
{
    const std::optional<QByteArray> bytes = RegularFile::read(listFile, PropertyList::maximumFileSize);
    if (!bytes)
        return std::nullopt;
    const auto entries = parseEntries(*bytes);
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
    for (const Entry &entry : *entries) {
        SignatureModel signature{entry.id.value_or(QString()), entry.name.value_or(QString()), false,
                                 entry.isRich};
        if (const auto file = SignaturesEngine::signatureFileIn(folder, signature.id))
            signature.isFileLocked = SignaturesEngine::isFileImmutable(*file);
        signatures.append(signature);
    }
    return signatures;
}
