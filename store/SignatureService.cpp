#include "store/SignatureService.h"

#include "platform/FileFlags.h"
#include "platform/Platform.h"
#include "platform/RegularFile.h"
#include "store/AccountsMap.h"
#include "store/Diagnostics.h"
#include "store/ListFileWriter.h"
#include "store/MailFolders.h"
#include "store/SignatureFileFormat.h"
#include "store/SignatureLimits.h"
#include "store/SignatureListReader.h"
#include "store/SignatureWriter.h"
#include "store/WriteIntents.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStringList>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <future>

namespace {

using Failure = SignatureService::Failure;

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

// None when folder can be listed; otherwise what stands in the way.
std::optional<Failure> unlistable(const QString &folder, const QString &what)
{
    if (DIR *dir = ::opendir(QFile::encodeName(folder).constData())) {
        ::closedir(dir);
        return std::nullopt;
    }
    const int cause = errno;
    if (cause == ENOENT || cause == ENOTDIR)
        return Failure{Failure::Kind::FolderUnreadable, QStringLiteral("No %1 at %2.").arg(what, folder)};
    return Failure{Failure::Kind::FolderUnreadable,
                   QStringLiteral("The %1 %2 cannot be read: %3.")
                       .arg(what, folder, QString::fromLocal8Bit(std::strerror(cause))),
                   cause == EACCES || cause == EPERM};
}

// The signatures of one store's list, or why there are none.
std::optional<QList<SignatureModel>> readList(const SignatureStore &store, const QString &what,
                                              std::optional<Failure> *failure)
{
    if ((*failure = unlistable(store.folder, what)))
        return std::nullopt;
    std::optional<QList<SignatureModel>> signatures = SignatureListReader::read(store.listFile());
    if (!signatures) {
        *failure =
            Failure{Failure::Kind::FolderUnreadable,
                    QFileInfo::exists(store.listFile())
                        ? QStringLiteral("The list of signatures %1 cannot be read.").arg(store.listFile())
                        : QStringLiteral("No list of signatures in %1: make a signature in Mail first.")
                              .arg(store.folder)};
    }
    return signatures;
}

// The local store's list, or why it cannot be used.
std::optional<QList<SignatureModel>> readLocal(std::optional<SignatureStore> *store,
                                               std::optional<Failure> *failure)
{
    const QString mail = MailFolders::mailFolder();
    if ((*failure = unlistable(mail, QStringLiteral("Mail folder"))))
        return std::nullopt;
    const std::optional<QString> folder = MailFolders::signaturesFolder();
    if (!folder) {
        *failure =
            Failure{Failure::Kind::FolderUnreadable,
                    QStringLiteral("No version folder (such as V10) in the Mail folder %1.").arg(mail)};
        return std::nullopt;
    }
    *store = SignatureStore{SignatureStore::Kind::Local, *folder};
    return readList(**store, QStringLiteral("signatures folder"), failure);
}

SignatureWriter::Target targetOf(const SignatureService::Entry &entry, const SignatureService::Copy &copy)
{
    return {entry.signature.id, entry.signature.name, copy.store};
}

// Names the copy a sentence is about, when there is more than one.
QString aboutCopy(const SignatureService::Entry &entry, const SignatureService::Copy &copy,
                  const QString &sentence)
{
    if (entry.copies.size() < 2)
        return sentence;
    QString copyName = SignatureStore::copyName(copy.store.kind);
    copyName[0] = copyName[0].toUpper();
    return copyName + QStringLiteral(": ") + sentence;
}

bool isReplaced(const QString &file, const std::optional<KeptVersions::Version> &inserted)
{
    if (!inserted)
        return false;
    // Sizes first: a list of a thousand signatures is checked at every load.
    if (QFileInfo(file).size() != QFileInfo(inserted->file).size())
        return true;
    const std::optional<QByteArray> now = RegularFile::read(file, SignatureLimits::maximumFileSize);
    return !now || now != KeptVersions::read(inserted->file);
}

struct Plan
{
    SignatureService::Copy copy;
    QByteArray bytes;
};

// Writes each plan's bytes into its copy; on the first copy that cannot be
// written, puts back the ones already written, locked as they were. What was
// written is kept as an inserted version, so a later replacement is seen.
SignatureService::Outcome writeAll(const SignatureService::Entry &entry, const QList<Plan> &plans, bool lock)
{
    struct Written
    {
        const Plan *plan;
        QByteArray old;
        bool wasLocked;
    };
    QList<Written> written;
    QList<QString> warnings;
    const FileFlags &flags = Platform::fileFlags();
    for (const Plan &plan : plans) {
        const SignatureService::Copy &copy = plan.copy;
        const std::optional<QByteArray> old = RegularFile::read(copy.file, SignatureLimits::maximumFileSize);
        const bool wasLocked = flags.isImmutable(copy.file);
        const SignatureWriter::Outcome outcome =
            SignatureWriter::replace(targetOf(entry, copy), plan.bytes, lock);
        if (!outcome.written) {
            QString failure = aboutCopy(entry, copy, outcome.failure.value_or(QString()));
            bool putBack = true;
            for (auto done = written.crbegin(); done != written.crend(); ++done) {
                const SignatureWriter::Outcome undone =
                    SignatureWriter::replace(targetOf(entry, done->plan->copy), done->old, done->wasLocked);
                putBack = putBack && undone.written && !undone.failure;
            }
            if (!written.isEmpty())
                failure +=
                    putBack ? QStringLiteral(" The other copy was put back as it was.")
                            : QStringLiteral(" The other copy could not be put back: its versions are kept.");
            return {false, false, failure};
        }
        if (outcome.failure)
            warnings.append(aboutCopy(entry, copy, *outcome.failure));
        written.append({&plan, old.value_or(QByteArray()), wasLocked});
    }
    for (const Plan &plan : plans) {
        QString error;
        if (!KeptVersions::keep(entry.signature.id, plan.copy.store.kind, plan.bytes,
                                KeptVersions::Kind::Inserted, &error))
            Diagnostics::print(
                QStringLiteral("Failed to keep what was written to %1: %2").arg(plan.copy.file, error));
    }
    SignatureService::Outcome outcome{true, false, std::nullopt};
    if (!warnings.isEmpty())
        outcome.failure = warnings.join(u' ');
    return outcome;
}

std::optional<QString> missingFile(const SignatureService::Entry &entry)
{
    if (entry.copies.isEmpty())
        return QStringLiteral("The signature's file could not be found.");
    for (const SignatureService::Copy &copy : entry.copies) {
        if (copy.file.isEmpty())
            return QStringLiteral("The signature's file could not be found.");
        if (!QFileInfo::exists(copy.file))
            return aboutCopy(entry, copy, QStringLiteral("The signature's file no longer exists."));
    }
    return std::nullopt;
}

SignatureService::Reading readCopy(const SignatureService::Copy &copy)
{
    SignatureService::Reading reading;
    reading.bytes =
        copy.file.isEmpty() ? std::nullopt : RegularFile::read(copy.file, SignatureLimits::maximumFileSize);
    if (!reading.bytes) {
        reading.fault = QStringLiteral("The signature's file could not be read, so it was left as it is.");
        return reading;
    }
    const std::optional<QString> text = SignatureFileFormat::decodeUtf8(*reading.bytes);
    if (!text) {
        reading.fault = QStringLiteral("The signature's file is not UTF-8 text, so it was left as it is.");
        return reading;
    }
    reading.content = SignatureFileFormat::split(*text);
    if (!reading.content) {
        reading.fault = QStringLiteral(
            "The signature's file has no empty line after its header, so it was left as it is.");
        return reading;
    }
    reading.html = SignatureFileFormat::decodedBody(*reading.content);
    return reading;
}

} // namespace

