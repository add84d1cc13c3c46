#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

using plist_t = void *;

// An owned property-list tree parsed with libplist. The encoding (XML or
// binary) is detected from the data, never from a file name.
class PropertyList
{
public:
    static std::optional<PropertyList> fromData(const QByteArray &data);
    // Reads the whole file; none when it cannot be read, is too large or does not parse.
    static std::optional<PropertyList> fromFile(const QString &path);
    // An empty dictionary, to fill.
    static PropertyList dictionary();

    PropertyList(PropertyList &&other) noexcept;
    PropertyList &operator=(PropertyList &&other) noexcept;
    PropertyList(const PropertyList &) = delete;
    PropertyList &operator=(const PropertyList &) = delete;
    ~PropertyList();

    plist_t root() const { return m_root; }
    // The tree written out, in the binary form or as XML.
    QByteArray toData(bool binary) const;
    static bool isBinary(const QByteArray &data) { return data.startsWith("bplist00"); }

    // Helpers on nodes of the tree: the text of a string node, the value of a
    // Boolean node, the value of a dictionary key (the last one when the key occurs twice); none when the
    // node is of another kind.
    static std::optional<QString> text(plist_t node);
    static std::optional<bool> boolean(plist_t node);
    static plist_t value(plist_t dictionary, const char *key);
    // The entries of a dictionary node that hold text, by key; empty for any other node.
    static QHash<QString, QString> texts(plist_t dictionary);

    // Files larger than this are not property lists Mail would write.
    static constexpr qint64 maximumFileSize = 64 * 1024 * 1024;

private:
    explicit PropertyList(plist_t root) : m_root(root) {}
    plist_t m_root = nullptr;
};
