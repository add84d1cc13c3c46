#include "platform/PropertyListShape.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cstdint>
#include <optional>
#include <vector>

namespace {

class BinaryReader
{
public:
    explicit BinaryReader(const QByteArray &data)
        : m_bytes(reinterpret_cast<const unsigned char *>(data.constData())),
          m_size(static_cast<uint64_t>(data.size()))
    {
    }

    std::optional<uint64_t> integer(uint64_t offset, unsigned width) const
    {
        if (width == 0 || width > 8 || offset > m_size || m_size - offset < width)
            return std::nullopt;
        uint64_t value = 0;
        for (unsigned i = 0; i < width; ++i)
            value = (value << 8) | m_bytes[offset + i];
        return value;
    }

    uint64_t size() const { return m_size; }
    unsigned char at(uint64_t offset) const { return m_bytes[offset]; }

private:
    const unsigned char *m_bytes;
    uint64_t m_size;
};

struct Trailer
{
    unsigned offsetSize = 0;
    unsigned refSize = 0;
    uint64_t objectCount = 0;
    uint64_t topObject = 0;
    uint64_t offsetTable = 0;
};

std::optional<Trailer> readTrailer(const BinaryReader &reader)
{
    if (reader.size() < 8 + 32)
        return std::nullopt;
    const uint64_t base = reader.size() - 32;
    Trailer t;
    t.offsetSize = reader.at(base + 6);
    t.refSize = reader.at(base + 7);
    const auto count = reader.integer(base + 8, 8);
    const auto top = reader.integer(base + 16, 8);
    const auto table = reader.integer(base + 24, 8);
    if (!count || !top || !table || t.offsetSize == 0 || t.offsetSize > 8 || t.refSize == 0 || t.refSize > 8)
        return std::nullopt;
    t.objectCount = *count;
    t.topObject = *top;
    t.offsetTable = *table;
    if (t.topObject >= t.objectCount || t.objectCount > reader.size() || t.offsetTable >= reader.size() ||
        (reader.size() - t.offsetTable) / t.offsetSize < t.objectCount)
        return std::nullopt;
    return t;
}

// The references held by a container object; an empty list for other objects;
// none when the object is malformed.
std::optional<std::vector<uint64_t>> childrenOf(const BinaryReader &reader, const Trailer &t, uint64_t object)
{
    const auto offset = reader.integer(t.offsetTable + object * t.offsetSize, t.offsetSize);
    if (!offset || *offset >= reader.size())
        return std::nullopt;
    const unsigned char marker = reader.at(*offset);
    const unsigned type = marker >> 4;
    const bool isArrayOrSet = type == 0xA || type == 0xB || type == 0xC;
    const bool isDict = type == 0xD;
    if (!isArrayOrSet && !isDict)
        return std::vector<uint64_t>{};
    uint64_t count = marker & 0x0F;
    uint64_t refs = *offset + 1;
    if (count == 0x0F) {
        if (refs >= reader.size() || (reader.at(refs) >> 4) != 0x1)
            return std::nullopt;
        const unsigned width = 1u << (reader.at(refs) & 0x0F);
        const auto n = reader.integer(refs + 1, width);
        if (!n)
            return std::nullopt;
        count = *n;
        refs += 1 + width;
    }
    const uint64_t total = isDict ? count * 2 : count;
    if (count > reader.size() || refs > reader.size() || (reader.size() - refs) / t.refSize < total)
        return std::nullopt;
    std::vector<uint64_t> children;
    children.reserve(static_cast<size_t>(total));
    for (uint64_t i = 0; i < total; ++i) {
        const auto ref = reader.integer(refs + i * t.refSize, t.refSize);
        if (!ref || *ref >= t.objectCount)
            return std::nullopt;
        children.push_back(*ref);
    }
    return children;
}

} // namespace

std::optional<QByteArray> PropertyListShape::shallowXml(const QByteArray &data)
{
    // Qt's reader does not recurse, and reads comments, CDATA, processing
    // instructions, the DOCTYPE and entities as XML defines them.
    QXmlStreamReader reader(data);
    reader.setNamespaceProcessing(false); // names pass through as libplist reads them
    // Written as text and encoded once at the end, which is cheaper than
    // encoding each piece as it is written.
    QString copy;
    copy.reserve(data.size());
    QXmlStreamWriter writer(&copy);
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++depth > maximumDepth)
                return std::nullopt;
            writer.writeStartElement(reader.qualifiedName().toString());
            writer.writeAttributes(reader.attributes());
            // Ends the start tag: libplist refuses an empty key written as <key/>.
            writer.writeCharacters(QString());
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            writer.writeEndElement();
            break;
        case QXmlStreamReader::Characters:
            writer.writeCharacters(reader.text().toString());
            break;
        case QXmlStreamReader::EntityReference:
            return std::nullopt; // declared, if anywhere, in a DTD that is not read
        default:
            break;
        }
    }
    if (reader.hasError())
        return std::nullopt;
    return copy.toUtf8();
}

bool PropertyListShape::binaryIsShallowEnough(const QByteArray &data)
{
    const BinaryReader reader(data);
    const std::optional<Trailer> trailer = readTrailer(reader);
    if (!trailer)
        return false;
    // Longest path from each object, computed once per object (shared objects
    // must not make this exponential); a cycle is malformed.
    enum : uint8_t
    {
        Unvisited,
        OnPath,
        Done
    };
    std::vector<uint8_t> state(static_cast<size_t>(trailer->objectCount), Unvisited);
    std::vector<uint32_t> height(static_cast<size_t>(trailer->objectCount), 0);
    struct Frame
    {
        uint64_t object;
        std::vector<uint64_t> children;
        size_t next = 0;
    };
    std::vector<Frame> path;
    auto enter = [&](uint64_t object) {
        auto children = childrenOf(reader, *trailer, object);
        if (!children)
            return false;
        state[object] = OnPath;
        path.push_back(Frame{object, std::move(*children)});
        return path.size() <= static_cast<size_t>(maximumDepth);
    };
    if (!enter(trailer->topObject))
        return false;
    while (!path.empty()) {
        Frame &frame = path.back();
        if (frame.next == frame.children.size()) {
            state[frame.object] = Done;
            const uint32_t h = height[frame.object];
            path.pop_back();
            if (!path.empty()) {
                uint32_t &parent = height[path.back().object];
                parent = std::max(parent, h + 1);
            }
            continue;
        }
        const uint64_t child = frame.children[frame.next++];
        if (state[child] == OnPath)
            return false;
        if (state[child] == Done) {
            if (height[child] + path.size() > static_cast<size_t>(maximumDepth))
                return false;
            height[frame.object] = std::max(height[frame.object], height[child] + 1);
            continue;
        }
        if (!enter(child))
            return false;
    }
    return height[trailer->topObject] < static_cast<uint32_t>(maximumDepth);
}
