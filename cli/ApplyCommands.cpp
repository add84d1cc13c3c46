#include "cli/ApplyCommands.h"

#include "store/SignaturePlan.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>

ExitCode ApplyCommands::apply(CliSession &session, const CliArguments &arguments)
{
    CliOutput &output = session.output();
    const SignatureService::ApplyRequest asked{arguments.operands().at(0),
                                               {},
                                               arguments.values(QStringLiteral("--account")),
                                               arguments.has(QStringLiteral("--default")),
                                               {}};
    if (asked.makeDefault && asked.addresses.isEmpty())
        return output.fail(
            ExitCode::Usage,
            QStringLiteral("--default needs --account ADDRESS (or --account all): no account is "
                           "given a signature it was not named for."));
    ExitCode refusal = ExitCode::Failed;
    if (!session.loadSignatures(&refusal, true))
        return refusal;
    const std::optional<ImageEmbedding::Embedded> toWrite =
        session.htmlToWrite(arguments, arguments.operands().value(1, QStringLiteral("-")), &refusal);
    if (!toWrite)
        return refusal;
    const QString *html = &toWrite->html;
    SignatureService::ApplyRequest request = asked;
    request.html = *html;
    request.images = toWrite->images;
    SignatureService::Failure failure;
    std::optional<SignaturePlan> plan = session.service().planApply(request, &failure);
    if (plan && !plan->isEmpty()) {
        if (!session.mailIsClosed())
            return ExitCode::MailRunning;
        // Mail may have changed its files while it ran: the plan is made again from them.
        if (session.waitedForMail() && (!session.loadSignatures(&refusal, true) ||
                                        !(plan = session.service().planApply(request, &failure))))
            return session.service().failure() ? refusal : output.fail(failure);
    }
    if (!plan)
        return output.fail(failure);
    if (const std::optional<QString> unapplied =
            plan->isEmpty() ? std::nullopt : SignatureService::apply(*plan))
        return output.fail(ExitCode::Failed, *unapplied);
    output.print(report(*plan, session.service().stores(), arguments.has(QStringLiteral("--json"))));
    if (!plan->made.isEmpty() || plan->copyChanges.contains(SignaturePlan::CopyChange::Insert))
        output.printNotes(*html, true, toWrite->images);
    return ExitCode::Done;
}

ExitCode ApplyCommands::remove(CliSession &session, const CliArguments &,
                               const SignatureService::Entry &entry)
{
    CliOutput &output = session.output();
    if (!session.mailIsClosed())
        return ExitCode::MailRunning;
    if (const std::optional<QString> failure = session.service().remove(entry))
        return output.fail(ExitCode::Failed, *failure);
    output.print(
        QStringLiteral("Removed %1 from every list, account and choice, and its files; each is kept as a "
                       "version: mailsig restore --list-file brings the lists back.\n")
            .arg(CliOutput::quoted(entry.signature.name)));
    return ExitCode::Done;
}

QByteArray ApplyCommands::report(const SignaturePlan &plan, const QList<SignatureStore> &stores, bool asJson)
{
    const QString name = CliOutput::quoted(plan.name);
    QStringList lines, made, copies;
    QJsonArray perStore;
    QMap<QString, QStringList> added; // account label → its stores
    for (const SignatureStore &store : stores) {
        QString file, done = QStringLiteral("unchanged");
        for (const SignaturePlan::NewFile &newFile : plan.made) {
            if (newFile.store.kind == store.kind) {
                file = newFile.file;
                done = QStringLiteral("made");
                made.append(file);
            }
        }
        for (qsizetype i = 0; i < plan.entry.copies.size(); ++i) {
            if (plan.entry.copies.at(i).store.kind != store.kind)
                continue;
            file = plan.entry.copies.at(i).file;
            copies.append(file);
            if (plan.copyChanges.value(i) != SignaturePlan::CopyChange::None)
                done = plan.copyChanges.contains(SignaturePlan::CopyChange::Insert)
                           ? QStringLiteral("inserted")
                           : QStringLiteral("locked");
        }
        QStringList accounts;
        for (const SignaturePlan::AccountChange &change : plan.accounts) {
            if (change.store.kind == store.kind) {
                accounts.append(plan.labels.value(change.account, change.account));
                added[accounts.constLast()].append(store.kindName());
            }
        }
        perStore.append(QJsonObject{{QStringLiteral("store"), store.kindName()},
                                    {QStringLiteral("file"), file},
                                    {QStringLiteral("signature"), done},
                                    {QStringLiteral("accounts"), QJsonArray::fromStringList(accounts)}});
    }
    QStringList chosen;
    for (auto it = plan.chosen.cbegin(); it != plan.chosen.cend(); ++it)
        chosen.append(plan.labels.value(it.key(), it.key()));
    std::sort(chosen.begin(), chosen.end());
    if (asJson)
        return CliOutput::json({{QStringLiteral("id"), plan.id},
                                {QStringLiteral("name"), plan.name},
                                {QStringLiteral("changed"), !plan.isEmpty()},
                                {QStringLiteral("stores"), perStore},
                                {QStringLiteral("chosenFor"), QJsonArray::fromStringList(chosen)}});
    if (plan.isEmpty())
        return QStringLiteral("%1 is in use as asked; nothing was written.\n").arg(name).toUtf8();
    if (!made.isEmpty())
        lines.append(QStringLiteral("Made %1 (%2) in %3, locked.")
                         .arg(name, plan.id, made.join(QStringLiteral(", "))));
    if (plan.copyChanges.contains(SignaturePlan::CopyChange::Insert))
        lines.append(
            QStringLiteral("Inserted into %1 (%2), locked.").arg(name, copies.join(QStringLiteral(", "))));
    else if (plan.copyChanges.contains(SignaturePlan::CopyChange::Lock))
        lines.append(QStringLiteral("Locked %1 again (%2).").arg(name, copies.join(QStringLiteral(", "))));
    for (auto it = added.cbegin(); it != added.cend(); ++it)
        lines.append(QStringLiteral("Added %1 to the signatures of %2 (%3).")
                         .arg(name, it.key(), it.value().join(QStringLiteral(", "))));
    if (!chosen.isEmpty())
        lines.append(
            QStringLiteral("Mail now sends %1 for %2.").arg(name, chosen.join(QStringLiteral(", "))));
    return (lines.join(u'\n') + u'\n').toUtf8();
}
