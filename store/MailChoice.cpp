#include "store/MailChoice.h"

#include "platform/MailPreferences.h"
#include "platform/Platform.h"
#include "platform/PropertyList.h"
#include "store/KeptVersions.h"
#include "store/MailFolders.h"

namespace {

const QString selectedKey = QStringLiteral("SignaturesSelected");
const QString methodsKey = QStringLiteral("SignatureSelectionMethods");

std::unique_ptr<MailPreferences> preferences()
{
    return Platform::mailPreferences(MailFolders::libraryFolder());
}

// The text entries of a kept version's dictionary under key.
QHash<QString, QString> entries(const PropertyList &list, const QString &key)
{
    return PropertyList::texts(PropertyList::value(list.root(), key.toUtf8().constData()));
}

MailChoice::Choices combined(const QHash<QString, QString> &selected, const QHash<QString, QString> &methods)
{
    MailChoice::Choices choices;
    for (auto it = selected.cbegin(); it != selected.cend(); ++it)
        choices[it.key()].signature = it.value();
    for (auto it = methods.cbegin(); it != methods.cend(); ++it)
        choices[it.key()].method = it.value();
    return choices;
}

} // namespace

MailChoice::Choice MailChoice::of(const QString &signatureId)
{
    return {signatureId, QStringLiteral("SelectedOnly")};
}

bool MailChoice::isSetUp()
{
    return preferences()->exists();
}

std::optional<MailChoice::Choices> MailChoice::read(QString *failure)
{
    const std::unique_ptr<MailPreferences> mail = preferences();
    const std::optional<QHash<QString, QString>> selected = mail->dictionary(selectedKey, failure);
    const std::optional<QHash<QString, QString>> methods =
        selected ? mail->dictionary(methodsKey, failure) : std::nullopt;
    if (!methods)
        return std::nullopt;
    return combined(*selected, *methods);
}

std::optional<QString> MailChoice::write(const Choices &choices)
{
    if (choices.isEmpty())
        return std::nullopt;
    const std::unique_ptr<MailPreferences> mail = preferences();
    QString error;
    if (const std::optional<QByteArray> now = mail->contents();
        now && !KeptVersions::keep(QLatin1String(preferencesName), SignatureStore::Kind::Local, *now,
                                   KeptVersions::Kind::Kept, &error))
        return QStringLiteral("Mail's preferences could not be kept first, so nothing was changed.");
    QList<MailPreferences::Change> changes;
    for (auto it = choices.cbegin(); it != choices.cend(); ++it) {
        changes.append({selectedKey, it.key(), it->signature});
        changes.append({methodsKey, it.key(), it->method});
    }
    return mail->change(changes);
}

std::optional<QString> MailChoice::restore(const QByteArray &version)
{
    const std::optional<PropertyList> list = PropertyList::fromData(version);
    QString failure;
    const std::optional<Choices> now = list ? read(&failure) : std::nullopt;
    if (!now)
        return QStringLiteral("That version could not be read, so nothing was changed.");
    Choices kept = combined(entries(*list, selectedKey), entries(*list, methodsKey));
    // An account the version does not name had no choice then.
    for (auto it = now->cbegin(); it != now->cend(); ++it) {
        if (!kept.contains(it.key()))
            kept.insert(it.key(), Choice{});
    }
    kept.removeIf([&](const auto &entry) { return now->value(entry.key()) == entry.value(); });
    return write(kept);
}
