#include "store/SignaturesEngine.h"

#include "platform/FileFlags.h"
#include "platform/Platform.h"
#include "platform/RegularFile.h"
#include "store/Diagnostics.h"
#include "store/EngineServices.h"
#include "store/MailFolders.h"
#include "store/SignatureFileFormat.h"
#include "store/SignatureListReader.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignatureStatusUIModel.h"
#include "store/SignatureVersions.h"
#include "store/SignatureWriter.h"
#include "store/SignaturesEngineAccessAuthorize.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>

namespace {
// A signature is a few kilobytes; this only keeps a runaway file from being
// pulled into memory whole.
constexpr qint64 maximumSignatureFileSize = 256 * 1024 * 1024;
} // namespace

SignaturesEngine::SignaturesEngine(std::unique_ptr<EngineServices> services, QObject *parent)
    : QObject(parent), m_uiModel(std::make_unique<SignatureListUIModel>()),
      m_renderedUiModel(std::make_unique<SignatureRenderUIModel>()),
      m_selectionUiModel(std::make_unique<SignatureSelectionUIModel>()),
      m_accessAuthorize(std::make_unique<SignaturesEngineAccessAuthorize>()),
      m_statusUiModel(std::make_unique<SignatureStatusUIModel>()), m_services(std::move(services))
{
    observeSelection();
    if (m_services->restoreFolderAccess()) {
        accessGranted();
        return;
    }
    QPointer<SignaturesEngine> weak(this);
    m_services->requestFolderAccess([weak](bool granted) {
        if (granted && weak)
            weak->accessGranted();
    });
}

SignaturesEngine::~SignaturesEngine() = default;

void SignaturesEngine::observeSelection()
{
    QPointer<SignaturesEngine> weak(this);
    m_cancellables.push_back(
        m_selectionUiModel->signature().sink([weak](const std::optional<SignatureModel> &signature) {
            if (!weak)
                return;
            // A new look at a signature starts without the last insert's news.
            if (signature)
                weak->clearMessage();
            weak->loadSignatureContent(signature);
        }));
}

void SignaturesEngine::accessGranted()
{
    if (!m_accessAuthorize->isAuthorized().get())
        m_accessAuthorize->isAuthorized().set(true);
    startFolderMonitor();
    loadSignatures();
}

void SignaturesEngine::startFolderMonitor()
{
    if (m_folderMonitor)
        return;
    const std::optional<QString> folder = signaturesFolderURL();
    if (!folder)
        return;
    m_folderMonitor = m_services->startFolderMonitor(*folder, this);
}

void SignaturesEngine::loadSignatures()
{
    const std::optional<QString> listFile = allSignaturesListURL();
    std::optional<QList<SignatureModel>> signatures;
    if (listFile)
        signatures = readSignatureList(*listFile);
    m_uiModel->signatures().set(signatures.value_or(QList<SignatureModel>{}));
}

void SignaturesEngine::loadSignatureContent(const std::optional<SignatureModel> &signature)
{
    if (!signature)
        return;
    const std::optional<QString> file = signatureFileURL(signature->id);
    const std::optional<QByteArray> bytes =
        file ? RegularFile::read(*file, maximumSignatureFileSize) : std::nullopt;
    if (!bytes) {
        Diagnostics::print(QStringLiteral("ERROR"));
        // The preview stays, but it is no longer this file's to insert into.
        m_previewSourceId.reset();
        return;
    }
    const std::optional<QString> text = SignatureFileFormat::decodeUtf8(*bytes);
    const std::optional<AppleSignatureContent> content =
        text ? SignatureFileFormat::split(*text) : std::nullopt;
    m_previewSourceId = signature->id;
    m_previewFault = std::nullopt;
    if (!text)
        m_previewFault = QStringLiteral("The signature's file is not UTF-8 text, so it was left as it is.");
    else if (!content)
        m_previewFault = QStringLiteral("The signature's file has no empty line after its header, so it was "
                                        "left as it is.");
    m_renderedUiModel->signature().set(content.value_or(AppleSignatureContent{}));
}

