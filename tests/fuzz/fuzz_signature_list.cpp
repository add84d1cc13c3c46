// Reading AllSignatures.plist from arbitrary bytes, XML or binary.
#include "platform/PropertyList.h"
#include "store/SignatureListReader.h"
#include "tests/fuzz/FuzzSupport.h"

#include <plist/plist.h>

namespace {

using Entries = QList<std::pair<std::optional<QString>, std::optional<QString>>>;

bool isArrayOfDictionaries(plist_t root)
{
    if (plist_get_node_type(root) != PLIST_ARRAY)
        return false;
    for (uint32_t i = 0; i < plist_array_get_size(root); ++i) {
        if (plist_get_node_type(plist_array_get_item(root, i)) != PLIST_DICT)
            return false;
    }
    return true;
}

// libplist's writers end a string at a NUL and garble bytes that are not
// UTF-8 (in keys and values alike), so only lists whose strings are clean
// UTF-8 can be written back faithfully.
bool writable(plist_t root)
{
    for (uint32_t i = 0; i < plist_array_get_size(root); ++i) {
        for (const char *key : {"SignatureUniqueId", "SignatureName"}) {
            plist_t node = PropertyList::value(plist_array_get_item(root, i), key);
            uint64_t length = 0;
            const char *text = node ? plist_get_string_ptr(node, &length) : nullptr;
            if (!text)
                continue;
            const QByteArray bytes(text, static_cast<qsizetype>(length));
            if (bytes.contains('\0') || !fuzz::isValidUtf8(bytes))
                return false;
        }
    }
    return true;
}

QByteArray owned(char *data, uint32_t length)
{
    QByteArray bytes(data, static_cast<qsizetype>(length));
    std::free(data);
    return bytes;
}

QByteArray asBinary(plist_t root)
{
    char *data = nullptr;
    uint32_t length = 0;
    plist_to_bin(root, &data, &length);
    return data ? owned(data, length) : QByteArray();
}

QByteArray asXml(plist_t root)
{
    char *data = nullptr;
    uint32_t length = 0;
    plist_to_xml(root, &data, &length);
    return data ? owned(data, length) : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytes(data, size);
    const std::optional<Entries> entries = SignatureListReader::parseEntries(bytes);
    const std::optional<PropertyList> list = PropertyList::fromData(bytes);

    // A list comes back exactly when the data parses to an array of dictionaries,
    // one entry per element.
    FUZZ_CHECK(entries.has_value() == (list && isArrayOfDictionaries(list->root())));
    if (!entries)
        return 0;
    FUZZ_CHECK(static_cast<uint32_t>(entries->size()) == plist_array_get_size(list->root()));

    // The encoding is the writer's choice: the same list written in the other
    // encoding reads the same.
    const QByteArray xml = asXml(list->root());
    if (!writable(list->root()) || xml.contains('\0') || !fuzz::isValidUtf8(xml))
        return 0;
    FUZZ_CHECK(SignatureListReader::parseEntries(asBinary(list->root())) == entries);
    FUZZ_CHECK(SignatureListReader::parseEntries(xml) == entries);
    return 0;
}
