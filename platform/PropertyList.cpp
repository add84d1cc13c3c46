#include "platform/PropertyList.h"

#include "platform/PropertyListShape.h"
#include "platform/RegularFile.h"

#include <plist/plist.h>

#include <cstdlib>
#include <utility>

std::optional<PropertyList> PropertyList::fromData(const QByteArray &data)
{
    static const QByteArray binaryMagic("bplist00");
    if (data.size() > maximumFileSize)
        return std::nullopt;
    plist_t root = nullptr;
    if (data.startsWith(binaryMagic)) {
        if (PropertyListShape::binaryIsShallowEnough(data))
            plist_from_bin(data.constData(), static_cast<uint32_t>(data.size()), &root);
    } else if (const std::optional<QByteArray> xml = PropertyListShape::shallowXml(data)) {
        plist_from_xml(xml->constData(), static_cast<uint32_t>(xml->size()), &root);
    }
    if (!root)
        return std::nullopt;
    return PropertyList(root);
}

QByteArray PropertyList::toData(bool binary) const
{
    char *data = nullptr;
    uint32_t length = 0;
    if (binary)
        plist_to_bin(m_root, &data, &length);
    else
        plist_to_xml(m_root, &data, &length);
    const QByteArray bytes(data, data ? qsizetype(length) : 0);
    if (binary)
        plist_to_bin_free(data);
    else
        plist_to_xml_free(data);
    return bytes;
}

std::optional<PropertyList> PropertyList::fromFile(const QString &path)
{
    const std::optional<QByteArray> bytes = RegularFile::read(path, maximumFileSize);
    if (!bytes)
        return std::nullopt;
    return fromData(*bytes);
}

PropertyList PropertyList::dictionary()
{
    return PropertyList(plist_new_dict());
}

PropertyList::PropertyList(PropertyList &&other) noexcept : m_root(std::exchange(other.m_root, nullptr)) {}

PropertyList &PropertyList::operator=(PropertyList &&other) noexcept
{
    if (this != &other) {
        if (m_root)
            plist_free(m_root);
        m_root = std::exchange(other.m_root, nullptr);
    }
    return *this;
}

PropertyList::~PropertyList()
{
    if (m_root)
        plist_free(m_root);
}

std::optional<bool> PropertyList::boolean(plist_t node)
{
    if (!node || plist_get_node_type(node) != PLIST_BOOLEAN)
        return std::nullopt;
    uint8_t value = 0;
    plist_get_bool_val(node, &value);
    return value != 0;
}

std::optional<QString> PropertyList::text(plist_t node)
{
    if (!node || plist_get_node_type(node) != PLIST_STRING)
        return std::nullopt;
    // By pointer and length: a string holding a NUL byte would trip
    // libplist's own length assertion in plist_get_string_val and abort.
    uint64_t length = 0;
    const char *value = plist_get_string_ptr(node, &length);
    if (!value)
        return std::nullopt;
    return QString::fromUtf8(value, static_cast<qsizetype>(length));
}

QHash<QString, QString> PropertyList::texts(plist_t dictionary)
{
    QHash<QString, QString> texts;
    if (!dictionary || plist_get_node_type(dictionary) != PLIST_DICT)
        return texts;
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(dictionary, &it);
    for (char *name = nullptr; it;) {
        plist_t value = nullptr;
        plist_dict_next_item(dictionary, it, &name, &value);
        if (!name)
            break;
        if (const std::optional<QString> text = PropertyList::text(value))
            texts.insert(QString::fromUtf8(name), *text);
        std::free(name);
        name = nullptr;
    }
    std::free(it);
    return texts;
}

plist_t PropertyList::value(plist_t dictionary, const char *key)
{
    if (!dictionary || plist_get_node_type(dictionary) != PLIST_DICT)
        return nullptr;
    // A key written twice: the XML parser keeps the last value, the binary one
    // keeps both and plist_dict_get_item would answer the first. The last wins
    // here too, so both encodings of one dictionary read the same. Keys are not
    // copied out: a key holding a NUL byte trips libplist's length assertion.
    plist_t found = nullptr;
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(dictionary, &iterator);
    if (!iterator)
        return nullptr;
    for (plist_t item = nullptr;;) {
        plist_dict_next_item(dictionary, iterator, nullptr, &item);
        if (!item)
            break;
        if (plist_key_val_compare(plist_dict_item_get_key(item), key) == 0)
            found = item;
    }
    std::free(iterator);
    return found;
}
