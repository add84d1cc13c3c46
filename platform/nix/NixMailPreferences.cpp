#include "platform/nix/NixMailPreferences.h"

#include "platform/PropertyList.h"
#include "platform/RegularFile.h"

#include <QFileInfo>

#include <plist/plist.h>

NixMailPreferences::NixMailPreferences(const QString &library)
    : m_file(library +
             QStringLiteral("/Containers/com.apple.mail/Data/Library/Preferences/com.apple.mail.plist"))
{
}

bool NixMailPreferences::exists() const
{
    return QFileInfo(QFileInfo(m_file).absolutePath()).isDir();
}

std::optional<QHash<QString, QString>> NixMailPreferences::dictionary(const QString &key,
                                                                      QString *failure) const
{
    if (!QFileInfo::exists(m_file))
        return QHash<QString, QString>();
    const std::optional<PropertyList> list = PropertyList::fromFile(m_file);
    const plist_t node = list ? PropertyList::value(list->root(), key.toUtf8().constData()) : nullptr;
    if (!list || plist_get_node_type(list->root()) != PLIST_DICT ||
        (node && plist_get_node_type(node) != PLIST_DICT)) {
        *failure = QStringLiteral("Mail's preferences %1 cannot be read.").arg(m_file);
        return std::nullopt;
    }
    return PropertyList::texts(node);
}

std::optional<QByteArray> NixMailPreferences::contents() const
{
    return RegularFile::read(m_file, PropertyList::maximumFileSize);
}

std::optional<QString> NixMailPreferences::change(const QList<Change> &changes)
{
    const std::optional<QByteArray> bytes = contents();
    // Mail's first start makes the file; a container without one takes a new one, binary as Mail writes it.
    std::optional<PropertyList> list = bytes ? PropertyList::fromData(*bytes) : PropertyList::dictionary();
    const QString unreadable =
        QStringLiteral("Mail's preferences %1 cannot be read, so nothing was changed.");
    if (!list || plist_get_node_type(list->root()) != PLIST_DICT || (!bytes && QFileInfo::exists(m_file)))
        return unreadable.arg(m_file);
    for (const Change &change : changes) {
        const QByteArray key = change.key.toUtf8(), entry = change.entry.toUtf8();
        plist_t node = PropertyList::value(list->root(), key.constData());
        if (!node) {
            node = plist_new_dict();
            plist_dict_set_item(list->root(), key.constData(), node);
        }
        if (plist_get_node_type(node) != PLIST_DICT)
            return unreadable.arg(m_file);
        if (change.value)
            plist_dict_set_item(node, entry.constData(),
                                plist_new_string(change.value->toUtf8().constData()));
        else if (PropertyList::value(node, entry.constData()))
            plist_dict_remove_item(node, entry.constData());
    }
    QString error;
    if (!RegularFile::replace(m_file, list->toData(!bytes || PropertyList::isBinary(*bytes)), &error))
        return QStringLiteral("Mail's preferences %1 could not be saved: %2.").arg(m_file, error);
    return std::nullopt;
}
