#include "store/SignaturePlan.h"

#include "base/Diagnostics.h"
#include "platform/FileFlags.h"
#include "platform/Platform.h"
#include "platform/RegularFile.h"
#include "platform/RunningApplications.h"
#include "store/KeptVersions.h"
#include "store/ListFileWriter.h"
#include "store/PlanRecord.h"
#include "store/SignatureLimits.h"
#include "store/WriteIntents.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

using Plan = SignaturePlan;

// The accounts of each store the plan adds the signature to.
QList<std::pair<SignatureStore, QStringList>> accountsByStore(const Plan &plan)
{
    QList<std::pair<SignatureStore, QStringList>> stores;
    for (const Plan::AccountChange &change : plan.accounts) {
        const auto same = [&](const auto &store) { return store.first == change.store; };
        if (std::none_of(stores.cbegin(), stores.cend(), same))
            stores.append({change.store, {}});
        std::find_if(stores.begin(), stores.end(), same)->second.append(change.account);
    }
    return stores;
}

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

// Mail rewrites its lists when it quits: they are finished only while it is closed.
bool mailRuns()
{
    return Platform::runningApplications().countWithBundleIdentifier(QStringLiteral("com.apple.mail")) > 0;
}

std::optional<QString> writeNewFiles(const Plan &plan)
{
    const FileFlags &flags = Platform::fileFlags();
    for (const Plan::NewFile &made : plan.made) {
        QString error;
        // A file of that id the list does not name is kept before it is replaced.
        if (const std::optional<QByteArray> old =
                RegularFile::read(made.file, SignatureLimits::maximumFileSize);
            old && (!KeptVersions::keep(plan.id, made.store.kind, *old, KeptVersions::Kind::Kept, &error) ||
                    !flags.setImmutable(made.file, false)))
            return QStringLiteral("%1 is there already and could not be kept first, so nothing was changed.")
                .arg(made.file);
        if (!RegularFile::replace(made.file, made.bytes, &error))
            return QStringLiteral("%1 could not be saved: %2.").arg(made.file, error);
        if (!flags.setImmutable(made.file, true))
            return QStringLiteral("%1 was saved but could not be locked, so Mail may change it.")
                .arg(made.file);
    }
    return std::nullopt;
}

// What comes after the files, each step left as it is where it is done already.
std::optional<QString> finish(const Plan &plan)
{
    for (const Plan::NewFile &made : plan.made) {
        if (const std::optional<QString> failure =
                ListFileWriter::appendSignature(made.store, plan.id, plan.name))
            return failure;
    }
    for (const auto &[store, accounts] : accountsByStore(plan)) {
        if (const std::optional<QString> failure = ListFileWriter::addToAccounts(store, accounts, plan.id))
            return failure;
    }
    MailChoice::Choices chosen;
    for (auto it = plan.chosen.cbegin(); it != plan.chosen.cend(); ++it)
        chosen.insert(it.key(), MailChoice::of(plan.id));
    return MailChoice::write(chosen);
}

// Undoes every step, the last first; what could not be undone.
QStringList takeBack(const Plan &plan)
{
    QStringList left;
    QString failure;
    if (!plan.chosen.isEmpty()) {
        MailChoice::Choices back;
        if (const std::optional<MailChoice::Choices> now = MailChoice::read(&failure)) {
            for (auto it = plan.chosen.cbegin(); it != plan.chosen.cend(); ++it) {
                if (now->value(it.key()) == MailChoice::of(plan.id))
                    back.insert(it.key(), it.value());
            }
        }
        if (const std::optional<QString> unwritten = MailChoice::write(back))
            left.append(*unwritten);
    }
    for (const auto &[store, accounts] : accountsByStore(plan)) {
        if (const std::optional<QString> kept = ListFileWriter::removeFromAccounts(store, plan.id, accounts))
            left.append(*kept);
    }
    for (const Plan::NewFile &made : plan.made) {
        if (const std::optional<QString> listed = ListFileWriter::removeSignature(made.store, plan.id))
            left.append(*listed);
        else if (QFileInfo::exists(made.file) &&
                 (!Platform::fileFlags().setImmutable(made.file, false) || !QFile::remove(made.file)))
            left.append(QStringLiteral("%1 could not be removed.").arg(made.file));
    }
    return left;
}

QJsonObject storeJson(const SignatureStore &store)
{
    return {{QStringLiteral("store"), store.kindName()}, {QStringLiteral("folder"), store.folder}};
}

SignatureStore storeOf(const QJsonValue &value)
{
    return {value[QStringLiteral("store")].toString() ==
                    SignatureStore::kindName(SignatureStore::Kind::ICloud)
                ? SignatureStore::Kind::ICloud
                : SignatureStore::Kind::Local,
            value[QStringLiteral("folder")].toString()};
}

