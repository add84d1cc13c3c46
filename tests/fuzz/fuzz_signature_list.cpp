// Reading AllSignatures.plist from arbitrary bytes, XML or binary.
#include "platform/PropertyList.h"
#include "platform/PropertyListShape.h"
#include "store/SignatureListReader.h"
#include "tests/fuzz/FuzzSupport.h"

#include <plist/plist.h>

#include <algorithm>
#include <vector>

namespace {

// The children of a container node.
std::vector<plist_t> childrenOf(plist_t node)
{
    std::vector<plist_t> children;
    if (plist_get_node_type(node) == PLIST_ARRAY) {
        for (uint32_t i = 0; i < plist_array_get_size(node); ++i)
            children.push_back(plist_array_get_item(node, i));
    } else if (plist_get_node_type(node) == PLIST_DICT) {
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(node, &iterator);
        for (plist_t item = nullptr;
             iterator && (plist_dict_next_item(node, iterator, nullptr, &item), item);)
            children.push_back(item);
        std::free(iterator);
    }
    return children;
}

// The depth of the tree, found without recursion: it may be as deep as a guard failed to notice.
int depth(plist_t root)
{
    int deepest = 0;
    std::vector<std::pair<plist_t, int>> pending{{root, 1}};
    while (!pending.empty()) {
        const auto [node, level] = pending.back();
        pending.pop_back();
        deepest = std::max(deepest, level);
        for (plist_t child : childrenOf(node))
            pending.emplace_back(child, level + 1);
    }
    return deepest;
}

// What libplist can write back as it read it: clean UTF-8 strings, XML without what XML cannot hold.
bool writesBackFaithfully(plist_t root, const QByteArray &xml)
{
    for (plist_t entry : childrenOf(root)) {
        for (const char *key : {"SignatureUniqueId", "SignatureName"}) {
            uint64_t length = 0;
            plist_t node = PropertyList::value(entry, key);
            const char *text = node ? plist_get_string_ptr(node, &length) : nullptr;
            if (text &&
                (std::memchr(text, 0, length) || !fuzz::isValidUtf8(QByteArray(text, qsizetype(length)))))
                return false;
        }
    }
    return !xml.contains('\0') && fuzz::isValidUtf8(xml) && !xml.contains("\xEF\xBF\xBE") &&
           !xml.contains("\xEF\xBF\xBF") && std::none_of(xml.begin(), xml.end(), [](char c) {
               return uchar(c) < 0x20 && c != '\t' && c != '\n';
           });
}

QByteArray written(plist_t root, void (*write)(plist_t, char **, uint32_t *))
{
    char *data = nullptr;
    uint32_t length = 0;
    write(root, &data, &length);
    const QByteArray bytes(data, qsizetype(data ? length : 0));
    std::free(data);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytes(data, size);
    const auto entries = SignatureListReader::parseEntries(bytes);
    const std::optional<PropertyList> list = PropertyList::fromData(bytes);
    // However the data hides its nesting, nothing deeper than the limit is parsed.
    FUZZ_CHECK(!list || depth(list->root()) <= PropertyListShape::maximumDepth);
    // A list comes back exactly when the data parses to an array of dictionaries, one entry per element.
    const std::vector<plist_t> elements = list ? childrenOf(list->root()) : std::vector<plist_t>();
    const bool arrayOfDictionaries = list && plist_get_node_type(list->root()) == PLIST_ARRAY &&
                                     std::all_of(elements.begin(), elements.end(), [](plist_t e) {
                                         return plist_get_node_type(e) == PLIST_DICT;
                                     });
    FUZZ_CHECK(entries.has_value() == arrayOfDictionaries &&
               (!entries || size_t(entries->size()) == elements.size()));
    // The encoding is the writer's choice: the same list written in the other encoding reads the same.
    const QByteArray xml = entries ? written(list->root(), plist_to_xml) : QByteArray();
    if (entries && writesBackFaithfully(list->root(), xml))
        FUZZ_CHECK(SignatureListReader::parseEntries(written(list->root(), plist_to_bin)) == entries &&
                   SignatureListReader::parseEntries(xml) == entries);
    return 0;
}
