#include "store/PropertyList.h"

#include "store/PropertyListShape.h"
#include "store/RegularFile.h"

#include <plist/plist.h>

#include <cstdlib>
#include <utility>

std::optional<PropertyList> PropertyList::fromData(const QByteArray &data)
{
    static const QByteArray binaryMagic("bplist00");
    if (data.isEmpty() || data.size() > maximumFileSize || !PropertyListShape::isShallowEnough(data))
        return std::nullopt;
    plist_t root = nullptr;
    const auto length = static_cast<uint32_t>(data.size());
    if (data.startsWith(binaryMagic))
        plist_from_bin(data.constData(), length, &root);
    else
        plist_from_xml(data.constData(), length, &root);
    if (!root)
        return std::nullopt;
    return PropertyList(root);
}

std::optional<PropertyList> PropertyList::fromFile(const QString &path)
{
    const std::optional<QByteArray> bytes = RegularFile::read(path, maximumFileSize);
    if (!bytes)
        return std::nullopt;
    return fromData(*bytes);
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

std::optional<QString> PropertyList::text(plist_t node)
{
    if (!node || plist_get_node_type(node) != PLIST_STRING)
        return std::nullopt;
    char *value = nullptr;
    plist_get_string_val(node, &value);
    if (!value)
        return std::nullopt;
    QString result = QString::fromUtf8(value);
    std::free(value);
    return result;
}

plist_t PropertyList::value(plist_t dictionary, const char *key)
{
    if (!dictionary || plist_get_node_type(dictionary) != PLIST_DICT)
        return nullptr;
    return plist_dict_get_item(dictionary, key);
}