SignatureService SignatureService::load()
{
    SignatureService service;
    std::optional<SignatureStore> iCloud;
    const MailFolders::ICloudSignatures found = MailFolders::findICloudSignatures();
    if (found.folder)
        iCloud = SignatureStore{SignatureStore::Kind::ICloud, *found.folder};
    // The two lists are read at once, on two threads: reading one is most of
    // a load, and a second store should not make the load take twice as long.
    // Nothing the iCloud read touches is shared but the immutable-flag
    // reader, which holds no state.
    std::optional<Failure> iCloudFailure;
    std::future<std::optional<QList<SignatureModel>>> iCloudRead;
    if (iCloud) {
        iCloudRead = std::async(std::launch::async, [store = *iCloud, &iCloudFailure] {
            return readList(store, QStringLiteral("iCloud Drive signatures folder"), &iCloudFailure);
        });
    }
    std::optional<SignatureStore> local;
    std::optional<Failure> localFailure;
    const std::optional<QList<SignatureModel>> localList = readLocal(&local, &localFailure);
    const std::optional<QList<SignatureModel>> iCloudList = iCloud ? iCloudRead.get() : std::nullopt;
    if (iCloud && !iCloudList) {
        service.m_problems.append(*iCloudFailure);
    } else if (found.olderLayout) {
        service.m_problems.append(
            Failure{Failure::Kind::FolderUnreadable,
                    QStringLiteral("Mail's signatures in iCloud Drive are kept as an older "
                                   "macOS kept them, which this program does not support.")});
    }
    if (!localList && !iCloudList) {
        service.m_failure = localFailure;
        return service;
    }
    if (!localList && localFailure)
        service.m_problems.prepend(*localFailure);

    QHash<QString, qsizetype> rowOf;
    const auto add = [&](const SignatureStore &store, const QList<SignatureModel> &signatures) {
        service.m_stores.append(store);
        for (const SignatureModel &signature : signatures) {
            Copy copy{store, store.fileOf(signature.id).value_or(QString()), signature.isFileLocked, false};
            // The same id twice in one list is one signature; a second store adds a copy.
            const auto row = rowOf.constFind(signature.id);
            if (row == rowOf.constEnd()) {
                rowOf.insert(signature.id, service.m_entries.size());
                service.m_entries.append(Entry{signature, {copy}});
            } else if (service.m_entries[*row].copies.constLast().store.kind != store.kind) {
                service.m_entries[*row].copies.append(copy);
            }
        }
    };
    if (iCloudList)
        add(*iCloud, *iCloudList);
    if (localList)
        add(*local, *localList);

    // Which accounts send each signature, by the maps of every store.
    for (const SignatureStore &store : service.m_stores) {
        for (const AccountsMap::Account &account : AccountsMap::read(store.folder)) {
            for (const QString &id : account.signatures) {
                const auto row = rowOf.constFind(id);
                QStringList *accounts =
                    row == rowOf.constEnd() ? nullptr : &service.m_entries[*row].signature.accounts;
                if (accounts && !accounts->contains(account.label()))
                    accounts->append(account.label());
            }
        }
    }
    // Most signatures were never written by this program: one listing tells which were.
    const QSet<QString> kept = KeptVersions::keptIds();
    for (Entry &entry : service.m_entries) {
        SignatureModel &signature = entry.signature;
        signature.isFileLocked = true;
        for (Copy &copy : entry.copies) {
            signature.isFileLocked = signature.isFileLocked && copy.isLocked;
            signature.isInICloud = signature.isInICloud || copy.store.kind == SignatureStore::Kind::ICloud;
            const std::optional<KeptVersions::Version> newest =
                kept.contains(signature.id) ? KeptVersions::lastInserted(signature.id, copy.store.kind)
                                            : std::nullopt;
            copy.isReplacedSinceInsert = !copy.file.isEmpty() && isReplaced(copy.file, newest);
            signature.isReplacedSinceInsert = signature.isReplacedSinceInsert || copy.isReplacedSinceInsert;
        }
    }
    return service;
}

