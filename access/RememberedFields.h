#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The values last given to a template's fields in the window, kept in the
// settings so the next template asks with them already filled in.
namespace RememberedFields {
// The remembered value of each of names; an empty one where none is kept.
QMap<QString, QString> valuesOf(const QStringList &names);

// Keeps values, replacing earlier values of the same fields and leaving the
// others.
void remember(const QMap<QString, QString> &values);

// The settings key of the whole map: field names may hold anything, even
// the settings' group separator.
inline constexpr const char *settingsKey = "TemplateFieldValues";
} // namespace RememberedFields
