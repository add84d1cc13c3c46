#include "store/SignatureService.h"

#include "platform/RegularFile.h"
#include "store/AccountsMap.h"
#include "store/CopyWriter.h"
#include "store/ListFileWriter.h"
#include "store/MailChoice.h"
#include "store/MailFolders.h"
#include "store/SignatureApplier.h"
#include "store/SignatureCreator.h"
#include "store/SignatureLimits.h"
#include "store/SignatureListReader.h"
#include "store/SignaturePlan.h"
#include "store/SignatureRemover.h"
#include "store/WriteIntents.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringList>

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
    if (!signatures && QFileInfo::exists(store.listFile()))
        *failure = Failure{Failure::Kind::FolderUnreadable,
                           QStringLiteral("The list of signatures %1 cannot be read.").arg(store.listFile())};
    else if (!signatures)
        *failure = Failure{
            Failure::Kind::NotSetUp,
            QStringLiteral("No list of signatures in %1: make a signature in Mail first.").arg(store.folder)};
    return signatures;
}

// The local store's list, or why it cannot be used.
std::optional<QList<SignatureModel>> readLocal(std::optional<SignatureStore> *store,
                                               std::optional<Failure> *failure)
{
    const QString mail = MailFolders::mailFolder();
    if ((*failure = unlistable(mail, QStringLiteral("Mail folder")))) {
        // The user's own Library gets its Mail folder at Mail's first start.
        if (!QFileInfo::exists(mail) && MailFolders::isUsersOwnMailFolder())
            (*failure)->kind = Failure::Kind::NotSetUp;
        return std::nullopt;
    }
    const std::optional<QString> folder = MailFolders::signaturesFolder();
    if (!folder) {
        *failure =
            Failure{Failure::Kind::NotSetUp,
                    QStringLiteral("No version folder (such as V10) in the Mail folder %1.").arg(mail)};
        return std::nullopt;
    }
    *store = SignatureStore{SignatureStore::Kind::Local, *folder};
    return readList(**store, QStringLiteral("signatures folder"), failure);
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

    // Which accounts send each signature, by the maps of every store, and which each account chooses.
    QString unread;
    const MailChoice::Choices choices = MailChoice::read(&unread).value_or(MailChoice::Choices());
    for (const SignatureStore &store : service.m_stores) {
        for (const AccountsMap::Account &account : AccountsMap::read(store.folder)) {
            if (std::none_of(service.m_accounts.cbegin(), service.m_accounts.cend(),
                             [&](const Account &known) { return known.id == account.id; })) {
                const std::optional<QString> chosen = choices.value(account.id).signature;
                service.m_accounts.append({account.id, account.address(), chosen});
                const auto row = chosen ? rowOf.constFind(*chosen) : rowOf.constEnd();
                if (row != rowOf.constEnd())
                    service.m_entries[*row].signature.chosenFor.append(account.label());
            }
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
            copy.isReplacedSinceInsert = !copy.file.isEmpty() && CopyWriter::isReplaced(copy.file, newest);
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
    // A file that is a symbolic link is there but is neither read nor written: it fails, it is not missing.
    const auto linked = [failure](const Entry &entry) {
        if (entry.copies.isEmpty() || !entry.copies.first().store.linkOf(entry.signature.id))
            return false;
        *failure = {Failure::Kind::Failed, *entry.copies.first().store.fileProblem(entry.signature.id)};
        return true;
    };
    for (const Entry &entry : m_entries) {
        if (entry.signature.id == nameOrId && !entry.file().isEmpty())
            return entry;
        if (entry.signature.id == nameOrId && linked(entry))
            return std::nullopt;
    }
    for (const Qt::CaseSensitivity sensitivity : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        QList<const Entry *> named;
        for (const Entry &entry : m_entries) {
            if (entry.signature.name.compare(nameOrId, sensitivity) == 0)
                named.append(&entry);
        }
        if (named.size() == 1 && !named.first()->file().isEmpty())
            return *named.first();
        if (named.size() == 1 && linked(*named.first()))
            return std::nullopt;
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

SignatureService::Reading SignatureService::read(const Entry &entry, bool withData)
{
    if (entry.copies.isEmpty()) {
        Reading reading;
        reading.fault = QStringLiteral("The signature's file could not be read, so it was left as it is.");
        return reading;
    }
    return CopyWriter::readCopy(entry.copies.first(), withData);
}

std::optional<QByteArray> SignatureService::wouldWrite(const Entry &entry, const QString &html,
                                                       QString *failure, bool *unchanged,
                                                       const QList<SignatureImage> &images)
{
    return CopyWriter::wouldWrite(entry, html, failure, unchanged, images);
}

SignatureService::Outcome SignatureService::insert(const Entry &entry, const QString &html, bool lock,
                                                   const QList<SignatureImage> &images)
{
    return CopyWriter::insert(entry, html, lock, images);
}

SignatureService::Outcome SignatureService::restore(const Entry &entry, const KeptVersions::Version &version)
{
    return CopyWriter::restore(entry, version);
}

SignatureService::Outcome SignatureService::putBack(const Entry &entry)
{
    return CopyWriter::putBack(entry);
}

std::optional<QString> SignatureService::unlock(const Entry &entry)
{
    return CopyWriter::unlock(entry);
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
    return WriteIntents::recover() + SignaturePlan::recover();
}

std::optional<SignaturePlan> SignatureService::planApply(const ApplyRequest &request, Failure *failure) const
{
    return SignatureApplier::plan(*this, request, failure);
}

std::optional<QString> SignatureService::apply(const SignaturePlan &plan)
{
    return plan.run();
}

std::optional<QString> SignatureService::remove(const Entry &entry) const
{
    return SignatureRemover::remove(m_stores, entry);
}

std::optional<QString> SignatureService::restoreListFile(SignatureStore::Kind store, const QString &fileName,
                                                         const QByteArray &bytes) const
{
    if (fileName == QLatin1String(MailChoice::preferencesName))
        return MailChoice::restore(bytes);
    const auto target = std::find_if(m_stores.cbegin(), m_stores.cend(),
                                     [&](const SignatureStore &s) { return s.kind == store; });
    if (target == m_stores.cend())
        return QStringLiteral("That version's store is not there, so nothing was changed.");
    if (const std::optional<QString> failure = ListFileWriter::replace(*target, fileName, bytes))
        return failure;
    if (fileName == QLatin1String(ListFileWriter::allSignaturesName))
        return SignatureRemover::bringBackFiles(*target);
    return std::nullopt;
}

std::optional<SignatureService::Failure> SignatureService::create(const QString &name, const QString &html,
                                                                  const QStringList &addresses,
                                                                  Created *created,
                                                                  const QList<SignatureImage> &images) const
{
    return SignatureCreator::create(m_stores, m_entries, name, html, addresses, created, images);
}

QString SignatureService::replacedSentence(const QString &name)
{
    return QStringLiteral("Mail or another Mac replaced %1 after you inserted it.").arg(quoted(name));
}

QString SignatureService::notSetUpSentence()
{
    return QStringLiteral("Mail has not been set up for this user yet: run again after Mail's first start");
}

QString SignatureService::unchangedSentence(const QString &name, bool lockedAgain)
{
    return QStringLiteral("%1 already holds this HTML, so nothing was written%2.")
        .arg(quoted(name), lockedAgain ? QStringLiteral("; it was locked again") : QString());
}

QString SignatureService::leftOutSentence(const QList<SignatureImage> &parts)
{
    QStringList names;
    bool images = true;
    for (const SignatureImage &part : parts) {
        const QString name = !part.filename.isEmpty()    ? part.filename
                             : !part.contentId.isEmpty() ? QStringLiteral("cid:") + part.contentId
                                                         : QString::fromLatin1(part.type);
        if (!names.contains(name))
            names.append(name);
        images = images && part.type.startsWith("image/");
    }
    if (names.size() == 1)
        return QStringLiteral("The %1 %2 was left out: the new HTML does not show it. It is kept in the "
                              "version before this insert.")
            .arg(images ? QStringLiteral("image") : QStringLiteral("part"), names.first());
    const QString last = names.takeLast();
    return QStringLiteral("The %1 %2 and %3 were left out: the new HTML does not show them. They are kept in "
                          "the version before this insert.")
        .arg(images ? QStringLiteral("images") : QStringLiteral("parts"), names.join(QStringLiteral(", ")),
             last);
}