QList<SignatureModel> SignatureService::signatures() const
{
    QList<SignatureModel> signatures;
    signatures.reserve(m_entries.size());
    for (const Entry &entry : m_entries)
        signatures.append(entry.signature);
    return signatures;
}

std::optional<SignatureService::Entry> SignatureService::entry(const QString &id) const
{
    for (const Entry &entry : m_entries) {
        if (entry.signature.id == id)
            return entry;
    }
    return std::nullopt;
}

std::optional<SignatureService::Entry> SignatureService::find(const QString &nameOrId, Failure *failure) const
{
    for (const Entry &entry : m_entries) {
        if (entry.signature.id == nameOrId && !entry.file().isEmpty())
            return entry;
    }
    for (const Qt::CaseSensitivity sensitivity : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        QList<const Entry *> named;
        for (const Entry &entry : m_entries) {
            if (entry.signature.name.compare(nameOrId, sensitivity) == 0)
                named.append(&entry);
        }
        if (named.size() == 1 && !named.first()->file().isEmpty())
            return *named.first();
        if (named.size() == 1) {
            *failure = {Failure::Kind::NotFound,
                        QStringLiteral("The signature \"%1\" has an id that names no file in the signatures "
                                       "folder: %2")
                            .arg(nameOrId, named.first()->signature.id)};
            return std::nullopt;
        }
        if (named.size() > 1) {
            QStringList ids;
            for (const Entry *entry : named)
                ids.append(entry->signature.id);
            *failure = {Failure::Kind::NotFound,
                        QStringLiteral("\"%1\" names %2 signatures (%3): give its id instead.")
                            .arg(nameOrId)
                            .arg(named.size())
                            .arg(ids.join(QStringLiteral(", ")))};
            return std::nullopt;
        }
    }
    *failure = {Failure::Kind::NotFound,
                QStringLiteral("No signature is named \"%1\" or has that id; mailsig list shows them.")
                    .arg(nameOrId)};
    return std::nullopt;
}

