#include "access/RememberedFields.h"

#include <QSettings>
#include <QVariantMap>

QMap<QString, QString> RememberedFields::valuesOf(const QStringList &names)
{
    const QVariantMap kept = QSettings().value(QLatin1String(settingsKey)).toMap();
    QMap<QString, QString> values;
    for (const QString &name : names)
        values.insert(name, kept.value(name).toString());
    return values;
}

void RememberedFields::remember(const QMap<QString, QString> &values)
{
    QSettings settings;
    QVariantMap kept = settings.value(QLatin1String(settingsKey)).toMap();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        kept.insert(it.key(), it.value());
    settings.setValue(QLatin1String(settingsKey), kept);
}
