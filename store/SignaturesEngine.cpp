#include "store/SignaturesEngine.h"

#include "platform/FileFlags.h"
#include "platform/Platform.h"
#include "store/Diagnostics.h"
#include "store/EngineServices.h"
#include "store/MailFolders.h"
#include "platform/RegularFile.h"
#include "store/SignatureFileFormat.h"
#include "store/SignatureListReader.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngineAccessAuthorize.h"

#include <QFile>
#include <QPointer>
#include <QSaveFile>

namespace {
// A signature is a few kilobytes; this only keeps a runaway file from being
// pulled into memory whole.
constexpr qint64 maximumSignatureFileSize = 256 * 1024 * 1024;
} // namespace

SignaturesEngine::SignaturesEngine(std::unique_ptr<EngineServices> services, QObject *parent)
    : QObject(parent), m_uiModel(std::make_unique<SignatureListUIModel>()),
      m_renderedUiModel(std::make_unique<SignatureRenderUIModel>()),
      m_selectionUiModel(std::make_unique<SignatureSelectionUIModel>()),
      m_accessAuthorize(std::make_unique<SignaturesEngineAccessAuthorize>()), m_services(std::move(services))
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
            if (weak)
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
    const std::optional<QByteArray> bytes = file ? RegularFile::read(*file, maximumSignatureFileSize) : std::nullopt;
    if (!bytes) {
        Diagnostics::print(QStringLiteral("ERROR"));
        return;
    }
    std::optional<AppleSignatureContent> content;
    if (const std::optional<QString> text = SignatureFileFormat::decodeUtf8(*bytes))
        content = SignatureFileFormat::split(*text);
    m_previewSourceId = content ? std::optional<QString>(signature->id) : std::nullopt;
    m_renderedUiModel->signature().set(content.value_or(AppleSignatureContent{}));
}

void SignaturesEngine::insertSignature(const QString &html)
{
    const std::optional<SignatureModel> selected = m_selectionUiModel->signature().get();
    if (!selected)
        return;
    const std::optional<QString> file = signatureFileURL(selected->id);
    if (!file)
        return;
    const std::optional<AppleSignatureContent> previewed = m_renderedUiModel->signature().get();
    if (!previewed)
        return;
    if (!m_previewSourceId) {
        Diagnostics::print(QStringLiteral("Insert refused: the signature file could not be split into a header "
                                          "and a body, so its header would be lost."));
        return;
    }
    if (*m_previewSourceId != selected->id) {
        Diagnostics::print(QStringLiteral("Insert refused: the preview was read from another signature's file."));
        return;
    }
    const QString text = SignatureFileFormat::compose(previewed->header, html);
    if (!setFileLocked(*file, false))
        return;
    QString error;
    if (!writeAtomically(*file, text, &error)) {
        Diagnostics::print(error);
        return;
    }
    setFileLocked(*file, true);
    loadSignatures();
}

void SignaturesEngine::unlockSignature(const QString &id)
{
    if (const std::optional<QString> file = signatureFileURL(id))
        unlockFile(*file);
    loadSignatures();
}

bool SignaturesEngine::writeAtomically(const QString &file, const QString &text, QString *error)
{
    const QFileDevice::Permissions permissions = QFile::permissions(file);
    QSaveFile save(file);
    if (!save.open(QIODevice::WriteOnly)) {
        *error = save.errorString();
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    // The replacement must carry the old file's permission bits, not the umask's.
    if (permissions != QFileDevice::Permissions() && !save.setPermissions(permissions)) {
        *error = save.errorString();
        save.cancelWriting();
        return false;
    }
    if (save.write(bytes) != bytes.size() || !save.commit()) {
        *error = save.errorString();
        save.cancelWriting();
        return false;
    }
    return true;
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
    const std::optional<QString> file = MailFolders::fileIn(signaturesFolder, id + QStringLiteral(".mailsignature"));
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
