#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Which of Mail's accounts uses which signatures: AccountsMap.plist beside
// AllSignatures.plist, a dictionary keyed by account id whose entries hold
// "AccountURL" and "Signatures" (an array of signature ids).
namespace AccountsMap {
struct Account
{
    QString id;
    QString url;
    QStringList signatures;

    // The address in the account's URL (imap://jane%40example.com@host/),
    // or none for a URL that holds none (an opaque ews://…).
    std::optional<QString> address() const;
    // How the user knows it: the address, else the account's id.
    QString label() const { return address().value_or(id); }
};

// The accounts of the map file in signaturesFolder; empty when there is none
// or it cannot be read (Mail then has no signature chosen for any account).
QList<Account> read(const QString &signaturesFolder);

// The word that names every account instead of an address.
inline constexpr const char *everyAccount = "all";
// The id of the account each address names (by its label, in any case) in
// the maps of these signatures folders, each id once; everyAccount names
// every account there. None, with the sentence, for an address that names
// no account or several.
std::optional<QStringList> idsOf(const QStringList &addresses, const QStringList &signaturesFolders,
                                 QString *failure);
} // namespace AccountsMap