bool SignaturesEngine::insertSignature(const QString &html)
{
    const std::optional<SignatureModel> selected = m_selectionUiModel->signature().get();
    const std::optional<AppleSignatureContent> previewed = m_renderedUiModel->signature().get();
    if (!selected || !previewed)
        return false;
    if (html.trimmed().isEmpty())
        return refuse(*selected,
                      QStringLiteral("The clipboard holds only white space, so nothing was inserted."));
    if (m_previewSourceId != selected->id) {
        Diagnostics::print(
            QStringLiteral("Insert refused: the preview was read from another signature's file."));
        return refuse(*selected,
                      QStringLiteral("The signature's file could not be read, so it was left as it is."));
    }
    if (m_previewFault) {
        // Writing the empty header of a file that did not split would destroy its own.
        Diagnostics::print(QStringLiteral("Insert refused: ") + *m_previewFault);
        return refuse(*selected, *m_previewFault);
    }
    const std::optional<QByteArray> bytes = SignatureFileFormat::compose(previewed->header, html);
    if (!bytes)
        return refuse(*selected, QStringLiteral("The signature's file has a header this program cannot read, "
                                                "so it was left as it is."));
    if (!replaceFile(*selected, *bytes))
        return false;
    emit inserted(selected->id, html);
    return true;
}

bool SignaturesEngine::restoreVersion(const QString &versionFile)
{
    const std::optional<SignatureModel> selected = m_selectionUiModel->signature().get();
    if (!selected)
        return false;
    const std::optional<QByteArray> bytes = SignatureVersions::read(versionFile);
    if (!bytes)
        return refuse(*selected, QStringLiteral("That version could not be read, so nothing was changed."));
    return replaceFile(*selected, *bytes);
}

bool SignaturesEngine::replaceFile(const SignatureModel &selected, const QByteArray &bytes)
{
    const SignatureWriter::Outcome outcome = SignatureWriter::replace(selected.id, bytes);
    if (outcome.written)
        loadSignatures();
    if (outcome.failure)
        return refuse(selected, *outcome.failure);
    clearMessage();
    // What is previewed, and what a later insert takes the header from, is
    // what the file now holds.
    loadSignatureContent(selected);
    return true;
}

void SignaturesEngine::clearMessage()
{
    // Only a message that is shown is cleared: each set is announced.
    if (m_statusUiModel->message().get())
        m_statusUiModel->message().set(std::nullopt);
}

bool SignaturesEngine::refuse(const SignatureModel &selected, const QString &message)
{
    m_statusUiModel->message().set(message);
    // The preview goes back to what the file now holds.
    loadSignatureContent(selected);
    return false;
}

void SignaturesEngine::unlockSignature(const QString &id)
{
    const std::optional<QString> file = signatureFileURL(id);
    // A row whose file has vanished has nothing to unlock; the reload shows it as it is.
    if (file && QFileInfo::exists(*file)) {
        if (const std::optional<QString> failure = SignatureWriter::unlock(id))
            m_statusUiModel->message().set(*failure);
        else
            clearMessage();
    }
    loadSignatures();
}

QString SignaturesEngine::mailFolderURL()
{
    return MailFolders::mailFolder();
}

std::optional<QString> SignaturesEngine::findMailVersionFolder()
{
    return MailFolders::findVersionFolder();
}

std::optional<QString> SignaturesEngine::signaturesFolderURL()
{
    return MailFolders::signaturesFolder();
}

std::optional<QString> SignaturesEngine::allSignaturesListURL()
{
    const std::optional<QString> folder = signaturesFolderURL();
    if (!folder)
        return std::nullopt;
    return MailFolders::fileIn(*folder, QStringLiteral("AllSignatures.plist"));
}

std::optional<QString> SignaturesEngine::signatureFileURL(const QString &id)
{
    const std::optional<QString> folder = signaturesFolderURL();
    if (!folder)
        return std::nullopt;
    return signatureFileIn(*folder, id);
}

std::optional<QString> SignaturesEngine::signatureFileIn(const QString &signaturesFolder, const QString &id)
{
    // The id comes from a file anyone can edit: it must never reach outside the folder.
    if (id == QLatin1String(".") || id == QLatin1String(".."))
        return std::nullopt;
    const std::optional<QString> file =
        MailFolders::fileIn(signaturesFolder, id + QStringLiteral(".mailsignature"));
    if (!file || RegularFile::isSymbolicLink(*file))
        return std::nullopt;
    return file;
}

std::optional<QList<SignatureModel>> SignaturesEngine::readSignatureList(const QString &listFile)
{
    return SignatureListReader::read(listFile);
}

bool SignaturesEngine::isFileImmutable(const QString &file)
{
    return Platform::fileFlags().isImmutable(file);
}

bool SignaturesEngine::setFileLocked(const QString &file, bool locked)
{
    return Platform::fileFlags().setImmutable(file, locked);
}

bool SignaturesEngine::unlockFile(const QString &file)
{
    return setFileLocked(file, false);
}
