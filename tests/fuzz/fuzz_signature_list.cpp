// Reading AllSignatures.plist from arbitrary bytes, XML or binary.
#include "platform/PropertyList.h"
#include "platform/PropertyListShape.h"
#include "store/SignatureListReader.h"
#include "tests/fuzz/FuzzSupport.h"

#include <plist/plist.h>

#include <algorithm>
#include <vector>

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

// The number of nodes on the longest path from the root down, found without
// recursion: the tree may be as deep as the shape check failed to notice.
int depth(plist_t root)
{
    int deepest = 0;
    std::vector<std::pair<plist_t, int>> pending{{root, 1}};
    while (!pending.empty()) {
        const auto [node, level] = pending.back();
        pending.pop_back();
        deepest = std::max(deepest, level);
        if (plist_get_node_type(node) == PLIST_ARRAY) {
            for (uint32_t i = 0; i < plist_array_get_size(node); ++i)
                pending.emplace_back(plist_array_get_item(node, i), level + 1);
        } else if (plist_get_node_type(node) == PLIST_DICT) {
            plist_dict_iter iterator = nullptr;
            plist_dict_new_iter(node, &iterator);
            for (plist_t item = nullptr; iterator;) {
                plist_dict_next_item(node, iterator, nullptr, &item);
                if (!item)
                    break;
                pending.emplace_back(item, level + 1);
            }
            std::free(iterator);
        }
    }
    return deepest;
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

// libplist's XML writer puts every character down as it is, but XML has no
// room for control characters other than tab and line breaks, nor for U+FFFE
// and U+FFFF, and reads a carriage return as a line feed.
bool xmlHoldsAsWritten(const QByteArray &xml)
{
    const bool controls = std::any_of(xml.begin(), xml.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n';
    });
    return !controls && !xml.contains("\xEF\xBF\xBE") && !xml.contains("\xEF\xBF\xBF");
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
    // However the data hides its nesting, nothing deeper than the limit is parsed.
    FUZZ_CHECK(!list || depth(list->root()) <= PropertyListShape::maximumDepth);

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
    if (xmlHoldsAsWritten(xml))
        FUZZ_CHECK(SignatureListReader::parseEntries(xml) == entries);
    return 0;
}
