#include "store/SignatureApplier.h"

#include "store/AccountsMap.h"
#include "store/CopyWriter.h"
#include "store/SignatureCreator.h"
#include "store/SignatureName.h"
#include "store/WriteIntents.h"

#include <algorithm>

namespace {

using Failure = SignatureService::Failure;
using Plan = SignaturePlan;

// The signature the request names, found as every command finds one; none, with failure unset, when no
// signature has that name (or id) in any case.
std::optional<SignatureService::Entry> named(const SignatureService &service, const QString &name,
                                             Failure *failure)
{
    const QList<SignatureService::Entry> &entries = service.entries();
    if (std::none_of(entries.cbegin(), entries.cend(), [&](const SignatureService::Entry &entry) {
            return entry.signature.id == name || entry.signature.name.compare(name, Qt::CaseInsensitive) == 0;
        }))
        return std::nullopt;
    const std::optional<SignatureService::Entry> entry = service.find(name, failure);
    if (!entry)
        failure->kind = Failure::Kind::NotFound;
    return entry;
}

} // namespace

std::optional<SignaturePlan> SignatureApplier::plan(const SignatureService &service,
                                                    const SignatureService::ApplyRequest &request,
                                                    Failure *failure)
{
    QStringList folders;
    for (const SignatureStore &store : service.stores())
        folders.append(store.folder);
    QString sentence;
    const std::optional<QStringList> accountIds = AccountsMap::idsOf(request.addresses, folders, &sentence);
    if (!accountIds) {
        *failure = {Failure::Kind::NoAccount, sentence};
        return std::nullopt;
    }
    Plan plan;
    *failure = {Failure::Kind::Failed, QString()};
    if (const std::optional<SignatureService::Entry> entry = named(service, request.name, failure)) {
        plan.entry = *entry;
        plan.id = entry->signature.id;
        plan.name = entry->signature.name;
        for (const SignatureService::Copy &copy : entry->copies) {
            const SignatureService::Reading reading = CopyWriter::readCopy(copy, false);
            // An image to embed that the copy lacks is a change of its own.
            const Plan::CopyChange change = !reading.holds(request.html, request.images)
                                                ? Plan::CopyChange::Insert
                                            : copy.isLocked ? Plan::CopyChange::None
                                                            : Plan::CopyChange::Lock;
            plan.copyChanges.append(change);
            if (change != Plan::CopyChange::None) {
                plan.html = request.html;
                plan.images = request.images;
            }
        }
    } else if (!failure->message.isEmpty()) {
        return std::nullopt;
    } else if (const std::optional<Failure> refused =
                   SignatureName::refusal(request.name, service.entries())) {
        *failure = *refused;
        return std::nullopt;
    } else {
        plan.id = SignatureCreator::newId();
        plan.name = request.name;
    }
    // Made in each store that lacks it.
    std::optional<QByteArray> bytes;
    for (const SignatureStore &store : service.stores()) {
        if (std::any_of(plan.entry.copies.cbegin(), plan.entry.copies.cend(),
                        [&](const SignatureService::Copy &copy) { return copy.store.kind == store.kind; }))
            continue;
        if (!bytes && !(bytes = SignatureCreator::newFile(request.html, request.images))) {
            *failure = {Failure::Kind::Failed, QStringLiteral("The HTML could not be encoded.")};
            return std::nullopt;
        }
        plan.made.append(
            {store, store.fileOf(plan.id).value_or(QString()), *bytes, WriteIntents::digest(*bytes)});
    }
    for (const SignatureStore &store : service.stores()) {
        for (const AccountsMap::Account &account : AccountsMap::read(store.folder)) {
            if (!accountIds->contains(account.id))
                continue;
            plan.labels.insert(account.id, account.label());
            if (!account.signatures.contains(plan.id))
                plan.accounts.append({store, account.id});
        }
    }
    if (!request.makeDefault)
        return plan;
    if (!MailChoice::isSetUp()) {
        *failure = {Failure::Kind::NotSetUp, SignatureService::notSetUpSentence()};
        return std::nullopt;
    }
    const std::optional<MailChoice::Choices> choices = MailChoice::read(&sentence);
    if (!choices) {
        *failure = {Failure::Kind::Failed, sentence};
        return std::nullopt;
    }
    for (const QString &accountId : *accountIds) {
        if (const MailChoice::Choice now = choices->value(accountId); now != MailChoice::of(plan.id))
            plan.chosen.insert(accountId, now);
    }
    return plan;
}