SignatureService::Reading SignatureService::read(const Entry &entry)
{
    if (entry.copies.isEmpty()) {
        Reading reading;
        reading.fault = QStringLiteral("The signature's file could not be read, so it was left as it is.");
        return reading;
    }
    return readCopy(entry.copies.first());
}

namespace {

// What an insert of html writes into each copy, each under its own header;
// none, with the refusal, when any copy cannot take it.
std::optional<QList<Plan>> planInsert(const SignatureService::Entry &entry, const QString &html,
                                      bool *unchanged, QString *failure)
{
    if (const std::optional<QString> missing = missingFile(entry)) {
        *failure = *missing;
        return std::nullopt;
    }
    QList<Plan> plans;
    *unchanged = true;
    for (const SignatureService::Copy &copy : entry.copies) {
        const SignatureService::Reading reading = readCopy(copy);
        // Writing a header that did not split off would destroy the file's own.
        if (reading.fault) {
            *failure = aboutCopy(entry, copy, *reading.fault);
            return std::nullopt;
        }
        const std::optional<QByteArray> bytes = SignatureFileFormat::compose(reading.content->header, html);
        if (!bytes) {
            *failure =
                aboutCopy(entry, copy,
                          QStringLiteral("The signature's file has a header this program cannot read, so "
                                         "it was left as it is."));
            return std::nullopt;
        }
        *unchanged = *unchanged && reading.html == html;
        plans.append({copy, *bytes});
    }
    return plans;
}

} // namespace

std::optional<QByteArray> SignatureService::wouldWrite(const Entry &entry, const QString &html,
                                                       QString *failure)
{
    bool unchanged = false;
    const std::optional<QList<Plan>> plans = planInsert(entry, html, &unchanged, failure);
    return plans ? std::optional(plans->first().bytes) : std::nullopt;
}