QJsonValue text(const std::optional<QString> &value)
{
    return value ? QJsonValue(*value) : QJsonValue();
}

std::optional<QString> textOf(const QJsonValue &value)
{
    return value.isString() ? std::optional(value.toString()) : std::nullopt;
}

} // namespace

std::optional<QString> SignaturePlan::run() const
{
    PlanRecord record;
    QString error;
    if ((!made.isEmpty() || !accounts.isEmpty() || !chosen.isEmpty()) && !record.write(toJson(), &error)) {
        Diagnostics::print(QStringLiteral("Failed to record the change to %1: %2").arg(quoted(name), error));
        return QStringLiteral("The change could not be recorded first, so nothing was changed.");
    }
    std::optional<QString> failure = writeNewFiles(*this);
    if (!failure && html)
        failure = SignatureService::insert(entry, *html, true, images).failure;
    if (!failure)
        failure = finish(*this);
    if (failure) {
        if (const QStringList left = takeBack(*this); !left.isEmpty())
            *failure += QStringLiteral(" What was done could not all be taken back: ") + left.join(u' ');
    }
    record.clear();
    return failure;
}

QList<QString> SignaturePlan::recover()
{
    QList<QString> sentences;
    for (auto &[record, bytes] : PlanRecord::leftBehind()) {
        const std::optional<SignaturePlan> plan = fromJson(bytes);
        if (!plan) {
            record.clear();
            continue;
        }
        const QString what =
            QStringLiteral("A change to %1 across Mail's stores was interrupted").arg(quoted(plan->name));
        bool whole = true;
        for (const NewFile &made : plan->made) {
            const std::optional<QByteArray> now =
                RegularFile::read(made.file, SignatureLimits::maximumFileSize);
            whole = whole && now && WriteIntents::isDigestOf(made.digest, *now);
        }
        if (whole && mailRuns()) {
            sentences.append(what + QStringLiteral("; it will be finished once Mail is closed."));
            continue;
        }
        const std::optional<QString> unfinished = whole ? finish(*plan) : std::nullopt;
        const QStringList left = !whole || unfinished ? takeBack(*plan) : QStringList();
        record.clear();
        QString sentence =
            what +
            (!whole ? QStringLiteral(" before its new files were whole; it was taken back.")
             : unfinished
                 ? QStringLiteral(" and could not be finished (%1); it was taken back.").arg(*unfinished)
                 : QStringLiteral("; it was finished."));
        if (!left.isEmpty())
            sentence += QStringLiteral(" Not all of it could be taken back: ") + left.join(u' ');
        sentences.append(sentence);
    }
    return sentences;
}

QByteArray SignaturePlan::toJson() const
{
    QJsonArray files, changes;
    for (const NewFile &made : this->made) {
        QJsonObject file = storeJson(made.store);
        file.insert(QStringLiteral("file"), made.file);
        file.insert(QStringLiteral("digest"), QString::fromLatin1(made.digest.toHex()));
        files.append(file);
    }
    for (const AccountChange &change : accounts) {
        QJsonObject account = storeJson(change.store);
        account.insert(QStringLiteral("account"), change.account);
        changes.append(account);
    }
    QJsonObject choices;
    for (auto it = chosen.cbegin(); it != chosen.cend(); ++it)
        choices.insert(it.key(), QJsonObject{{QStringLiteral("signature"), text(it->signature)},
                                             {QStringLiteral("method"), text(it->method)}});
    return QJsonDocument(QJsonObject{{QStringLiteral("id"), id},
                                     {QStringLiteral("name"), name},
                                     {QStringLiteral("made"), files},
                                     {QStringLiteral("accounts"), changes},
                                     {QStringLiteral("chosen"), choices}})
        .toJson(QJsonDocument::Compact);
}

std::optional<SignaturePlan> SignaturePlan::fromJson(const QByteArray &json)
{
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    if (!object.value(QStringLiteral("id")).isString())
        return std::nullopt;
    SignaturePlan plan;
    plan.id = object.value(QStringLiteral("id")).toString();
    plan.name = object.value(QStringLiteral("name")).toString();
    for (const QJsonValue &file : object.value(QStringLiteral("made")).toArray())
        plan.made.append({storeOf(file),
                          file[QStringLiteral("file")].toString(),
                          {},
                          QByteArray::fromHex(file[QStringLiteral("digest")].toString().toLatin1())});
    for (const QJsonValue &account : object.value(QStringLiteral("accounts")).toArray())
        plan.accounts.append({storeOf(account), account[QStringLiteral("account")].toString()});
    const QJsonObject chosen = object.value(QStringLiteral("chosen")).toObject();
    for (auto it = chosen.begin(); it != chosen.end(); ++it)
        plan.chosen.insert(it.key(), {textOf(it.value()[QStringLiteral("signature")]),
                                      textOf(it.value()[QStringLiteral("method")])});
    return plan;
}
