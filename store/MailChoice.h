#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

// Which signature Mail sends for each account, as Mail's preferences say:
// SignaturesSelected maps an account's id to a signature's id, and
// SignatureSelectionMethods maps it to how Mail picks one ("SelectedOnly":
// always the selected one). Those of the Library that holds the Mail folder
// in use, through MailPreferences; kept as a version before every change.
namespace MailChoice {
// The name the versions of Mail's preferences are kept under.
inline constexpr const char *preferencesName = "com.apple.mail.plist";

// One account's two entries, as they are; none where an entry is missing.
struct Choice
{
    std::optional<QString> signature;
    std::optional<QString> method;

    friend bool operator==(const Choice &, const Choice &) = default;
};
using Choices = QHash<QString, Choice>; // by account id

// The entries a choice of signatureId has.
Choice of(const QString &signatureId);

// Whether Mail keeps preferences here: not before its first start.
bool isSetUp();
// Every account's entries; none, with the reason, when they cannot be read.
std::optional<Choices> read(QString *failure);
// Sets the entries of each account in choices (a missing entry removed),
// Mail's preferences kept as a version first; none when done.
std::optional<QString> write(const Choices &choices);
// Puts back the entries of every account as the kept version holds them.
std::optional<QString> restore(const QByteArray &version);
} // namespace MailChoice