SignatureService::Outcome SignatureService::insert(const Entry &entry, const QString &html, bool lock)
{
    bool unchanged = false;
    QString failure;
    const std::optional<QList<Plan>> plans = planInsert(entry, html, &unchanged, &failure);
    if (!plans)
        return {false, false, failure};
    if (unchanged) {
        // Nothing to write; a lock asked for is still a lock the user expects.
        bool locked = true;
        for (const Copy &copy : entry.copies) {
            if (lock && !Platform::fileFlags().isImmutable(copy.file))
                locked = Platform::fileFlags().setImmutable(copy.file, true) && locked;
        }
        return {false, true,
                locked
                    ? std::nullopt
                    : std::optional<QString>(QStringLiteral("The signature could not be locked, so Mail may "
                                                            "change it."))};
    }
    return writeAll(entry, *plans, lock);
}

SignatureService::Outcome SignatureService::restore(const Entry &entry, const KeptVersions::Version &version)
{
    const std::optional<QByteArray> bytes = KeptVersions::read(version.file);
    if (!bytes)
        return {false, false, QStringLiteral("That version could not be read, so nothing was changed.")};
    if (const std::optional<QString> missing = missingFile(entry))
        return {false, false, missing};
    const std::optional<AppleSignatureContent> kept = SignatureFileFormat::parse(*bytes);
    const std::optional<QString> html = kept ? SignatureFileFormat::decodedBody(*kept) : std::nullopt;
    QList<Plan> plans;
    for (const Copy &copy : entry.copies) {
        if (copy.store.kind == version.store) {
            plans.append({copy, *bytes});
            continue;
        }
        // Another store's copy keeps its own header and takes the version's HTML.
        const Reading reading = readCopy(copy);
        const std::optional<QByteArray> composed =
            html && reading.content ? SignatureFileFormat::compose(reading.content->header, *html)
                                    : std::nullopt;
        if (composed)
            plans.append({copy, *composed});
    }
    return writeAll(entry, plans, true);
}

SignatureService::Outcome SignatureService::putBack(const Entry &entry)
{
    QList<Plan> plans;
    for (const Copy &copy : entry.copies) {
        if (!copy.isReplacedSinceInsert)
            continue;
        const std::optional<KeptVersions::Version> inserted =
            KeptVersions::lastInserted(entry.signature.id, copy.store.kind);
        const std::optional<QByteArray> bytes = inserted ? KeptVersions::read(inserted->file) : std::nullopt;
        if (!bytes)
            return {
                false, false,
                aboutCopy(entry, copy,
                          QStringLiteral("What was inserted could not be read, so nothing was changed."))};
        plans.append({copy, *bytes});
    }
    if (plans.isEmpty())
        return {false, true, std::nullopt};
    return writeAll(entry, plans, true);
}

std::optional<QString> SignatureService::unlock(const Entry &entry)
{
    if (const std::optional<QString> missing = missingFile(entry))
        return missing;
    QList<const Copy *> unlocked;
    for (const Copy &copy : entry.copies) {
        const bool wasLocked = Platform::fileFlags().isImmutable(copy.file);
        if (const std::optional<QString> failure = SignatureWriter::unlock(targetOf(entry, copy))) {
            // Half unlocked is no state the user asked for: the others are locked again.
            for (const Copy *done : unlocked)
                Platform::fileFlags().setImmutable(done->file, true);
            return aboutCopy(entry, copy, *failure);
        }
        if (wasLocked)
            unlocked.append(&copy);
    }
    return std::nullopt;
}

QList<KeptVersions::Version> SignatureService::versions(const Entry &entry)
{
    return KeptVersions::list(entry.signature.id);
}

std::optional<KeptVersions::Version> SignatureService::previousVersion(const Entry &entry)
{
    if (entry.copies.isEmpty())
        return std::nullopt;
    const Copy &shown = entry.copies.first();
    const std::optional<QByteArray> now = RegularFile::read(shown.file, SignatureLimits::maximumFileSize);
    for (const KeptVersions::Version &version : KeptVersions::list(entry.signature.id, shown.store.kind)) {
        if (KeptVersions::read(version.file) != now)
            return version;
    }
    return std::nullopt;
}

QList<QString> SignatureService::recoverInterruptedWrites()
{
    return WriteIntents::recover();
}

