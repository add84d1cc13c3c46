#pragma once

#include "cli/CliError.h"
#include "store/SignatureModel.h"

#include <QList>
#include <QString>

#include <optional>

// Mail's list of signatures as the command line sees it, read once, with
// each signature's file and whether Mail keeps it as rich text. Failures say
// which folder or file stood in the way.
class SignatureCatalog
{
public:
    struct Entry
    {
        SignatureModel signature;
        bool isRich = false;
        QString file;
    };

    static std::optional<SignatureCatalog> load(CliError *error);

    const QString &mailFolder() const { return m_mailFolder; }
    const QString &signaturesFolder() const { return m_signaturesFolder; }
    const QList<Entry> &entries() const { return m_entries; }

    // A signature by its id, else by its exact name, else by its name in any
    // case; several with that name are refused with their ids.
    std::optional<Entry> find(const QString &nameOrId, CliError *error) const;

private:
    QString m_mailFolder;
    QString m_signaturesFolder;
    QList<Entry> m_entries;
};
