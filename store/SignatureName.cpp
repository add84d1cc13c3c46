#include "store/SignatureName.h"

#include <algorithm>

std::optional<SignatureService::Failure> SignatureName::refusal(const QString &name,
                                                                const QList<SignatureService::Entry> &entries)
{
    using Failure = SignatureService::Failure;
    if (name.trimmed().isEmpty())
        return Failure{Failure::Kind::Failed, QStringLiteral("A signature needs a name.")};
    const auto breaksLines = [](QChar c) {
        return c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
               c.category() == QChar::Separator_Paragraph;
    };
    if (std::any_of(name.cbegin(), name.cend(), breaksLines))
        return Failure{Failure::Kind::Failed, QStringLiteral("A signature's name cannot hold a line break, "
                                                             "a tab or another control character.")};
    if (name.trimmed() != name)
        return Failure{Failure::Kind::Failed,
                       QStringLiteral("A signature's name cannot begin or end with a blank.")};
    const QString wanted = name.normalized(QString::NormalizationForm_C);
    for (const SignatureService::Entry &entry : entries) {
        const QString existing = entry.signature.name.normalized(QString::NormalizationForm_C);
        if (existing == wanted)
            return Failure{
                Failure::Kind::NotFound,
                QStringLiteral("A signature named \"%1\" exists: insert into it, or choose another name.")
                    .arg(name)};
        // mailsig insert NAME would then find two; "exists" as above: a script goes on to insert.
        if (existing.compare(wanted, Qt::CaseInsensitive) == 0)
            return Failure{Failure::Kind::NotFound,
                           QStringLiteral("A signature named \"%1\" exists, and names that differ only in "
                                          "case are one name: insert into it, or choose another name.")
                               .arg(entry.signature.name)};
    }
    return std::nullopt;
}
