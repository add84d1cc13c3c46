#include "cli/SignatureCatalog.h"

#include "platform/Platform.h"
#include "store/MailFolders.h"
#include "store/SignatureListReader.h"
#include "store/SignaturesEngine.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <dirent.h>

namespace {

// None when folder can be listed; otherwise what stands in the way.
std::optional<CliError> unlistable(const QString &folder, const QString &what)
{
    if (DIR *dir = ::opendir(QFile::encodeName(folder).constData())) {
        ::closedir(dir);
        return std::nullopt;
    }
    const int cause = errno;
    if (cause == ENOENT || cause == ENOTDIR)
        return CliError{ExitCode::FolderUnreadable, QStringLiteral("No %1 at %2.").arg(what, folder)};
    QString message = QStringLiteral("The %1 %2 cannot be read: %3.")
                          .arg(what, folder, QString::fromLocal8Bit(std::strerror(cause)));
    if (const QString advice = Platform::terminalFolderAccessAdvice(); !advice.isEmpty())
        message += u' ' + advice;
    return CliError{ExitCode::FolderUnreadable, message};
}

} // namespace

std::optional<SignatureCatalog> SignatureCatalog::load(CliError *error)
{
    SignatureCatalog catalog;
    catalog.m_mailFolder = MailFolders::mailFolder();
    if (const std::optional<CliError> refused =
            unlistable(catalog.m_mailFolder, QStringLiteral("Mail folder"))) {
        *error = *refused;
        return std::nullopt;
    }
    const std::optional<QString> folder = MailFolders::signaturesFolder();
    if (!folder) {
        *error = {ExitCode::FolderUnreadable,
                  QStringLiteral("No version folder (such as V10) in the Mail folder %1.")
                      .arg(catalog.m_mailFolder)};
        return std::nullopt;
    }
    catalog.m_signaturesFolder = *folder;
    if (const std::optional<CliError> refused = unlistable(*folder, QStringLiteral("signatures folder"))) {
        *error = *refused;
        return std::nullopt;
    }
    const QString listFile = *folder + QStringLiteral("/AllSignatures.plist");
    const std::optional<QList<SignatureModel>> signatures = SignatureListReader::read(listFile);
    if (!signatures) {
        *error = {ExitCode::FolderUnreadable,
                  QFileInfo::exists(listFile)
                      ? QStringLiteral("The list of signatures %1 cannot be read.").arg(listFile)
                      : QStringLiteral("No list of signatures in %1: make a signature in Mail first.")
                            .arg(*folder)};
        return std::nullopt;
    }
    catalog.m_entries.reserve(signatures->size());
    for (qsizetype i = 0; i < signatures->size(); ++i) {
        const SignatureModel &signature = signatures->at(i);
        catalog.m_entries.append(
            Entry{signature, signature.isRich.value_or(false),
                  SignaturesEngine::signatureFileIn(*folder, signature.id).value_or(QString())});
    }
    return catalog;
}

std::optional<SignatureCatalog::Entry> SignatureCatalog::find(const QString &nameOrId, CliError *error) const
{
    for (const Entry &entry : m_entries) {
        if (entry.signature.id == nameOrId && !entry.file.isEmpty())
            return entry;
    }
    for (const Qt::CaseSensitivity sensitivity : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        QList<Entry> named;
        for (const Entry &entry : m_entries) {
            if (entry.signature.name.compare(nameOrId, sensitivity) == 0)
                named.append(entry);
        }
        if (named.size() == 1 && !named.first().file.isEmpty())
            return named.first();
        if (named.size() == 1) {
            *error = {ExitCode::NotFound, QStringLiteral("The signature \"%1\" has an id that names no file "
                                                         "in the signatures folder: %2")
                                              .arg(nameOrId, named.first().signature.id)};
            return std::nullopt;
        }
        if (named.size() > 1) {
            QStringList ids;
            for (const Entry &entry : named)
                ids.append(entry.signature.id);
            *error = {ExitCode::NotFound,
                      QStringLiteral("\"%1\" names %2 signatures (%3): give its id instead.")
                          .arg(nameOrId)
                          .arg(named.size())
                          .arg(ids.join(QStringLiteral(", ")))};
            return std::nullopt;
        }
    }
    *error = {ExitCode::NotFound,
              QStringLiteral("No signature is named \"%1\" or has that id; mailsig list shows them.")
                  .arg(nameOrId)};
    return std::nullopt;
}
