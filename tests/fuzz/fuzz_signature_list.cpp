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
    return 0;
}
