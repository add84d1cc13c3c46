#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// Mail's preferences (the com.apple.mail domain) of the Library that holds
// the Mail folder in use, seen as dictionaries of texts under top-level keys.
// Every key and entry not named in a change is kept as it is.
class MailPreferences
{
public:
    virtual ~MailPreferences() = default;

    // Whether Mail keeps preferences here at all: not before its first start.
    virtual bool exists() const = 0;
    // Where they are, as a sentence names them.
    virtual QString location() const = 0;
    // The text entries of the dictionary under key (entries of other kinds
    // left out); empty without such a key; none, with the reason, when the
    // preferences cannot be read.
    virtual std::optional<QHash<QString, QString>> dictionary(const QString &key, QString *failure) const = 0;
    // All of them as one property list, for a kept version; none when there
    // are none yet.
    virtual std::optional<QByteArray> contents() const = 0;

    struct Change
    {
        QString key;
        QString entry;
        // None removes the entry.
        std::optional<QString> value;
    };
    // Sets each entry in the dictionary under its key; none when done,
    // otherwise what to tell the user.
    virtual std::optional<QString> change(const QList<Change> &changes) = 0;
};
