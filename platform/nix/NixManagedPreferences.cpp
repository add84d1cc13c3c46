#include "platform/nix/NixManagedPreferences.h"

#include <QCoreApplication>
#include <QSettings>

std::optional<QMap<QString, QString>> NixManagedPreferences::dictionary(const QString &key,
                                                                        QString *failure) const
{
    QSettings settings(QSettings::NativeFormat, QSettings::SystemScope, QCoreApplication::organizationName(),
                       QCoreApplication::applicationName());
    QMap<QString, QString> texts;
    settings.beginGroup(key);
    for (const QString &name : settings.childKeys()) {
        const QVariant value = settings.value(name);
        // An INI file's values are texts, or lists for values with commas: a list is no field's value.
        if (value.typeId() != QMetaType::QString) {
            *failure = QStringLiteral("%1 in %2 gives %3 a value that is not text.")
                           .arg(key, settings.fileName(), name);
            return std::nullopt;
        }
        texts.insert(name, value.toString());
    }
    return texts;
}
