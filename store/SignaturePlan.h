#pragma once

#include "store/MailChoice.h"
#include "store/SignatureService.h"
#include "store/SignatureStore.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// What one `new` or `apply` makes and changes across the stores, carried out
// as one intent: recorded durably before the first change, and cleared after
// the last. New files first, then the HTML of the copies there are, the
// lists, the accounts and Mail's choice, so a list never names a file that
// is not there. A run that fails takes back what it did; after a kill, the
// next start finishes a plan whose new files are whole and takes back one
// whose files are not.
struct SignaturePlan
{
    QString id;
    QString name;

    // The signature's file in a store that lacks it, and its entry in that store's list.
    struct NewFile
    {
        SignatureStore store;
        QString file;
        QByteArray bytes;
        // Of bytes: what a recovery finds the file whole by.
        QByteArray digest;
    };
    QList<NewFile> made;

    // The copies the signature has, and what each needs.
    enum class CopyChange
    {
        None,
        // It holds the HTML but is not locked.
        Lock,
        Insert,
    };
    SignatureService::Entry entry;
    QList<CopyChange> copyChanges; // by entry.copies
    // Written into every copy of entry when any needs a change, with the images it names.
    std::optional<QString> html;
    QList<SignatureImage> images;

    // An account of a store's map whose Signatures lack the signature.
    struct AccountChange
    {
        SignatureStore store;
        QString account;
    };
    QList<AccountChange> accounts;
    // The accounts whose choice becomes the signature, each with the entries it had.
    MailChoice::Choices chosen;
    // How the user knows each account named, by id.
    QHash<QString, QString> labels;

    bool isEmpty() const { return made.isEmpty() && !html && accounts.isEmpty() && chosen.isEmpty(); }
    // Carries the plan out; none when done, otherwise the failure, with what was done taken back.
    std::optional<QString> run() const;
    // Finishes or takes back the plans a killed run left; a sentence for each.
    static QList<QString> recover();

    QByteArray toJson() const;
    static std::optional<SignaturePlan> fromJson(const QByteArray &json);
};
