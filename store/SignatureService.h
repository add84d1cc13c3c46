#pragma once

#include "store/AppleSignatureContent.h"
#include "store/KeptVersions.h"
#include "store/SignatureImage.h"
#include "store/SignatureModel.h"
#include "store/SignatureStore.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct SignaturePlan;

// The one way to Mail's signatures, for the window's engine and for mailsig
// alike: the stores found, the lists read and merged (a signature kept in
// both stores is one signature with two copies), and every read and write of
// a signature. A write acts on every copy, all or nothing. Sentences are the
// user's, ready to show.
class SignatureService
{
public:
    struct Copy
    {
        SignatureStore store;
        // Empty when the id could name something outside the folder.
        QString file;
        bool isLocked = false;
        bool isReplacedSinceInsert = false;
    };

    struct Entry
    {
        // Locked when every copy is; replaced when any copy is.
        SignatureModel signature;
        // The iCloud copy first: the one Mail syncs, and the one shown.
        QList<Copy> copies;

        QString file() const { return copies.isEmpty() ? QString() : copies.first().file; }
    };

    struct Failure
    {
        enum class Kind
        {
            Failed,
            NotFound,
            FolderUnreadable,
            // An address that names no account, or several.
            NoAccount,
            // Mail has not made its folders or its list yet.
            NotSetUp,
        };
        Kind kind = Kind::Failed;
        QString message;
        // The system refused to open a folder: access must be granted.
        bool denied = false;
    };

    // The file of a signature as read now: its bytes, the split, the decoded
    // HTML and the parts beside it, and what is wrong with it when it is not
    // a header and a UTF-8 body.
    struct Reading
    {
        std::optional<QByteArray> bytes;
        std::optional<AppleSignatureContent> content;
        std::optional<QString> html;
        QList<SignatureImage> parts;
        std::optional<QString> fault;

        // Whether the copy holds html already, and every one of images (by content id) among its parts.
        bool holds(const QString &html, const QList<SignatureImage> &images) const;
    };

    struct Outcome
    {
        Outcome(bool written = false, bool unchanged = false, std::optional<QString> failure = {})
            : written(written), unchanged(unchanged), failure(std::move(failure))
        {
        }

        // Some copy now holds new bytes (all of them, unless failure says otherwise).
        bool written = false;
        // Every copy already held what was asked: nothing was written.
        bool unchanged = false;
        std::optional<QString> failure;
        // Done, with something to tell: the image parts the new HTML no
        // longer shows, which were left out.
        std::optional<QString> notice;
    };

    // Finds the stores and reads their lists, afresh.
    static SignatureService load();

    // Why no store could be read; none when at least one was.
    const std::optional<Failure> &failure() const { return m_failure; }
    const QList<SignatureStore> &stores() const { return m_stores; }
    // Each store that is there but cannot be read, and why, in one sentence.
    const QList<Failure> &problems() const { return m_problems; }
    const QList<Entry> &entries() const { return m_entries; }

    // One of Mail's accounts, as the maps of the stores name it, and the
    // signature Mail's preferences choose for it.
    struct Account
    {
        QString id;
        std::optional<QString> address;
        std::optional<QString> chosen;
    };
    const QList<Account> &accounts() const { return m_accounts; }
    QList<SignatureModel> signatures() const;

    std::optional<Entry> entry(const QString &id) const;
    // A signature by its id, else by its exact name, else by its name in any
    // case; several with that name are refused with their ids.
    std::optional<Entry> find(const QString &nameOrId, Failure *failure) const;

    // The shown copy of entry.
    // Without withData its parts' bytes are not decoded.
    static Reading read(const Entry &entry, bool withData = true);
    // Puts html into every copy, each with its own header, and locks them
    // (unless lock is false). A copy's image parts that html names by cid:
    // are kept, the others left out (and told in the notice); images that
    // html names and the copy lacks become parts of it. HTML every copy
    // already holds, with those images, writes nothing.
    static Outcome insert(const Entry &entry, const QString &html, bool lock = true,
                          const QList<SignatureImage> &images = {});
    // The bytes an insert of html would write into the shown copy; none, with
    // the refusal in failure, when it would refuse. unchanged: every copy
    // already holds html, so the insert would write nothing.
    static std::optional<QByteArray> wouldWrite(const Entry &entry, const QString &html, QString *failure,
                                                bool *unchanged, const QList<SignatureImage> &images = {});
    // Writes a kept version back: byte for byte into the copy of its store,
    // its HTML into the others.
    static Outcome restore(const Entry &entry, const KeptVersions::Version &version);
    // Writes back, into every copy replaced since, what this program last wrote there.
    static Outcome putBack(const Entry &entry);
    // Keeps every copy as a version, then clears its flag.
    static std::optional<QString> unlock(const Entry &entry);
    // Every kept version of the signature, of every store, newest first.
    static QList<KeptVersions::Version> versions(const Entry &entry);
    // The newest version of the shown copy that differs from what it holds:
    // what undoes the last write.
    static std::optional<KeptVersions::Version> previousVersion(const Entry &entry);

    struct Created
    {
        QString id;
        QStringList files;
    };
    // Makes a new rich signature named name holding html (and the images it
    // names, as parts) in every store: its
    // file written and locked, its entry appended to each list, and its id
    // added to the account of each address. None when done; a name in use,
    // an address that names no account or several, is refused before
    // anything is written.
    std::optional<Failure> create(const QString &name, const QString &html, const QStringList &addresses,
                                  Created *created, const QList<SignatureImage> &images = {}) const;

    // What apply is asked: a signature named name holding html, among the
    // Signatures of the accounts of addresses ("all": every account), and
    // their choice when makeDefault.
    struct ApplyRequest
    {
        QString name;
        QString html;
        QStringList addresses;
        bool makeDefault = false;
        // The images html names that become parts of the signature.
        QList<SignatureImage> images;
    };
    // What apply has to do; an empty plan when all is as asked. None, with
    // the refusal, for an address that names no account or several, a name
    // that names several signatures, and Mail's preferences that cannot be read.
    std::optional<SignaturePlan> planApply(const ApplyRequest &request, Failure *failure) const;
    // Carries the plan out across the stores as one recorded intent; none when done.
    static std::optional<QString> apply(const SignaturePlan &plan);
    // Takes the signature out of Mail's choice, every account and every
    // list, then removes its files, each file kept as a version first.
    std::optional<QString> remove(const Entry &entry) const;
    // Writes a kept version of a list file (or of Mail's preferences) back;
    // a restored list gets back the files of the signatures it names.
    std::optional<QString> restoreListFile(SignatureStore::Kind store, const QString &fileName,
                                           const QByteArray &bytes) const;

    // Finishes writes, and changes across the stores, that a killed program
    // left; a sentence for each.
    static QList<QString> recoverInterruptedWrites();

    // "Mail or another Mac replaced "Work" after you inserted it."
    static QString replacedSentence(const QString &name);
    // lockedAgain: the insert locked a copy that was not locked.
    static QString unchangedSentence(const QString &name, bool lockedAgain);
    // What new and apply say where Mail has no folders or list yet.
    static QString notSetUpSentence();
    // "The image logo.png was left out: the new HTML does not show it. ..."
    static QString leftOutSentence(const QList<SignatureImage> &parts);

private:
    std::optional<Failure> m_failure;
    QList<SignatureStore> m_stores;
    QList<Failure> m_problems;
    QList<Entry> m_entries;
    QList<Account> m_accounts;
};