std::optional<SignatureService::Failure> SignatureService::create(const QString &name, const QString &html,
                                                                  const QStringList &addresses,
                                                                  Created *created) const
{
    if (name.trimmed().isEmpty())
        return Failure{Failure::Kind::Failed, QStringLiteral("A signature needs a name.")};
    for (const Entry &entry : m_entries) {
        if (canonicallyEqual(entry.signature.name, name))
            return Failure{
                Failure::Kind::NotFound,
                QStringLiteral("A signature named %1 exists: insert into it, or choose another name.")
                    .arg(quoted(name))};
    }
    // Each address names one account (by its id, which both stores share).
    QList<QString> accountIds;
    for (const QString &address : addresses) {
        QStringList matches, known;
        for (const SignatureStore &store : m_stores) {
            for (const AccountsMap::Account &account : AccountsMap::read(store.folder)) {
                if (!known.contains(account.label()))
                    known.append(account.label());
                if (account.label().compare(address, Qt::CaseInsensitive) == 0 &&
                    !matches.contains(account.id))
                    matches.append(account.id);
            }
        }
        if (matches.size() != 1)
            return Failure{
                Failure::Kind::NotFound,
                QStringLiteral("%1 %2; the accounts are: %3.")
                    .arg(address,
                         matches.isEmpty() ? QStringLiteral("names no account")
                                           : QStringLiteral("names %1 accounts").arg(matches.size()),
                         known.isEmpty() ? QStringLiteral("none") : known.join(QStringLiteral(", ")))};
        accountIds.append(matches.first());
    }
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    // The header Mail gives a signature it makes.
    const QString header =
        QStringLiteral("Content-Transfer-Encoding: quoted-printable\nContent-Type: text/html;\n"
                       "\tcharset=utf-8\nMessage-Id: <%1>\nMime-Version: 1.0 (Mac OS X Mail 16.0 "
                       "\\(3826.400.131.1.6\\))")
            .arg(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
    const std::optional<QByteArray> bytes = SignatureFileFormat::compose(header, html);
    if (!bytes)
        return Failure{Failure::Kind::Failed, QStringLiteral("The HTML could not be encoded.")};
    *created = Created{id, {}};
    // The files first: a list never names a file that is not there yet.
    for (const SignatureStore &store : m_stores) {
        const QString file = *store.fileOf(id);
        QSaveFile save(file);
        if (!save.open(QIODevice::WriteOnly) || save.write(*bytes) != bytes->size() || !save.commit())
            return Failure{Failure::Kind::Failed,
                           QStringLiteral("%1 could not be saved: %2.").arg(file, save.errorString())};
        RegularFile::syncFolder(store.folder);
        if (!Platform::fileFlags().setImmutable(file, true))
            return Failure{
                Failure::Kind::Failed,
                QStringLiteral("%1 was saved but could not be locked, so Mail may change it.").arg(file)};
        created->files.append(file);
    }
    for (const SignatureStore &store : m_stores) {
        if (const std::optional<QString> failure = ListFileWriter::appendSignature(store, id, name))
            return Failure{Failure::Kind::Failed, *failure};
        const QList<AccountsMap::Account> accounts = AccountsMap::read(store.folder);
        for (const QString &accountId : accountIds) {
            const bool here =
                std::any_of(accounts.cbegin(), accounts.cend(),
                            [&](const AccountsMap::Account &account) { return account.id == accountId; });
            if (!here)
                continue;
            if (const std::optional<QString> failure = ListFileWriter::addToAccount(store, accountId, id))
                return Failure{Failure::Kind::Failed, *failure};
        }
    }
    return std::nullopt;
}

QString SignatureService::replacedSentence(const QString &name)
{
    return QStringLiteral("Mail or another Mac replaced %1 after you inserted it.").arg(quoted(name));
}

QString SignatureService::unchangedSentence(const QString &name)
{
    return QStringLiteral("%1 already holds this HTML, so nothing was written.").arg(quoted(name));
}
